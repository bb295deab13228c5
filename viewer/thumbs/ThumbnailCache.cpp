#include "ThumbnailCache.h"

#include "common/FileNames.h"
#include "common/Files.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include <array>

namespace viewer::thumbs {

namespace {

    constexpr std::array kSizes = { ThumbSize::Normal, ThumbSize::Large, ThumbSize::XLarge, ThumbSize::XXLarge };

    const char kUriKey[] = "Thumb::URI";
    const char kMTimeKey[] = "Thumb::MTime";
    const char kSizeKey[] = "Thumb::Size";

    bool keptInUri(unsigned char c)
    {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            return true;
        return QByteArrayView("-._~!$&'()*+,;=:@/").contains(char(c));
    }

}

int edgeOf(ThumbSize size)
{
    switch (size) {
    case ThumbSize::Normal:
        return 128;
    case ThumbSize::Large:
        return 256;
    case ThumbSize::XLarge:
        return 512;
    case ThumbSize::XXLarge:
        return 1024;
    }
    return 0;
}

QString folderOf(ThumbSize size)
{
    switch (size) {
    case ThumbSize::Normal:
        return QStringLiteral("normal");
    case ThumbSize::Large:
        return QStringLiteral("large");
    case ThumbSize::XLarge:
        return QStringLiteral("x-large");
    case ThumbSize::XXLarge:
        return QStringLiteral("xx-large");
    }
    return {};
}

int neededEdge(QSize original, int drawnWidth)
{
    if (original.isEmpty() || drawnWidth <= 0)
        return 0;
    const qint64 longer = std::max(original.width(), original.height());
    // Rounded up: a copy whose longer edge is this is at least drawnWidth wide.
    return int((qint64(drawnWidth) * longer + original.width() - 1) / original.width());
}

std::optional<ThumbSize> smallestSizeFor(int edge)
{
    for (ThumbSize size : kSizes) {
        if (edgeOf(size) >= edge)
            return size;
    }
    return std::nullopt;
}

QByteArray thumbnailUri(const QString &path)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray uri = "file://";
    for (char byte : common::encodeFileName(path)) {
        const auto c = static_cast<unsigned char>(byte);
        if (keptInUri(c)) {
            uri.append(byte);
        } else {
            uri.append('%');
            uri.append(hex[c >> 4]);
            uri.append(hex[c & 15]);
        }
    }
    return uri;
}

std::optional<SourceFile> describeSource(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return std::nullopt;
    SourceFile source;
    source.path = info.absoluteFilePath();
    source.uri = thumbnailUri(source.path);
    source.mtime = info.lastModified().toSecsSinceEpoch();
    source.size = info.size();
    return source;
}

ThumbnailCache::ThumbnailCache(QString root, QString failFolder)
    : m_root(std::move(root))
    , m_failFolder(std::move(failFolder))
{
    if (!m_root.endsWith(u'/'))
        m_root += u'/';
}

QString ThumbnailCache::defaultRoot()
{
    return common::xdgFolder(common::XdgFolder::Cache) + QStringLiteral("thumbnails/");
}

QString ThumbnailCache::entryPath(const QByteArray &uri, ThumbSize size) const
{
    const QByteArray md5 = QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex();
    return m_root + folderOf(size) + u'/' + QString::fromLatin1(md5) + QStringLiteral(".png");
}

QString ThumbnailCache::failPath(const QByteArray &uri) const
{
    const QByteArray md5 = QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex();
    return m_root + QStringLiteral("fail/") + m_failFolder + u'/' + QString::fromLatin1(md5) + QStringLiteral(".png");
}

std::optional<QImage> ThumbnailCache::readValid(const QString &path, const SourceFile &source) const
{
    QImageReader reader(path, "png");
    // A cache entry is at most 1024 pixels on its longer edge; a larger one is not one of ours.
    const QSize stored = reader.size();
    if (!stored.isValid() || std::max(stored.width(), stored.height()) > edgeOf(ThumbSize::XXLarge))
        return std::nullopt;
    // The reader splits text keys at ':' before decoding, so the keys are read from the image.
    QImage image = reader.read();
    if (image.isNull() || image.text(QString::fromLatin1(kUriKey)).toUtf8() != source.uri)
        return std::nullopt;
    bool ok = false;
    const qint64 mtime = image.text(QString::fromLatin1(kMTimeKey)).toLongLong(&ok);
    if (!ok || mtime != source.mtime)
        return std::nullopt;
    const QString size = image.text(QString::fromLatin1(kSizeKey));
    if (!size.isEmpty() && size.toLongLong() != source.size)
        return std::nullopt;
    return image;
}

std::optional<QImage> ThumbnailCache::lookup(const SourceFile &source, ThumbSize size) const
{
    return readValid(entryPath(source.uri, size), source);
}

std::optional<std::pair<QImage, ThumbSize>> ThumbnailCache::lookupAtLeast(
    const SourceFile &source, ThumbSize size) const
{
    for (ThumbSize candidate : kSizes) {
        if (edgeOf(candidate) < edgeOf(size))
            continue;
        if (auto image = lookup(source, candidate))
            return std::pair { std::move(*image), candidate };
    }
    return std::nullopt;
}

bool ThumbnailCache::writeEntry(
    const QString &path, const SourceFile &source, const QImage &image, QString *error, QByteArray *encoded) const
{
    QImage tagged = image;
    tagged.setText(QString::fromLatin1(kUriKey), QString::fromUtf8(source.uri));
    tagged.setText(QString::fromLatin1(kMTimeKey), QString::number(source.mtime));
    tagged.setText(QString::fromLatin1(kSizeKey), QString::number(source.size));
    tagged.setText(QStringLiteral("Software"), QStringLiteral("Velmora"));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // The fastest deflate level: a thumbnail is written while the page waits for it.
    writer.setQuality(90);
    if (!writer.write(tagged)) {
        if (error)
            *error = writer.errorString();
        return false;
    }
    if (encoded)
        *encoded = bytes;

    if (!common::ensurePrivateFolder(m_root, error))
        return false;
    const QString folder = QFileInfo(path).absolutePath();
    if (folder.startsWith(m_root + QStringLiteral("fail/"))
        && !common::ensurePrivateFolder(m_root + QStringLiteral("fail"), error))
        return false;
    if (!common::ensurePrivateFolder(folder, error))
        return false;
    if (!common::writeFileAtomically(path, bytes, error, common::WriteFlag::NoSync | common::WriteFlag::ReplaceLinks))
        return false;
    // Entries are private to the user whatever the umask (the folder already keeps others out).
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

bool ThumbnailCache::store(
    const SourceFile &source, ThumbSize size, const QImage &image, QString *error, QByteArray *encoded) const
{
    return writeEntry(entryPath(source.uri, size), source, image, error, encoded);
}

bool ThumbnailCache::storeFailure(const SourceFile &source, QString *error) const
{
    QImage mark(1, 1, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    return writeEntry(failPath(source.uri), source, mark, error);
}

bool ThumbnailCache::hasFailure(const SourceFile &source) const
{
    return readValid(failPath(source.uri), source).has_value();
}

}
