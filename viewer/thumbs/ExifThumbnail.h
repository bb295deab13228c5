#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace viewer::thumbs {

// The small JPEG a camera stores inside its photo's Exif block, and the photo's orientation.
struct ExifThumbnail {
    QByteArray jpeg; // starts with the JPEG start marker
    int orientation = 1; // the Exif orientation of the photo (1..8), 1 when absent or invalid
};

// Finds the embedded thumbnail of a JPEG file from its first bytes: the Exif APP1 segment before
// the picture data, its first IFD's orientation and the second IFD's JPEGInterchangeFormat offset
// and length. Every offset is checked against the segment, no loop runs longer than the bytes
// allow, and nothing is allocated beyond the thumbnail's own bytes. Nothing when the file is not
// a JPEG, has no Exif block or no thumbnail, or states offsets outside its segment.
std::optional<ExifThumbnail> findExifThumbnail(QByteArrayView file);

// The orientation (1..8) that the TIFF block of an Exif segment (its bytes after "Exif\0\0")
// states for the photo; 1 when it states none or one out of range, or the block is malformed.
int exifOrientation(QByteArrayView tiffBytes);

// How many leading bytes of a file findExifThumbnail needs at most: the largest APP segments
// that may come before the Exif one.
inline constexpr qsizetype kExifSearchBytes = qsizetype(256) * 1024;

}
