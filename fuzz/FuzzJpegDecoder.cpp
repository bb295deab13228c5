#include "viewer/JpegDecoder.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

// The JPEG decoder must end on any bytes without leaving the process, never read outside them,
// hold to its pixel budget, and answer either a picture of 24-bit rows or no picture with a reason.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A small budget keeps each run short; the header check is the same for any budget.
    constexpr qint64 kBudget = 2'000'000;
    // An exactly sized copy, so that any read past the end lands in the redzone.
    const std::vector<char> bytes(data, data + size);
    using Status = viewer::JpegDecoded::Status;
    const viewer::JpegDecoded decoded =
        viewer::decodeJpeg(QByteArrayView(bytes.data(), qsizetype(bytes.size())), kBudget);
    if (decoded.status == Status::Decoded) {
        const QImage &picture = decoded.picture;
        if (picture.isNull() || picture.format() != QImage::Format_RGB888
            || qint64(picture.width()) * picture.height() > kBudget)
            std::abort();
    } else if (!decoded.picture.isNull()) {
        std::abort();
    }
    if ((decoded.status == Status::Corrupt || decoded.status == Status::TooLarge) == decoded.error.isEmpty())
        std::abort();
    return 0;
}
