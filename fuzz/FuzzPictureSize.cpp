#include "viewer/PictureSize.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

// The reader must end on any bytes, never touch memory outside them, and give dimensions that a
// signed 16-bit header field can hold.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exactly sized copy, so that any read past the end lands in the redzone.
    std::vector<unsigned char> bytes(data, data + size);
    const viewer::PictureDimensions dimensions = viewer::GetPictureSizeFromBuffer(bytes);
    if (dimensions.width < 0 || dimensions.width > 32767 || dimensions.height < 0 || dimensions.height > 32767)
        std::abort();
    return 0;
}
