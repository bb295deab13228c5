#include "viewer/thumbs/ExifThumbnail.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

// The Exif reader must end on any bytes, never read outside them, and answer a thumbnail that is
// a part of them with a valid orientation.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exactly sized copy, so that any read past the end lands in the redzone.
    const std::vector<char> bytes(data, data + size);
    const auto found = viewer::thumbs::findExifThumbnail(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (found
        && (found->jpeg.size() < 4 || std::size_t(found->jpeg.size()) > size || found->orientation < 1
            || found->orientation > 8))
        std::abort();
    return 0;
}
