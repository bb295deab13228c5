#pragma once

#include "ThumbnailCache.h"

#include <QByteArray>
#include <QString>

namespace viewer::thumbs {

// A cache entry made while serving, for the caller to write once the copy has been answered.
struct EntryToStore {
    SourceFile source;
    ThumbSize size = ThumbSize::Normal;
    QImage image;
};

// What a picture request is answered with.
struct ServedPicture {
    enum class Kind { ScaledCopy, Original, Refused };
    Kind kind = Kind::Refused;
    QByteArray bytes;
    QByteArray mimeType;
    std::optional<ThumbSize> size; // the cache size of a scaled copy
    bool fromCache = false; // a valid entry was found (made by this program or another)
    bool fromEmbedded = false; // made from the camera's thumbnail inside the file
    std::optional<EntryToStore> toStore; // the cache entry still to write (StoreTiming::AfterAnswer)
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
//
// StoreTiming::AfterAnswer leaves the writing of a new compact copy's cache entry to the caller
// (served.toStore, to write with ThumbnailCache::store): the PNG of a large copy takes a good part of the
// decode's time, and the page need not wait for it.
enum class Encoding { CacheEntry, Compact };
enum class StoreTiming { Now, AfterAnswer };
ServedPicture servePicture(const ThumbnailCache &cache,
    const QString &path,
    int drawnWidth,
    Encoding encoding = Encoding::CacheEntry,
    StoreTiming timing = StoreTiming::Now);

}
