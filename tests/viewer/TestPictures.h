#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <initializer_list>

// Made-up picture headers: just enough bytes for the dimension reader, nothing decodable.
namespace viewer::pictures {

inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

inline QByteArray be32(quint32 v)
{
    return bytes({ int(v >> 24) & 255, int(v >> 16) & 255, int(v >> 8) & 255, int(v) & 255 });
}

inline QByteArray le32(quint32 v)
{
    return bytes({ int(v) & 255, int(v >> 8) & 255, int(v >> 16) & 255, int(v >> 24) & 255 });
}

inline QByteArray pngHeader(quint32 width, quint32 height)
{
    return bytes({ 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A }) + be32(13) + QByteArray("IHDR") + be32(width)
        + be32(height) + bytes({ 8, 2, 0, 0, 0 }) + be32(0);
}

inline QByteArray gifHeader(int width, int height)
{
    return QByteArray("GIF89a") + bytes({ width & 255, width >> 8, height & 255, height >> 8, 0, 0, 0 });
}

inline QByteArray bmpHeader(qint32 width, qint32 height)
{
    return QByteArray("BM") + le32(70) + le32(0) + le32(54) + le32(40) + le32(quint32(width)) + le32(quint32(height))
        + bytes({ 1, 0, 24, 0 }) + QByteArray(24, '\0');
}

// A JPEG segment: marker, then a length that counts itself and the payload.
inline QByteArray jpegSegment(int marker, const QByteArray &payload)
{
    const int length = int(payload.size()) + 2;
    return bytes({ 0xFF, marker, length >> 8, length & 255 }) + payload;
}

inline QByteArray jpegFrame(int marker, int width, int height)
{
    return jpegSegment(marker, bytes({ 8, height >> 8, height & 255, width >> 8, width & 255, 3, 1, 0x22, 0 }));
}

inline QByteArray jpegApp0()
{
    return jpegSegment(0xE0, QByteArray("JFIF\0", 5) + bytes({ 1, 1, 0, 0, 1, 0, 1, 0, 0 }));
}

// An APP1 block of `size` bytes in all, like a camera's EXIF data with its thumbnail.
inline QByteArray jpegExif(int size)
{
    QByteArray payload = QByteArray("Exif\0\0", 6) + QByteArray("MM\0*", 4);
    while (payload.size() < size - 4)
        payload.append(char(payload.size() * 7 % 251));
    payload.truncate(size - 4);
    return jpegSegment(0xE1, payload);
}

inline QByteArray jpeg(const QByteArray &segments)
{
    return bytes({ 0xFF, 0xD8 }) + segments + bytes({ 0xFF, 0xDA, 0, 2, 0x11, 0x22, 0xFF, 0xD9 });
}

inline bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

}
