#pragma once

#include "ThumbnailCache.h"

#include <QByteArray>
#include <QString>

namespace viewer::thumbs {

// What a picture request is answered with.
struct ServedPicture {
    enum class Kind { ScaledCopy, Original, Refused };
    Kind kind = Kind::Refused;
    QByteArray bytes;
    QByteArray mimeType;
    std::optional<ThumbSize> size; // the cache size of a scaled copy
    bool fromCache = false; // a valid entry was found (made by this program or another)
    bool fromEmbedded = false; // made from the camera's thumbnail inside the file
};

// The picture at path for a place drawing it drawnWidth device pixels wide (0: at its natural
// size, so always the original): the cache's entry of
// the smallest size at least that wide (made, and written back, when the cache has none valid),
// or the original file's bytes where even the largest size is too small or the picture is no
// larger than the copy would be. A camera thumbnail inside the file is used instead of decoding the
// photo when it is at least as large as the copy. Pictures stating more than kMaxDecodedPixels, unreadable files
// and pictures that cannot be decoded are refused (a failure entry records the last). Blocking:
// runs in a worker thread.
//
// Encoding::Compact answers an opaque copy as a JPEG instead of the cache's PNG (several times
// smaller, which is what the web engine keeps of every picture of a page); the cache still gets
// its PNG.
enum class Encoding { CacheEntry, Compact };
ServedPicture servePicture(
    const ThumbnailCache &cache, const QString &path, int drawnWidth, Encoding encoding = Encoding::CacheEntry);

}
