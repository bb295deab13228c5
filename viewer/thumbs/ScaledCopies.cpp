#include "ScaledCopies.h"

#include "ScaledDecoder.h"

#include <QFile>
#include <QImageReader>

namespace viewer::thumbs {

namespace {

    QByteArray readWhole(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
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

ServedPicture servePicture(const ThumbnailCache &cache, const QString &path, int drawnWidth)
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
    if (cache.lookup(*source, *size)) {
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
    // Written back for the next time and for other programs; served even when the cache cannot
    // be written.
    cache.store(*source, *size, image, nullptr, &served.bytes);
    if (served.bytes.isEmpty())
        return {};
    served.kind = ServedPicture::Kind::ScaledCopy;
    return served;
}

}
