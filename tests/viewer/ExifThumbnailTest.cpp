#include "viewer/thumbs/ExifThumbnail.h"

#include "TestPictures.h"
#include "tests/PictureDifference.h"
#include "viewer/thumbs/ScaledCopies.h"
#include "viewer/thumbs/ScaledDecoder.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using velmora::test::meanDifference;

namespace viewer::thumbs {
namespace {

    using pictures::bytes;

    QByteArray u16(bool bigEndian, quint32 v)
    {
        return bigEndian ? bytes({ int(v >> 8) & 255, int(v) & 255 }) : bytes({ int(v) & 255, int(v >> 8) & 255 });
    }
    QByteArray u32(bool bigEndian, quint32 v)
    {
        return bigEndian ? pictures::be32(v) : pictures::le32(v);
    }

    // One IFD entry holding a single value of type (3 SHORT, 4 LONG).
    QByteArray entry(bool be, quint32 tag, quint32 type, quint32 value)
    {
        const QByteArray inline4 = type == 3 ? u16(be, value) + bytes({ 0, 0 }) : u32(be, value);
        return u16(be, tag) + u16(be, type) + u32(be, 1) + inline4;
    }

    // The parts of an Exif block a test may spoil.
    struct ExifParts {
        bool bigEndian = true;
        int orientation = 1;
        QByteArray thumbnail;
        qint64 offsetShift = 0; // added to the thumbnail's stated offset
        qint64 lengthShift = 0; // added to its stated length
        int offsetType = 4;
        quint32 firstCount = 1; // entries IFD0 states
    };

    // The APP1 segment: TIFF header, IFD0 (orientation) at 8, IFD1 (thumbnail) at 26, the
    // thumbnail at 56.
    QByteArray exifSegment(const ExifParts &p)
    {
        const bool be = p.bigEndian;
        QByteArray tiff = (be ? QByteArray("MM") : QByteArray("II")) + u16(be, 42) + u32(be, 8);
        tiff += u16(be, p.firstCount) + entry(be, 0x0112, 3, quint32(p.orientation)) + u32(be, 26);
        tiff += u16(be, 2) + entry(be, 0x0201, quint32(p.offsetType), quint32(56 + p.offsetShift))
            + entry(be, 0x0202, 4, quint32(p.thumbnail.size() + p.lengthShift)) + u32(be, 0);
        tiff += p.thumbnail;
        return pictures::jpegSegment(0xE1, QByteArray("Exif\0\0", 6) + tiff);
    }

    QByteArray encoded(const QImage &image, const char *format = "JPEG")
    {
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format, 95);
        return data;
    }

