#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace viewer::thumbs {

// Pictures whose header states more pixels than this are not decoded at all.
inline constexpr qint64 kMaxDecodedPixels = 100'000'000;

struct DecodeResult {
    enum class Status { Ok, Unreadable, TooLarge, Failed };
    Status status = Status::Unreadable;
    QImage image; // the scaled picture, turned upright as its EXIF orientation says
    QSize originalSize; // upright size the header states
};

// Decodes the picture at path scaled so that its longer edge is at most maxEdge (never enlarged),
// through a scaled decode: a JPEG is decoded at an eighth of its size (1/8 ... 8/8) by libjpeg
// itself, from memory, and other pictures by the general reader's scaled decode.
// The header is read first: a picture that states more than kMaxDecodedPixels, or no size, is
// refused without decoding, so a forged header never leads to a large allocation. Safe to call
// from any thread.
DecodeResult decodeScaled(const QString &path, int maxEdge);

// The camera's thumbnail embedded in the JPEG at path, as a copy of the picture of size target
// (the upright picture fitted within some edge): turned upright as the photo's orientation says,
// cut to the photo's aspect (cameras often add bars to fit their thumbnail's frame) and scaled to
// target. Null when there is none, or when it is narrower or lower than target, since it would
// then show less than a copy made from the picture.
QImage embeddedCopy(const QString &path, QSize target);

// The size a picture of size original gets when its longer edge is brought to at most maxEdge,
// keeping its aspect ratio (each side at least 1). original itself when it already fits.
QSize fitWithin(QSize original, int maxEdge);

}
