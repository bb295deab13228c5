#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace slideshow {

// Pictures with more pixels than this are refused before they are decoded.
inline constexpr qint64 kMaxPicturePixels = 100'000'000;

// Decodes a picture file at its natural size. Empty when the file cannot be read or decoded,
// or when its stated size is empty or above kMaxPicturePixels.
std::optional<QImage> readPicture(const QString &path);

// The picture drawn on a black target of the given size: a tall picture (height above 1.5
// times the width) twice side by side from its top part; a picture up to 80% of the target's
// width at its natural size, centred (only its top part when taller than the target); a
// wider one fitted to the target's width and centred, or filling the target from its top
// part when that would be taller than the target.
QImage fitPicture(const QImage &picture, QSize target);

}
