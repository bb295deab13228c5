#include "ExifThumbnail.h"

namespace viewer::thumbs {

namespace {

    // Reads numbers of a TIFF block in its stated byte order; every read is bounds-checked.
    class TiffBlock {
    public:
        TiffBlock(QByteArrayView bytes, bool bigEndian)
            : m_bytes(bytes)
            , m_bigEndian(bigEndian)
        {
        }

        qsizetype size() const { return m_bytes.size(); }
        QByteArrayView bytes() const { return m_bytes; }

        std::optional<quint32> read(qint64 at, int width) const
        {
            if (at < 0 || at + width > m_bytes.size())
                return std::nullopt;
            quint32 value = 0;
            for (int i = 0; i < width; ++i) {
                const auto byte = quint32(static_cast<unsigned char>(m_bytes[at + (m_bigEndian ? i : width - 1 - i)]));
                value = (value << 8) | byte;
            }
            return value;
        }
        std::optional<quint32> u16(qint64 at) const { return read(at, 2); }
        std::optional<quint32> u32(qint64 at) const { return read(at, 4); }

    private:
        QByteArrayView m_bytes;
        bool m_bigEndian;
    };

    constexpr quint32 kOrientation = 0x0112;
    constexpr quint32 kThumbnailOffset = 0x0201;
    constexpr quint32 kThumbnailLength = 0x0202;
    constexpr quint32 kShort = 3;
    constexpr quint32 kLong = 4;

    struct IfdValues {
        std::optional<quint32> orientation;
        std::optional<quint32> offset;
        std::optional<quint32> length;
        std::optional<quint32> next; // offset of the following IFD, 0 for none
    };

    // The entries of the IFD at offset that this reader uses: single SHORT or LONG values.
    std::optional<IfdValues> readIfd(const TiffBlock &tiff, quint32 offset)
    {
        const auto count = tiff.u16(offset);
        if (!count)
            return std::nullopt;
        IfdValues values;
        // Each entry is 12 bytes and must lie inside the block, so the loop is bounded by its size.
        for (quint32 i = 0; i < *count; ++i) {
            const qint64 entry = qint64(offset) + 2 + qint64(i) * 12;
            const auto tag = tiff.u16(entry);
            const auto type = tiff.u16(entry + 2);
            const auto number = tiff.u32(entry + 4);
            if (!tag || !type || !number)
                return std::nullopt;
            if (*number != 1 || (*type != kShort && *type != kLong))
                continue;
            const auto value = *type == kShort ? tiff.u16(entry + 8) : tiff.u32(entry + 8);
            if (*tag == kOrientation)
                values.orientation = value;
            else if (*tag == kThumbnailOffset)
                values.offset = value;
            else if (*tag == kThumbnailLength)
                values.length = value;
        }
        values.next = tiff.u32(qint64(offset) + 2 + qint64(*count) * 12);
        return values;
    }

    // The block in its stated byte order, when it starts as a TIFF block does.
    std::optional<TiffBlock> tiffBlock(QByteArrayView tiffBytes)
    {
        if (tiffBytes.size() < 8)
            return std::nullopt;
        const bool bigEndian = tiffBytes.startsWith("MM");
        if (!bigEndian && !tiffBytes.startsWith("II"))
            return std::nullopt;
        const TiffBlock tiff(tiffBytes, bigEndian);
        if (tiff.u16(2) != 42u)
            return std::nullopt;
        return tiff;
    }

    int orientationOf(const std::optional<IfdValues> &first)
    {
        return first && first->orientation && *first->orientation >= 1 && *first->orientation <= 8
            ? int(*first->orientation)
            : 1;
    }

    std::optional<ExifThumbnail> fromExifBlock(QByteArrayView tiffBytes)
    {
        const auto tiff = tiffBlock(tiffBytes);
        if (!tiff)
            return std::nullopt;
        const auto first = readIfd(*tiff, *tiff->u32(4));
        if (!first || !first->next || *first->next == 0)
            return std::nullopt;
        const auto second = readIfd(*tiff, *first->next);
        if (!second || !second->offset || !second->length || *second->length < 4)
            return std::nullopt;
        const qint64 start = *second->offset;
        const qint64 length = *second->length;
        if (start + length > tiff->size())
            return std::nullopt;
        const QByteArrayView jpeg = tiffBytes.sliced(start, length);
        if (!jpeg.startsWith("\xFF\xD8"))
            return std::nullopt;
        ExifThumbnail found;
        found.jpeg = jpeg.toByteArray();
        found.orientation = orientationOf(first);
        return found;
    }

}

int exifOrientation(QByteArrayView tiffBytes)
{
    const auto tiff = tiffBlock(tiffBytes);
    return tiff ? orientationOf(readIfd(*tiff, *tiff->u32(4))) : 1;
}

std::optional<ExifThumbnail> findExifThumbnail(QByteArrayView file)
{
    if (!file.startsWith("\xFF\xD8"))
        return std::nullopt;
    qsizetype at = 2;
    // Each step moves past one segment (at least two bytes), so the walk ends within the bytes.
    while (at + 4 <= file.size()) {
        if (static_cast<unsigned char>(file[at]) != 0xFF)
            return std::nullopt;
        const auto marker = static_cast<unsigned char>(file[at + 1]);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) { // markers without a length
            at += 2;
            continue;
        }
        // The picture data or its end: no Exif block comes after these.
        if (marker == 0xDA || marker == 0xD9)
            return std::nullopt;
        const qsizetype length =
            (qsizetype(static_cast<unsigned char>(file[at + 2])) << 8) | static_cast<unsigned char>(file[at + 3]);
        if (length < 2 || at + 2 + length > file.size())
            return std::nullopt;
        const QByteArrayView segment = file.sliced(at + 4, length - 2);
        if (marker == 0xE1 && segment.startsWith(QByteArrayView("Exif\0\0", 6)))
            return fromExifBlock(segment.sliced(6));
        at += 2 + length;
    }
    return std::nullopt;
}

}
