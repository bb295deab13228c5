#include "viewer/JpegWriter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryFile>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace viewer {

namespace {

    // Writes beside the target and renames over it, so the file appears whole or not at all. Unlike
    // common::writeFileAtomically it does not wait for the disk (no fsync): a picture is written
    // once, not rewritten in place, and waiting would cost more than the encoding itself.
    bool replaceFile(const QFileInfo &target, const QByteArray &data)
    {
        QTemporaryFile temporary(
            target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
        if (!temporary.open() || temporary.write(data) != data.size() || !temporary.flush())
            return false;
        const QFile::Permissions permissions = target.exists()
            ? target.permissions()
            : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        temporary.setPermissions(permissions);
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(temporary.fileName()).toStdString(),
            QFile::encodeName(target.absoluteFilePath()).toStdString(),
            error);
        if (error)
            return false;
        temporary.setAutoRemove(false);
        return true;
    }

}

bool SaveAsJpeg(const QImage &picture, const QString &path, int quality)
{
    if (picture.isNull() || path.isEmpty())
        return false;
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile())
        return false;
    // The encoder copies 24-bit rows as they are and converts 32-bit rows one at a time, which is
    // cheaper than converting the whole picture first; other formats are converted to 24 bits.
    // Transparent areas are laid on white, as a screen shows them.
    QImage rows;
    if (picture.format() == QImage::Format_RGB888 || picture.format() == QImage::Format_RGB32) {
        rows = picture;
    } else if (picture.hasAlphaChannel()) {
        rows = QImage(picture.size(), QImage::Format_RGB888);
        rows.fill(Qt::white);
        QPainter painter(&rows);
        QImage source = picture;
        source.setDevicePixelRatio(1);
        painter.drawImage(0, 0, source);
    } else {
        rows = picture.convertToFormat(QImage::Format_RGB888);
    }
    if (rows.isNull())
        return false;

    // Encoded in memory and written in one piece: the file appears whole or not at all.
    QByteArray encoded;
    encoded.reserve(qsizetype(rows.width()) * rows.height() / 4 + 4096);
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(std::clamp(quality, 0, 100));
    if (!writer.write(rows))
        return false;
    buffer.close();
    return replaceFile(existing, encoded);
}

}
