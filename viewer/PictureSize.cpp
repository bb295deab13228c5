#include "PictureSize.h"

#include "common/FileNames.h"

#include <QFile>

#include <array>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace viewer {

namespace {

    constexpr qint64 kHeadBytes = 4096;
    // Frame headers come early: past this many bytes of segments the walk gives up, so a huge
    // file that only starts like a JPEG (a sparse file of zeros, say) is not read to its end.
    constexpr qint64 kMarkerWalkLimit = qint64(8) << 20;

    // Two header bytes as a dimension: high * 256 + low as a signed 16-bit value; a negative
    // value is not taken.
    int dimension(int high, int low)
    {
        const int value = high * 256 + low;
        return value >= 32768 ? 0 : value;
    }

    // All bytes in memory. Positions count from 1; a position outside 1..length reads as 0.
    class BufferSource {
    public:
        explicit BufferSource(std::span<const unsigned char> bytes)
            : m_bytes(bytes)
        {
        }
        qint64 length() const { return qint64(m_bytes.size()); }
        int at(qint64 position) { return position >= 1 && position <= length() ? m_bytes[size_t(position - 1)] : 0; }

    private:
        std::span<const unsigned char> m_bytes;
    };

    // An open file seen through one window of kHeadBytes: the first window is the head, read
    // once; a position outside it moves the window there with one pread.
    class FileSource {
    public:
        FileSource(int fd, qint64 length)
            : m_fd(fd)
            , m_length(length)
        {
            moveWindow(0);
        }
        bool headRead() const { return m_windowSize > 0; }
        qint64 length() const { return m_length; }
        int at(qint64 position)
        {
            if (position < 1 || position > m_length)
                return 0;
            const qint64 offset = position - 1;
            if (offset < m_windowStart || offset >= m_windowStart + m_windowSize) {
                moveWindow(offset);
                if (m_windowSize == 0)
                    return 0;
            }
            return m_window[size_t(offset - m_windowStart)];
        }

    private:
        void moveWindow(qint64 offset)
        {
            const ssize_t got = ::pread(m_fd, m_window.data(), m_window.size(), off_t(offset));
            m_windowStart = offset;
            m_windowSize = got > 0 ? got : 0;
        }

        int m_fd = -1;
        qint64 m_length = 0;
        qint64 m_windowStart = 0;
        qint64 m_windowSize = 0;
        std::array<unsigned char, kHeadBytes> m_window {};
    };

    // Walks the JPEG markers from the 0xFF at position 3 to the first frame header 0xC0..0xC3.
    // Every step moves p forward by at least one byte, so the walk ends after at most
    // min(L, kMarkerWalkLimit) steps.
    template <typename Source> PictureDimensions jpegSize(Source &source)
    {
        const qint64 length = source.length();
        qint64 p = 3;
        for (;;) {
            if (p > kMarkerWalkLimit)
                return {};
            const int m1 = source.at(p);
            const int m2 = source.at(p + 1);
            p = p + 1;
            if (m1 != 255 || m2 == 255) {
                if (p <= length)
                    continue;
                return {};
            }
            std::array<int, 8> g {};
            for (int i = 0; i < 8; ++i)
                g[size_t(i)] = source.at(p + i);
            if (g[0] < 192 || g[0] > 195) {
                p = p + (g[1] * 256 + g[2]) + 1;
                if (p >= length)
                    return {};
                continue;
            }
            return { dimension(g[6], g[7]), dimension(g[4], g[5]) };
        }
    }

    template <typename Source> PictureDimensions pictureSize(Source &source)
    {
        const int s1 = source.at(1), s2 = source.at(2), s3 = source.at(3), s4 = source.at(4);
        if (s1 == 137 && s2 == 80 && s3 == 78 && s4 == 71)
            return { dimension(source.at(19), source.at(20)), dimension(source.at(23), source.at(24)) };
        if (s1 == 71 && s2 == 73 && s3 == 70 && s4 == 56)
            return { dimension(source.at(8), source.at(7)), dimension(source.at(10), source.at(9)) };
        if (s1 == 255 && s2 == 216 && s3 == 255)
            return jpegSize(source);
        if (s1 == 66 && s2 == 77)
            return { dimension(source.at(20), source.at(19)), dimension(source.at(24), source.at(23)) };
        return {};
    }

}

PictureDimensions GetPictureSizeFromBuffer(std::span<const unsigned char> bytes)
{
    BufferSource source(bytes);
    return pictureSize(source);
}

PictureDimensions GetPictureSize(const QString &path)
{
    const QByteArray name = common::encodeFileName(path);
    if (name.isEmpty())
        return {};
    // O_NONBLOCK keeps a named pipe without a writer from blocking the open.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return {};
    PictureDimensions result;
    struct stat info { };
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        FileSource source(fd, qint64(info.st_size));
        if (source.headRead())
            result = pictureSize(source);
    }
    ::close(fd);
    return result;
}

}
