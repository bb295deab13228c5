#include "PictureFitting.h"

#include <QImageReader>
#include <QPainter>

namespace slideshow {

std::optional<QImage> readPicture(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(false);
    reader.setAllocationLimit(static_cast<int>(kMaxPicturePixels * 4 / (qint64(1024) * 1024)) + 1);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || static_cast<qint64>(size.width()) * size.height() > kMaxPicturePixels)
        return std::nullopt;
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

QImage fitPicture(const QImage &picture, QSize target)
{
    QImage canvas(target.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    canvas.fill(Qt::black);
    if (picture.isNull() || target.isEmpty())
        return canvas;
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const auto draw = [&](float x, float y, float w, float h, float sx, float sy, float sw, float sh) {
        painter.drawImage(QRectF(x, y, w, h), picture, QRectF(sx, sy, sw, sh));
    };
    const auto wp = static_cast<float>(picture.width());
    const auto hp = static_cast<float>(picture.height());
    const auto wt = static_cast<float>(target.width());
    const auto ht = static_cast<float>(target.height());
    if (hp / wp > 1.5f) {
        const float sourceHeight = wp * ht * 2 / wt;
        draw(0, 0, wt / 2, ht, 0, 0, wp, sourceHeight);
        draw(wt / 2, 0, wt / 2, ht, 0, 0, wp, sourceHeight);
    } else if (wt * 0.8f >= wp && hp <= ht) {
        draw((wt - wp) / 2, (ht - hp) / 2, wp, hp, 0, 0, wp, hp);
    } else if (wt * 0.8f >= wp) {
        draw((wt - wp) / 2, 0, wp, ht, 0, 0, wp, ht);
    } else {
        const float s = wp / wt;
        if (hp / s <= ht)
            draw(0, (ht - hp / s) / 2, wt, hp / s, 0, 0, wp, hp);
        else
            draw(0, 0, wt, ht, 0, 0, wp, ht * s);
    }
    return canvas;
}

}
