#include "ScaledCopies.h"

#include "ScaledDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

namespace viewer::thumbs {

namespace {

    QByteArray readWhole(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }

    bool isOpaque(const QImage &image)
    {
        if (!image.hasAlphaChannel())
            return true;
        const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < pixels.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
            for (int x = 0; x < pixels.width(); ++x)
                if (qAlpha(line[x]) != 255)
                    return false;
        }
        return true;
    }

    // An opaque copy as a JPEG of high quality; empty for a copy with transparency.
    QByteArray compactJpeg(const QImage &image)
    {
        if (!isOpaque(image))
            return {};
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(90);
        if (!writer.write(image))
            return {};
        return bytes;
    }

    QByteArray mimeOf(const QByteArray &format)
    {
        if (format == "jpeg" || format == "jpg")
            return "image/jpeg";
        if (format.isEmpty())
            return "application/octet-stream";
        return "image/" + format;
    }

}

ServedPicture servePicture(
    const ThumbnailCache &cache, const QString &path, int drawnWidth, Encoding encoding, StoreTiming timing)
{
    ServedPicture served;
    const auto source = describeSource(path);
    if (!source)
        return served;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    const QByteArray format = reader.format();
    if (!stored.isValid() || stored.isEmpty() || qint64(stored.width()) * stored.height() > kMaxDecodedPixels)
        return served;
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const QSize upright = turned ? stored.transposed() : stored;
    const auto size = smallestSizeFor(neededEdge(upright, drawnWidth));
    if (drawnWidth <= 0 || !size || std::max(upright.width(), upright.height()) <= edgeOf(*size)) {
        served.bytes = readWhole(path);
        if (served.bytes.isEmpty())
            return served;
        served.kind = ServedPicture::Kind::Original;
        served.mimeType = mimeOf(format);
        return served;
    }
    served.size = size;
    served.mimeType = "image/png";
    if (const auto entry = cache.lookup(*source, *size)) {
        served.bytes = encoding == Encoding::Compact ? compactJpeg(*entry) : QByteArray();
        if (!served.bytes.isEmpty())
            served.mimeType = "image/jpeg";
        else
            served.bytes = readWhole(cache.entryPath(source->uri, *size));
        if (!served.bytes.isEmpty()) {
            served.kind = ServedPicture::Kind::ScaledCopy;
            served.fromCache = true;
            return served;
        }
    }
    if (cache.hasFailure(*source))
        return served;
    // A larger valid entry (another program's, or one made for a wider page) is scaled down: far
    // cheaper than decoding the original again.
    QImage image;
    if (const auto larger = cache.lookupAtLeast(*source, *size)) {
        image =
            larger->first.scaled(fitWithin(upright, edgeOf(*size)), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        served.fromCache = true;
    } else if (format == "jpeg" && !(image = embeddedCopy(path, fitWithin(upright, edgeOf(*size)))).isNull()) {
        // The camera's own thumbnail already covers the copy: no need to decode the photo.
        served.fromEmbedded = true;
    } else {
        const DecodeResult decoded = decodeScaled(path, edgeOf(*size));
        if (decoded.status != DecodeResult::Status::Ok) {
            if (decoded.status == DecodeResult::Status::Failed)
                cache.storeFailure(*source);
            return served;
        }
        image = decoded.image;
    }
    QByteArray compact = encoding == Encoding::Compact ? compactJpeg(image) : QByteArray();
    served.kind = ServedPicture::Kind::ScaledCopy;
    if (!compact.isEmpty() && timing == StoreTiming::AfterAnswer) {
        served.toStore = EntryToStore { *source, *size, std::move(image) };
    } else {
        // Written back for the next time and for other programs; served even when the cache
        // cannot be written.
        cache.store(*source, *size, image, nullptr, &served.bytes);
        if (served.bytes.isEmpty())
            return {};
    }
    if (!compact.isEmpty()) {
        served.bytes = std::move(compact);
        served.mimeType = "image/jpeg";
    }
    return served;
}

}
