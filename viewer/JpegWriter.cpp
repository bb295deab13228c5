#include "viewer/JpegWriter.h"

#include "common/Files.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>

namespace viewer {

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
    // Written beside the target and renamed over it. No fsync: a picture is written once, not
    // rewritten in place, and waiting for the disk would cost more than the encoding itself.
    return common::writeFileAtomically(path, encoded, nullptr, common::WriteFlag::NoSync);
}

}
