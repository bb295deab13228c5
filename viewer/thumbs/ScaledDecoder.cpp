#include "ScaledDecoder.h"

#include "ExifThumbnail.h"
#include "viewer/JpegDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTransform>

#include <algorithm>

namespace viewer::thumbs {

namespace {

    // An embedded thumbnail larger than this is not one.
    constexpr int kLargestEmbeddedEdge = 2048;

    // JPEG files up to this size are read whole and decoded by libjpeg from memory, which is
    // faster than the general reader's small reads; larger ones go to the general reader.
    constexpr qint64 kLargestJpegReadWhole = qint64(128) * 1024 * 1024;

    // The picture at path decoded by libjpeg at a scale that covers target, then scaled to it;
    // null when the file is no JPEG, or one that libjpeg leaves to the general reader (turned by
    // Exif, CMYK) or cannot decode whole: the general reader then decodes it as it always has.
    QImage decodedJpeg(const QString &path, QSize target)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestJpegReadWhole)
            return {};
        const QByteArray bytes = file.readAll();
        JpegDecoded decoded = decodeJpeg(bytes, kMaxDecodedPixels, target);
        if (decoded.status != JpegDecoded::Status::Decoded)
            return {};
        // The format the general reader gives, so that what is made of the copy is the same.
        QImage image = decoded.picture.convertToFormat(QImage::Format_RGB32);
        if (image.size() != target)
            image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return image;
    }

    QImage upright(QImage image, int orientation)
    {
        // Orientations 2..8: mirrored, turned half round, flipped, then those with a quarter turn.
        static constexpr struct {
            bool mirror, flip, quarter;
        } kTurns[9] = { {},
            {},
            { true, false, false },
            { true, true, false },
            { false, true, false },
            { false, true, true },
            { false, false, true },
            { true, false, true },
            { true, true, true } };
        const auto turn = kTurns[std::clamp(orientation, 1, 8)];
        if (turn.mirror || turn.flip)
            image = image.mirrored(turn.mirror, turn.flip);
        if (turn.quarter)
            image = image.transformed(QTransform().rotate(90));
        return image;
    }

}

QImage embeddedCopy(const QString &path, QSize target)
{
    if (target.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const auto found = findExifThumbnail(file.read(kExifSearchBytes));
    if (!found)
        return {};
    QBuffer buffer;
    buffer.setData(found->jpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);
    const QSize stated = reader.size();
    if (!stated.isValid() || stated.isEmpty() || std::max(stated.width(), stated.height()) > kLargestEmbeddedEdge)
        return {};
    QImage image = upright(reader.read(), found->orientation);
    if (image.isNull())
        return {};
    // Cut to the picture's aspect about the centre.
    QSize kept = image.size();
    if (qint64(kept.width()) * target.height() > qint64(kept.height()) * target.width())
        kept.setWidth(
            std::max(1, int((qint64(kept.height()) * target.width() + target.height() / 2) / target.height())));
    else
        kept.setHeight(
            std::max(1, int((qint64(kept.width()) * target.height() + target.width() / 2) / target.width())));
    if (kept.width() < target.width() || kept.height() < target.height())
        return {};
    image = image.copy(QRect(QPoint((image.width() - kept.width()) / 2, (image.height() - kept.height()) / 2), kept));
    return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QSize fitWithin(QSize original, int maxEdge)
{
    if (original.isEmpty() || maxEdge <= 0)
        return {};
    const int longer = std::max(original.width(), original.height());
    if (longer <= maxEdge)
        return original;
    // Rounded to the nearest pixel, as the cache's other writers do; never below one pixel.
    const auto scale = [&](int side) {
        return std::max(1, int((qint64(side) * maxEdge + longer / 2) / longer));
    };
    return { scale(original.width()), scale(original.height()) };
}

DecodeResult decodeScaled(const QString &path, int maxEdge)
{
    DecodeResult result;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!reader.canRead() || !stored.isValid() || stored.isEmpty()) {
        result.status = DecodeResult::Status::Unreadable;
        return result;
    }
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    result.originalSize = turned ? stored.transposed() : stored;
    if (qint64(stored.width()) * stored.height() > kMaxDecodedPixels) {
        result.status = DecodeResult::Status::TooLarge;
        return result;
    }
    const QSize target = fitWithin(stored, maxEdge);
    // A photo turned by its Exif block is left to the general reader, which turns it upright.
    if (reader.format() == "jpeg" && reader.transformation() == QImageIOHandler::TransformationNone)
        result.image = decodedJpeg(path, target);
    if (result.image.isNull()) {
        if (target != stored)
            reader.setScaledSize(target);
        result.image = reader.read();
    }
    result.status = result.image.isNull() ? DecodeResult::Status::Failed : DecodeResult::Status::Ok;
    return result;
}

}