    // Four blocks of colour, so that every turn and mirror shows.
    QImage quarters(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        const QRgb colours[] = { qRgb(220, 30, 30), qRgb(30, 200, 40), qRgb(40, 50, 210), qRgb(230, 220, 40) };
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, colours[(y * 2 / height) * 2 + x * 2 / width]);
        return image;
    }

    // A photo: the picture's own JPEG with an Exif block put in front of its segments.
    QByteArray photoWith(const QImage &picture, const QByteArray &exif)
    {
        return encoded(picture).insert(2, exif);
    }

    TEST(ExifThumbnail, OnlyAThumbnailWhollyInsideItsSegmentIsFound)
    {
        const QByteArray thumb = pictures::jpeg(pictures::jpegApp0());
        const auto withParts = [&](auto change) {
            ExifParts parts;
            parts.thumbnail = thumb;
            change(parts);
            return pictures::jpeg(exifSegment(parts));
        };
        struct Case {
            const char *name;
            QByteArray file;
            bool found;
            int orientation;
        };
        const Case cases[] = {
            { "big-endian", withParts([](ExifParts &) {}), true, 1 },
            { "little-endian, turned",
                withParts([](ExifParts &p) { p.bigEndian = false, p.orientation = 6; }),
                true,
                6 },
            { "offset as a short", withParts([](ExifParts &p) { p.offsetType = 3, p.orientation = 8; }), true, 8 },
            { "orientation out of range", withParts([](ExifParts &p) { p.orientation = 9; }), true, 1 },
            { "after a JFIF segment",
                pictures::jpeg(pictures::jpegApp0() + exifSegment(ExifParts { .thumbnail = thumb })),
                true,
                1 },
            { "offset past the segment", withParts([](ExifParts &p) { p.offsetShift = 4; }), false, 1 },
            { "length past the segment", withParts([](ExifParts &p) { p.lengthShift = 1; }), false, 1 },
            { "length wrapping round",
                withParts([&](ExifParts &p) { p.lengthShift = 0xFFFFFFFFll - thumb.size(); }),
                false,
                1 },
            { "offset wrapping round", withParts([](ExifParts &p) { p.offsetShift = 0xFFFFFFF0ll; }), false, 1 },
            { "first IFD stating 65535 entries", withParts([](ExifParts &p) { p.firstCount = 0xFFFF; }), false, 1 },
            { "thumbnail not a JPEG", withParts([](ExifParts &p) { p.thumbnail = "GIF89a-not-jpeg"; }), false, 1 },
            { "no Exif block", pictures::jpeg(pictures::jpegApp0()), false, 1 },
            { "Exif block cut short", withParts([](ExifParts &) {}).left(40), false, 1 },
            { "Exif block after the picture data",
                pictures::jpeg(QByteArray()) + exifSegment(ExifParts { .thumbnail = thumb }),
                false,
                1 },
            { "a bare TIFF header", pictures::jpeg(pictures::jpegExif(40)), false, 1 },
            { "not a JPEG", QByteArray("\x89PNG\r\n\x1a\n"), false, 1 },
            { "empty", QByteArray(), false, 1 },
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(c.name);
            const auto found = findExifThumbnail(c.file);
            ASSERT_EQ(found.has_value(), c.found);
            if (found) {
                EXPECT_EQ(found->jpeg, thumb);
                EXPECT_EQ(found->orientation, c.orientation);
            }
        }
    }

    TEST(ExifThumbnail, TheEmbeddedCopyShowsWhatTheScaledPhotoShowsInEveryOrientation)
    {
        QTemporaryDir dir;
        const QImage stored = quarters(600, 400);
        // A camera's 4:3 thumbnail with bars above and below a 3:2 photo.
        QImage barred(300, 225, QImage::Format_RGB32);
        barred.fill(Qt::black);
        {
            const QImage inner = stored.scaled(300, 200, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            for (int y = 0; y < inner.height(); ++y)
                for (int x = 0; x < inner.width(); ++x)
                    barred.setPixel(x, y + 12, inner.pixel(x, y));
        }
        for (const bool withBars : { false, true }) {
            for (int orientation = 1; orientation <= 8; ++orientation) {
                SCOPED_TRACE(testing::Message() << "orientation " << orientation << (withBars ? " with bars" : ""));
                ExifParts parts;
                parts.orientation = orientation;
                parts.thumbnail = encoded(
                    withBars ? barred : stored.scaled(300, 200, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
                const QString path = dir.filePath(QStringLiteral("photo-%1-%2.jpg").arg(orientation).arg(withBars));
                ASSERT_TRUE(pictures::writeFile(path, photoWith(stored, exifSegment(parts))));
                const DecodeResult decoded = decodeScaled(path, 256);
                ASSERT_EQ(decoded.status, DecodeResult::Status::Ok);
                const QSize target = decoded.image.size();
                EXPECT_EQ(target, orientation >= 5 ? QSize(171, 256) : QSize(256, 171));
                const QImage copy = embeddedCopy(path, target);
                ASSERT_EQ(copy.size(), target);
                EXPECT_LT(meanDifference(copy.convertToFormat(QImage::Format_RGB32),
                              decoded.image.convertToFormat(QImage::Format_RGB32)),
                    8.0);
                // Wider than the camera's thumbnail: not used.
                EXPECT_TRUE(embeddedCopy(path, fitWithin(decoded.originalSize, 512)).isNull());
            }
        }
    }

    TEST(ExifThumbnail, ServedCopiesUseTheEmbeddedThumbnailOnlyWhereItCoversThem)
    {
        QTemporaryDir dir;
        const ThumbnailCache cache(dir.filePath(QStringLiteral("cache")));
        const QImage stored = quarters(3000, 2000);
        const auto write = [&](const char *name, const QByteArray &thumbnail) {
            ExifParts parts;
            parts.thumbnail = thumbnail;
            const QString path = dir.filePath(QString::fromLatin1(name));
            EXPECT_TRUE(pictures::writeFile(path, photoWith(stored, exifSegment(parts))));
            return path;
        };
        const QString camera = write("camera.jpg", encoded(stored.scaled(240, 160)));
        // A thumbnail whose header states 60000 x 60000 pixels: never decoded.
        const QString forged =
            write("forged.jpg", pictures::jpeg(pictures::jpegApp0() + pictures::jpegFrame(0xC0, 60000, 60000)));
        struct Case {
            QString path;
            int width;
            QSize served;
            bool fromEmbedded;
        };
        const Case cases[] = {
            { camera, 100, { 128, 85 }, true },
            { camera, 250, { 256, 171 }, false },
            { forged, 100, { 128, 85 }, false },
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << c.path.toStdString() << " at " << c.width);
            const ServedPicture served = servePicture(cache, c.path, c.width);
            EXPECT_EQ(served.kind, ServedPicture::Kind::ScaledCopy);
            EXPECT_EQ(served.fromEmbedded, c.fromEmbedded);
            EXPECT_EQ(QImage::fromData(served.bytes).size(), c.served);
        }
    }

}
}
