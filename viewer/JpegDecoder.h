#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

namespace viewer {

struct JpegDecoded {
    enum class Status {
        Decoded,
        NotJpeg, // the bytes do not start as a JPEG does
        Passed, // a JPEG this decoder leaves to the general reader: CMYK, or turned by its Exif block
        TooLarge, // the header states more pixels than allowed; nothing was allocated for them
        Corrupt, // a broken or cut-off JPEG
    };
    Status status = Status::NotJpeg;
    // The picture as 24-bit RGB rows (Format_RGB888, the rows the JPEG encoder takes as they are)
    // with the file's colour profile and density; null unless Decoded.
    QImage picture;
    // What went wrong, for Corrupt and TooLarge.
    QString error;
};

// Decodes the bytes of a baseline or progressive JPEG in grey or colour straight into RGB rows,
// with the codec's accurate transform and smooth chroma upsampling, so the pixels are those the
// general image reader gives. The header is read first and a picture of more than maxPixels is
// refused before anything is allocated for its pixels. A picture whose data ends before its last
// rows is Corrupt rather than completed in grey (one that lacks only its end marker is whole), and
// a progressive picture with an absurd number of scans is refused. Safe to call from any thread.
//
// With a valid atLeast, the codec decodes at the smallest of its eighths (1/8, 2/8, ... 8/8 of the
// stated size) that still covers atLeast, as the general reader's scaled decode does; the picture
// then needs only a final scaling to atLeast. The pixel budget is that of the stated size.
JpegDecoded decodeJpeg(QByteArrayView bytes, qint64 maxPixels, QSize atLeast = {});

}
