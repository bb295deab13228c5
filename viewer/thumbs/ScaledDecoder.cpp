#include "ScaledDecoder.h"

#include <QImageReader>

#include <algorithm>

namespace viewer::thumbs {

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
    if (target != stored)
        reader.setScaledSize(target);
    result.image = reader.read();
    result.status = result.image.isNull() ? DecodeResult::Status::Failed : DecodeResult::Status::Ok;
    return result;
}

}
