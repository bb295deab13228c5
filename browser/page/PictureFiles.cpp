#include "browser/page/PictureFiles.h"

#include "viewer/JpegDecoder.h"
#include "viewer/JpegWriter.h"
#include "viewer/thumbs/ScaledDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace browser::page {

namespace {

    // The most names one claim tries before it gives up.
    constexpr int kMostAttempts = 100000;

    enum class Move { Done, Taken, Failed };

    Move moveWithoutReplacing(const QByteArray &from, const QByteArray &to)
    {
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return Move::Done;
        if (errno == EEXIST)
            return Move::Taken;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return Move::Failed;
        // The file system cannot rename without replacing: a hard link is just as atomic.
        if (::link(from.constData(), to.constData()) == 0) {
            ::unlink(from.constData());
            return Move::Done;
        }
        if (errno == EEXIST)
            return Move::Taken;
        if (errno != EPERM && errno != EOPNOTSUPP)
            return Move::Failed;
        // Neither: the name is claimed by creating it exclusively, then the file replaces the
        // empty claim that only this program made.
        const int fd = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            return errno == EEXIST ? Move::Taken : Move::Failed;
        ::close(fd);
        if (::rename(from.constData(), to.constData()) == 0)
            return Move::Done;
        ::unlink(to.constData());
        return Move::Failed;
    }

}

QString withTrailingSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString pictureFileName(const QString &folder, const QDateTime &when, int counter)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return folder
        + QStringLiteral("%1%2%3_%4%5%6.jpg")
              .arg(d.year())
              .arg(d.month())
              .arg(d.day())
              .arg(t.hour())
              .arg(t.minute())
              .arg(counter);
}

QString NextPictureFileName(const QString &folder, const QDateTime &when, int &FileCounter)
{
    for (;;) {
        QString name = pictureFileName(folder, when, FileCounter);
        ++FileCounter;
        if (!QFileInfo::exists(name))
            return name;
    }
}

QString claimPictureName(const QString &source, const QString &folder, const QDateTime &when, int &FileCounter)
{
    const QByteArray from = QFile::encodeName(source);
    for (int attempt = 0; attempt < kMostAttempts; ++attempt) {
        QString name = NextPictureFileName(folder, when, FileCounter);
        switch (moveWithoutReplacing(from, QFile::encodeName(name))) {
        case Move::Done:
            return name;
        case Move::Taken:
            continue;
        case Move::Failed:
            return QString();
        }
    }
    return QString();
}

QString workFileName(const QString &folder)
{
    static std::atomic<int> serial { 0 };
    for (;;) {
        QString name = QStringLiteral("%1.velmora-%2-%3.part").arg(folder).arg(::getpid()).arg(++serial);
        if (!QFileInfo::exists(name))
            return name;
    }
}

QImage decodePictureBytes(const QByteArray &bytes)
{
    // A JPEG goes to libjpeg directly, into the rows the encoder takes as they are; other pictures,
    // and the JPEGs it leaves aside, to the general reader.
    using viewer::JpegDecoded;
    JpegDecoded jpeg = viewer::decodeJpeg(bytes, viewer::thumbs::kMaxDecodedPixels);
    if (jpeg.status == JpegDecoded::Status::Decoded)
        return std::move(jpeg.picture);
    if (jpeg.status != JpegDecoded::Status::NotJpeg && jpeg.status != JpegDecoded::Status::Passed)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > viewer::thumbs::kMaxDecodedPixels)
        return {};
    // A format that states no size is held to the same budget by the reader's allocation limit.
    reader.setAllocationLimit(int(viewer::thumbs::kMaxDecodedPixels * 4 / (qint64(1024) * 1024)) + 1);
    QImage picture;
    if (!reader.read(&picture))
        return {};
    return picture;
}

bool encodePictureBytes(const QByteArray &bytes, const QString &jpegPath)
{
    const QImage picture = decodePictureBytes(bytes);
    return !picture.isNull() && viewer::SaveAsJpeg(picture, jpegPath, 80);
}

}
