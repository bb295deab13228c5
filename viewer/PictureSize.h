#pragma once

#include <QString>

#include <span>

namespace viewer {

// Pixel size of a picture as its header states it. Each dimension is the low 16 bits of the
// stored value read as a signed 16-bit number: a value of 32768 or more (after dropping the high
// bits) is not taken and stays 0. (0, 0) when the format is not recognised.
struct PictureDimensions {
    int width = 0;
    int height = 0;

    bool operator==(const PictureDimensions &) const = default;
};

// Width and height of a PNG, GIF, JPEG (baseline, extended, progressive or lossless Huffman
// frames, markers 0xC0..0xC3) or BMP held in bytes, without decoding the picture. Bytes past the
// end read as 0; a truncated header gives 0 for what it cannot hold. A JPEG whose frame header
// does not start within its first 8 MiB gives (0, 0). Runs in time linear in the size of the
// buffer (and at most in 8 MiB) and never reads outside it.
PictureDimensions GetPictureSizeFromBuffer(std::span<const unsigned char> bytes);

// The same for a file. Reads the first 4 KiB with one call; a JPEG reads further only where its
// segments lead (large segments such as camera EXIF blocks are skipped, not read), and never
// past its first 8 MiB, however large the file. (0, 0) for a
// missing, unreadable or non-regular file (folders, pipes and devices are not opened for reading).
PictureDimensions GetPictureSize(const QString &path);

}
