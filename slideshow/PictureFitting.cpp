#include "PictureFitting.h"

#include <QImageReader>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace slideshow {

namespace {

    const QString kNaturalSizeKey = QStringLiteral("Velmora::NaturalSize");

}

QSize decodeSizeFor(QSize natural, QSize target)
{
    if (natural.isEmpty() || target.isEmpty())
        return natural;
    const double wp = natural.width();
    const double hp = natural.height();
    double drawnWidth = 0;
    if (hp / wp > 1.5)
        drawnWidth = target.width() / 2.0; // twice side by side
    else if (target.width() * 0.8 < wp)
        drawnWidth = target.width(); // fitted to the width
    if (drawnWidth <= 0 || drawnWidth >= wp)
        return natural;
    const double scale = drawnWidth / wp;
    const QSize scaled(int(std::ceil(wp * scale)), std::max(1, int(std::ceil(hp * scale))));
    return scaled.width() < natural.width() ? scaled : natural;
}

QSize naturalSizeOf(const QImage &picture)
{
    const QStringList sides = picture.text(kNaturalSizeKey).split(u'x');
    if (sides.size() == 2) {
        const QSize natural(sides[0].toInt(), sides[1].toInt());
        if (!natural.isEmpty())
            return natural;
    }
    return picture.size();
}

std::optional<QImage> readPicture(const QString &path, QSize target)
{
    QImageReader reader(path);
    reader.setAutoTransform(false);
    reader.setAllocationLimit(static_cast<int>(kMaxPicturePixels * 4 / (qint64(1024) * 1024)) + 1);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || static_cast<qint64>(size.width()) * size.height() > kMaxPicturePixels)
        return std::nullopt;
    const QSize decoded = decodeSizeFor(size, target);
    if (decoded != size)
        reader.setScaledSize(decoded);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    if (image.size() != size)
        image.setText(kNaturalSizeKey, QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
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
    // The rules and the source parts are in the natural size's pixels; a picture decoded
    // smaller has its parts scaled to its own pixels.
    const QSize natural = naturalSizeOf(picture);
    const double kx = double(picture.width()) / natural.width();
    const double ky = double(picture.height()) / natural.height();
    const auto draw = [&](float x, float y, float w, float h, float sx, float sy, float sw, float sh) {
        painter.drawImage(QRectF(x, y, w, h), picture, QRectF(sx * kx, sy * ky, sw * kx, sh * ky));
    };
    const auto wp = static_cast<float>(natural.width());
    const auto hp = static_cast<float>(natural.height());
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
