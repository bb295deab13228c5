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

namespace {

    // Opens a reader under the bounds every decode here keeps: the stated size must be valid and
    // at most kMaxPicturePixels, and no decode may allocate more than such a picture needs.
    // Returns the natural size, or an empty size when the picture is refused.
    QSize openBounded(QImageReader &reader)
    {
        reader.setAutoTransform(false);
        reader.setAllocationLimit(static_cast<int>(kMaxPicturePixels * 4 / (qint64(1024) * 1024)) + 1);
        const QSize size = reader.size();
        if (!size.isValid() || size.isEmpty() || static_cast<qint64>(size.width()) * size.height() > kMaxPicturePixels)
            return {};
        return size;
    }

}

std::optional<QImage> readPicture(const QString &path, QSize target)
{
    QImageReader reader(path);
    const QSize size = openBounded(reader);
    if (size.isEmpty())
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

std::optional<PictureFile> inspectPicture(const QString &path)
{
    QImageReader reader(path);
    const QSize size = openBounded(reader);
    if (size.isEmpty())
        return std::nullopt;
    return PictureFile { size,
        reader.supportsOption(QImageIOHandler::ClipRect) && reader.supportsOption(QImageIOHandler::ScaledSize) };
}

std::optional<QImage> readPicturePart(const QString &path, QRect part, QSize size)
{
    QImageReader reader(path);
    const QSize natural = openBounded(reader);
    if (natural.isEmpty() || size.isEmpty())
        return std::nullopt;
    part &= QRect(QPoint(0, 0), natural);
    if (part.isEmpty())
        return std::nullopt;
    if (part != QRect(QPoint(0, 0), natural))
        reader.setClipRect(part);
    if (size != part.size())
        reader.setScaledSize(size);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

QList<FittedPart> fittingLayout(QSize natural, QSize target)
{
    QList<FittedPart> parts;
    if (natural.isEmpty() || target.isEmpty())
        return parts;
    const auto wp = static_cast<float>(natural.width());
    const auto hp = static_cast<float>(natural.height());
    const auto wt = static_cast<float>(target.width());
    const auto ht = static_cast<float>(target.height());
    const auto add = [&](float x, float y, float w, float h, float sx, float sy, float sw, float sh) {
        // As a painter does: the share of the source past the picture is cut with its target.
        if (sx + sw > wp) {
            w -= w * (sx + sw - wp) / sw;
            sw = wp - sx;
        }
        if (sy + sh > hp) {
            h -= h * (sy + sh - hp) / sh;
            sh = hp - sy;
        }
        parts.append({ QRectF(x, y, w, h), QRectF(sx, sy, sw, sh) });
    };
    if (hp / wp > 1.5f) {
        const float sourceHeight = wp * ht * 2 / wt;
        add(0, 0, wt / 2, ht, 0, 0, wp, sourceHeight);
        add(wt / 2, 0, wt / 2, ht, 0, 0, wp, sourceHeight);
    } else if (wt * 0.8f >= wp && hp <= ht) {
        add((wt - wp) / 2, (ht - hp) / 2, wp, hp, 0, 0, wp, hp);
    } else if (wt * 0.8f >= wp) {
        add((wt - wp) / 2, 0, wp, ht, 0, 0, wp, ht);
    } else {
        const float s = wp / wt;
        if (hp / s <= ht)
            add(0, (ht - hp / s) / 2, wt, hp / s, 0, 0, wp, hp);
        else
            add(0, 0, wt, ht, 0, 0, wp, ht * s);
    }
    return parts;
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
    for (const FittedPart &part : fittingLayout(natural, target)) {
        const QRectF &s = part.source;
        painter.drawImage(part.target, picture, QRectF(s.x() * kx, s.y() * ky, s.width() * kx, s.height() * ky));
    }
    return canvas;
}

}
