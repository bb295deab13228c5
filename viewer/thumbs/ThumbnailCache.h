#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace viewer::thumbs {

// The four sizes of the shared thumbnail cache: the longer edge of a thumbnail is at most this
// many pixels (a smaller picture is stored at its own size, never enlarged).
enum class ThumbSize { Normal, Large, XLarge, XXLarge };

int edgeOf(ThumbSize size);
// The cache's folder name for a size: "normal", "large", "x-large", "xx-large".
QString folderOf(ThumbSize size);

// The longer edge a scaled copy of a picture of size original needs so that it is at least
// drawnWidth pixels wide (and so, keeping the aspect ratio, at least as tall as drawn). 0 for an
// empty original or width.
int neededEdge(QSize original, int drawnWidth);

// The smallest cache size whose edge is at least edge; nothing when even the largest is too small
// (the original is then used as it is).
std::optional<ThumbSize> smallestSizeFor(int edge);

// The address that names a file in the cache: "file://" and the path's bytes, every byte other
// than letters, digits, "-._~" and "!$&'()*+,;=:@/" written as %XX (upper-case hex).
QByteArray thumbnailUri(const QString &path);

// What the cache knows of one picture file.
struct SourceFile {
    QString path;
    QByteArray uri; // thumbnailUri(path)
    qint64 mtime = 0; // seconds since the epoch
    qint64 size = 0;
};

// The file's uri, mtime and size; nothing when it is not a readable regular file.
std::optional<SourceFile> describeSource(const QString &path);

// The cache below root (normally $XDG_CACHE_HOME/thumbnails/). Entries are PNG files named by the
// md5 of the file's uri, holding Thumb::URI and Thumb::MTime text chunks; an entry is valid only
// while both match the file. Entries are written atomically, 0600, in 0700 folders.
class ThumbnailCache {
public:
    explicit ThumbnailCache(QString root = defaultRoot(), QString failFolder = QStringLiteral("velmora"));

    static QString defaultRoot();
    const QString &root() const { return m_root; }

    QString entryPath(const QByteArray &uri, ThumbSize size) const;
    QString failPath(const QByteArray &uri) const;

    // The stored thumbnail of source at size when it is valid for the file as it is now.
    std::optional<QImage> lookup(const SourceFile &source, ThumbSize size) const;
    // The valid thumbnail of the smallest size at least as large as size that the cache holds
    // (written by this program or another one), with the size it was found at.
    std::optional<std::pair<QImage, ThumbSize>> lookupAtLeast(const SourceFile &source, ThumbSize size) const;

    // Stores image (already scaled to fit size) for source. False with the reason on failure.
    // encoded, when given, receives the entry's PNG bytes (also when they could not be written).
    bool store(const SourceFile &source,
        ThumbSize size,
        const QImage &image,
        QString *error = nullptr,
        QByteArray *encoded = nullptr) const;

    // Records that source cannot be decoded, and whether such a record is valid for the file now.
    bool storeFailure(const SourceFile &source, QString *error = nullptr) const;
    bool hasFailure(const SourceFile &source) const;

private:
    bool writeEntry(const QString &path,
        const SourceFile &source,
        const QImage &image,
        QString *error,
        QByteArray *encoded = nullptr) const;
    std::optional<QImage> readValid(const QString &path, const SourceFile &source) const;

    QString m_root;
    QString m_failFolder;
};

}
