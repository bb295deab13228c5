#include "viewer/PictureSize.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

// The file reader must give what the buffer reader gives for the same bytes: it reads the file
// through a moving window, and a window edge must never change an answer. The bytes go into a
// memory-backed file, reached by its /proc path like any other file name.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const int fd = ::memfd_create("picture", MFD_CLOEXEC);
    static const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);
    if (fd < 0)
        std::abort();
    if (::ftruncate(fd, 0) != 0)
        std::abort();
    size_t written = 0;
    while (written < size) {
        const ssize_t got = ::pwrite(fd, data + written, size - written, off_t(written));
        if (got <= 0)
            std::abort();
        written += size_t(got);
    }
    const viewer::PictureDimensions fromFile = viewer::GetPictureSize(path);
    const viewer::PictureDimensions fromBuffer =
        viewer::GetPictureSizeFromBuffer(std::span<const unsigned char>(data, size));
    if (!(fromFile == fromBuffer))
        std::abort();
    return 0;
}
