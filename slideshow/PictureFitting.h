#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>

namespace slideshow {

// Pictures with more pixels than this are refused before they are decoded.
inline constexpr qint64 kMaxPicturePixels = 100'000'000;

// Decodes a picture file at its natural size. Empty when the file cannot be read or decoded,
// or when its stated size is empty or above kMaxPicturePixels. Given the target it will be drawn
// on, a picture larger than fitPicture draws it there is decoded scaled down to that (a JPEG by
// the codec itself, at a fraction of the memory and time); the picture then carries its natural
// size (naturalSizeOf), so that fitPicture lays it out exactly as the whole picture.
std::optional<QImage> readPicture(const QString &path, QSize target = {});

// The size readPicture decodes a picture of size natural at for target: natural itself unless
// fitPicture draws it smaller there (then no smaller than drawn, keeping its aspect ratio).
QSize decodeSizeFor(QSize natural, QSize target);

// The natural size of a picture read by readPicture (its own size when it was not scaled).
QSize naturalSizeOf(const QImage &picture);

// What a picture file is, read from its header alone: its natural size, and whether its codec
// itself decodes only a part of the picture, reduced while decoding (JPEG), so that
// readPicturePart never holds the whole picture at full size. Empty under readPicture's bounds.
struct PictureFile {
    QSize natural;
    bool decodesPartsScaled = false;
};
std::optional<PictureFile> inspectPicture(const QString &path);

// The part `part` (in natural pixels) of a picture file, scaled smoothly to `size`, under the
// same bounds as readPicture. A codec that decodes parts itself stops after the part's last row
// and decodes at the smallest of its reduced scales that is still no smaller than `size`;
// other formats are decoded whole first. Empty when the file cannot be read or decoded.
std::optional<QImage> readPicturePart(const QString &path, QRect part, QSize size);

// The picture drawn on a black target of the given size: a tall picture (height above 1.5
// times the width) twice side by side from its top part; a picture up to 80% of the target's
// width at its natural size, centred (only its top part when taller than the target); a
// wider one fitted to the target's width and centred, or filling the target from its top
// part when that would be taller than the target. The rules go by the picture's natural size.
QImage fitPicture(const QImage &picture, QSize target);

// One drawing fitPicture makes: `source` (in the picture's natural pixels) scaled into `target`.
// A source reaching past the picture is cut there, with the same share of its target, so the
// target is exactly where the picture shows.
struct FittedPart {
    QRectF target;
    QRectF source;
};
// The drawings fitPicture makes for a picture of size natural on target: one, or for a tall
// picture two side by side from the same source.
QList<FittedPart> fittingLayout(QSize natural, QSize target);

}
