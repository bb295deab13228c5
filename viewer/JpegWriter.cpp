#include "viewer/JpegWriter.h"

#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>

namespace viewer {

bool SaveAsJpeg(const QImage &picture, const QString &path, int quality)
{
    if (picture.isNull() || path.isEmpty())
        return false;
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile())
        return false;
    // The encoder takes 24-bit rows directly; from 32-bit rows it converts line by line, which is
    // slower. Transparent areas are laid on white first, as a screen shows them.
    QImage rgb;
    if (picture.format() == QImage::Format_RGB888) {
        rgb = picture;
    } else if (picture.hasAlphaChannel()) {
        rgb = QImage(picture.size(), QImage::Format_RGB888);
        rgb.fill(Qt::white);
        QPainter painter(&rgb);
        QImage source = picture;
        source.setDevicePixelRatio(1);
        painter.drawImage(0, 0, source);
    } else {
        rgb = picture.convertToFormat(QImage::Format_RGB888);
    }
    if (rgb.isNull())
        return false;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(std::clamp(quality, 0, 100));
    if (!writer.write(rgb)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}
