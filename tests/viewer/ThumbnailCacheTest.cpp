#include "viewer/thumbs/ThumbnailCache.h"

#include "TestPictures.h"
#include "common/FileNames.h"
#include "tests/PictureDifference.h"
#include "viewer/thumbs/ScaledDecoder.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace viewer::thumbs {
namespace {

    QImage pattern(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(30, 120, 200));
        for (int y = 0; y < height; y += 7)
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, qRgb(x % 256, y % 256, 90));
        return image;
    }

    void setMTime(const QString &path, const QDateTime &when)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    }

    unsigned modeOf(const QString &path)
    {
        struct stat info { };
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0xFFFF;
    }

    // A real JPEG whose frame header is changed to state another size.
    QByteArray forgedJpeg(int width, int height)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        pattern(64, 64).save(&buffer, "JPEG");
        const qsizetype frame = bytes.indexOf("\xFF\xC0");
        bytes[frame + 5] = char(height >> 8);
        bytes[frame + 6] = char(height & 255);
        bytes[frame + 7] = char(width >> 8);
        bytes[frame + 8] = char(width & 255);
        return bytes;
    }

    QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
    {
        const QByteArray body = type + data;
        quint32 crc = 0xFFFFFFFF;
        for (char byte : body) {
            crc ^= static_cast<unsigned char>(byte);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
        }
        return pictures::be32(quint32(data.size())) + body + pictures::be32(~crc);
    }

    // A PNG header stating a size, with its checksums right so that the reader takes it.
    QByteArray forgedPng(quint32 width, quint32 height)
    {
        return pictures::bytes({ 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A })
            + pngChunk("IHDR", pictures::be32(width) + pictures::be32(height) + pictures::bytes({ 8, 2, 0, 0, 0 }))
            + pngChunk("IDAT", {}) + pngChunk("IEND", {});
    }

    long peakKilobytes()
    {
        rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    }

    TEST(ThumbnailSizes, TheSmallestSizeAtLeastAsLargeAsDrawnIsChosen)
    {
        struct Case {
            QSize original;
            int drawnWidth;
            int edge;
            std::optional<ThumbSize> size;
        };
        const Case cases[] = {
            { { 6000, 4000 }, 250, 250, ThumbSize::Large }, // four a row at 1040 px
            { { 6000, 4000 }, 256, 256, ThumbSize::Large },
            { { 6000, 4000 }, 257, 257, ThumbSize::XLarge },
            { { 4000, 6000 }, 250, 375, ThumbSize::XLarge }, // upright: the height is the longer edge
            { { 4000, 6000 }, 85, 128, ThumbSize::Normal },
            { { 6000, 4000 }, 1000, 1000, ThumbSize::XXLarge },
            { { 6000, 4000 }, 1040, 1040, std::nullopt }, // the original serves
            { { 3, 1000 }, 2, 667, ThumbSize::XXLarge },
            { { 3, 1000 }, 4, 1334, std::nullopt },
            { { 0, 0 }, 200, 0, ThumbSize::Normal },
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(
                testing::Message() << c.original.width() << "x" << c.original.height() << " at " << c.drawnWidth);
            EXPECT_EQ(neededEdge(c.original, c.drawnWidth), c.edge);
            EXPECT_EQ(smallestSizeFor(c.edge), c.size);
            if (c.size && c.edge > 0) {
                const QSize copy = fitWithin(c.original, edgeOf(*c.size));
                EXPECT_GE(copy.width(), std::min(c.drawnWidth, c.original.width()));
            }
        }
        EXPECT_EQ(folderOf(ThumbSize::Normal), "normal");
        EXPECT_EQ(folderOf(ThumbSize::Large), "large");
        EXPECT_EQ(folderOf(ThumbSize::XLarge), "x-large");
        EXPECT_EQ(folderOf(ThumbSize::XXLarge), "xx-large");
    }

    TEST(ThumbnailSizes, FittingKeepsTheAspectAndNeverEnlarges)
    {
        struct Case {
            QSize original;
            int edge;
            QSize fitted;
        };
        const Case cases[] = {
            { { 6000, 4000 }, 512, { 512, 341 } },
            { { 4000, 6000 }, 256, { 171, 256 } },
            { { 100, 50 }, 256, { 100, 50 } },
            { { 20000, 1 }, 128, { 128, 1 } },
            { { 0, 10 }, 128, {} },
        };
        for (const Case &c : cases)
            EXPECT_EQ(fitWithin(c.original, c.edge), c.fitted) << c.original.width() << "x" << c.original.height();
    }

    TEST(ThumbnailNames, TheUriAndItsMd5NameTheEntry)
    {
        struct Case {
            QString path;
            QByteArray uri;
        };
        const Case cases[] = {
            { QStringLiteral("/home/jens/photos/me.png"), "file:///home/jens/photos/me.png" },
            { QStringLiteral("/a b/c#d?.jpg"), "file:///a%20b/c%23d%3F.jpg" },
            { QStringLiteral("/x/[1]%.jpg"), "file:///x/%5B1%5D%25.jpg" },
            { QStringLiteral("/x/It's (1)+~.jpg"), "file:///x/It's%20(1)+~.jpg" },
            { QString::fromUtf8("/x/\xc3\xbc\xe5\x9b\xbe.jpg"), "file:///x/%C3%BC%E5%9B%BE.jpg" },
            { common::decodeFileName(QByteArray("/x/\xff\x41.jpg")), "file:///x/%FFA.jpg" },
        };
        for (const Case &c : cases)
            EXPECT_EQ(thumbnailUri(c.path), c.uri) << c.path.toStdString();

        const ThumbnailCache cache(QStringLiteral("/c/thumbnails"));
        EXPECT_EQ(cache.entryPath("file:///home/jens/photos/me.png", ThumbSize::Normal),
            "/c/thumbnails/normal/c6ee772d9e49320e97ec29a7eb5b1697.png");
        EXPECT_EQ(cache.entryPath("file:///home/jens/photos/me.png", ThumbSize::XXLarge),
            "/c/thumbnails/xx-large/c6ee772d9e49320e97ec29a7eb5b1697.png");
        EXPECT_EQ(cache.failPath("file:///home/jens/photos/me.png"),
            "/c/thumbnails/fail/velmora/c6ee772d9e49320e97ec29a7eb5b1697.png");
    }

    class ThumbnailCacheTest : public testing::Test {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE(dir.isValid());
            picture = dir.filePath(QStringLiteral("photo.jpg"));
            ASSERT_TRUE(pattern(600, 400).save(picture, "JPEG", 90));
            setMTime(picture, QDateTime::fromSecsSinceEpoch(1'600'000'000));
            source = *describeSource(picture);
        }

        QTemporaryDir dir;
        ThumbnailCache cache { QTemporaryDir().path() + QStringLiteral("-cache/thumbnails") };
        QString picture;
        SourceFile source;
    };

    TEST_F(ThumbnailCacheTest, AnEntryMadeIsValidByTheCacheRules)
    {
        EXPECT_EQ(source.mtime, 1'600'000'000);
        EXPECT_EQ(source.uri, thumbnailUri(picture));
        EXPECT_FALSE(cache.lookup(source, ThumbSize::Large));

        const DecodeResult decoded = decodeScaled(picture, edgeOf(ThumbSize::Large));
        ASSERT_EQ(decoded.status, DecodeResult::Status::Ok);
        QString error;
        ASSERT_TRUE(cache.store(source, ThumbSize::Large, decoded.image, &error)) << error.toStdString();

        const QString entry = cache.entryPath(source.uri, ThumbSize::Large);
        QImageReader reader(entry);
        EXPECT_EQ(reader.format(), "png");
        const QImage stored = reader.read();
        EXPECT_EQ(stored.text(QStringLiteral("Thumb::URI")).toUtf8(), source.uri);
        EXPECT_EQ(stored.text(QStringLiteral("Thumb::MTime")), "1600000000");
        EXPECT_EQ(stored.size(), QSize(256, 171));
        EXPECT_EQ(modeOf(entry), 0600);
        EXPECT_EQ(modeOf(cache.root()), 0700);
        EXPECT_EQ(modeOf(cache.root() + QStringLiteral("large")), 0700);
        const auto found = cache.lookup(source, ThumbSize::Large);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->size(), QSize(256, 171));
        EXPECT_EQ(QDir(cache.root() + QStringLiteral("large")).entryList(QDir::Files).size(), 1) << "no temporary left";
    }

    TEST_F(ThumbnailCacheTest, ATouchedFileNeedsAFreshCopy)
    {
        ASSERT_TRUE(cache.store(source, ThumbSize::Normal, pattern(128, 85)));
        ASSERT_TRUE(cache.storeFailure(source));
        EXPECT_TRUE(cache.lookup(source, ThumbSize::Normal));
        EXPECT_TRUE(cache.hasFailure(source));

        setMTime(picture, QDateTime::fromSecsSinceEpoch(1'600'000'001));
        const SourceFile touched = *describeSource(picture);
        EXPECT_FALSE(cache.lookup(touched, ThumbSize::Normal));
        EXPECT_FALSE(cache.hasFailure(touched));
        ASSERT_TRUE(cache.store(touched, ThumbSize::Normal, pattern(128, 85)));
        EXPECT_TRUE(cache.lookup(touched, ThumbSize::Normal));
    }

    TEST_F(ThumbnailCacheTest, EntriesOfOtherProgramsAreUsedWhenTheyMatch)
    {
        struct Case {
            const char *what;
            QByteArray uri;
            QString mtime;
            QSize size;
            bool used;
        };
        const Case cases[] = {
            { "matching", source.uri, QStringLiteral("1600000000"), { 512, 341 }, true },
            { "another file's", "file:///elsewhere/photo.jpg", QStringLiteral("1600000000"), { 512, 341 }, false },
            { "an older file's", source.uri, QStringLiteral("1599999999"), { 512, 341 }, false },
            { "no mtime", source.uri, QString(), { 512, 341 }, false },
            { "too large for the cache", source.uri, QStringLiteral("1600000000"), { 1600, 1000 }, false },
        };
        const QString entry = cache.entryPath(source.uri, ThumbSize::XLarge);
        QDir().mkpath(QFileInfo(entry).absolutePath());
        for (const Case &c : cases) {
            SCOPED_TRACE(c.what);
            QImage other = pattern(c.size.width(), c.size.height());
            other.setText(QStringLiteral("Thumb::URI"), QString::fromUtf8(c.uri));
            if (!c.mtime.isEmpty())
                other.setText(QStringLiteral("Thumb::MTime"), c.mtime);
            ASSERT_TRUE(other.save(entry, "PNG"));
            const auto found = cache.lookupAtLeast(source, ThumbSize::Large);
            EXPECT_EQ(found.has_value(), c.used);
            if (found) {
                EXPECT_EQ(found->second, ThumbSize::XLarge);
                EXPECT_EQ(found->first.size(), c.size);
            }
            EXPECT_FALSE(cache.lookupAtLeast(source, ThumbSize::XXLarge))
                << "a smaller entry never serves a larger need";
        }
    }

    TEST_F(ThumbnailCacheTest, AFailedWriteLeavesNothingAndSaysWhy)
    {
        const QString file = dir.filePath(QStringLiteral("plain"));
        ASSERT_TRUE(pictures::writeFile(file, "x"));
        const ThumbnailCache blocked(file + QStringLiteral("/thumbnails"));
        QString error;
        EXPECT_FALSE(blocked.store(source, ThumbSize::Normal, pattern(128, 85), &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(blocked.storeFailure(source));
        EXPECT_FALSE(blocked.lookup(source, ThumbSize::Normal));
    }

    TEST(ScaledDecoder, DecodesScaledAndRefusesWhatItCannotBound)
    {
        QTemporaryDir dir;
        const auto write = [&](const char *name, const QByteArray &bytes) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            EXPECT_TRUE(pictures::writeFile(path, bytes));
            return path;
        };
        const QString photo = dir.filePath(QStringLiteral("photo.jpg"));
        ASSERT_TRUE(pattern(3000, 2000).save(photo, "JPEG", 85));
        const QString small = dir.filePath(QStringLiteral("small.png"));
        ASSERT_TRUE(pattern(100, 50).save(small, "PNG"));
        using Status = DecodeResult::Status;
        struct Case {
            QString path;
            int edge;
            Status status;
            QSize original;
            QSize image;
        };
        const Case cases[] = {
            { photo, 512, Status::Ok, { 3000, 2000 }, { 512, 341 } },
            { photo, 128, Status::Ok, { 3000, 2000 }, { 128, 85 } },
            { small, 256, Status::Ok, { 100, 50 }, { 100, 50 } },
            { write("forged.jpg", forgedJpeg(60000, 60000)), 512, Status::TooLarge, { 60000, 60000 }, {} },
            { write("forged.png", forgedPng(60000, 60000)), 512, Status::TooLarge, { 60000, 60000 }, {} },
            // Within the budget but with far too little data: decoded scaled (grey past the data).
            { write("stated.jpg", forgedJpeg(9000, 9000)), 512, Status::Ok, { 9000, 9000 }, { 512, 512 } },
            { write("header.jpg", pictures::jpeg(pictures::jpegApp0() + pictures::jpegFrame(0xC0, 60000, 60000))),
                512,
                Status::Unreadable,
                {},
                {} },
            { write("text.jpg", "not a picture"), 512, Status::Unreadable, {}, {} },
            { dir.filePath(QStringLiteral("missing.jpg")), 512, Status::Unreadable, {}, {} },
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(c.path.toStdString());
            const long before = peakKilobytes();
            QElapsedTimer timer;
            timer.start();
            const DecodeResult result = decodeScaled(c.path, c.edge);
            EXPECT_LT(timer.elapsed(), 2000);
            EXPECT_LT(peakKilobytes() - before, 100 * 1024) << "no large allocation";
            EXPECT_EQ(result.status, c.status);
            EXPECT_EQ(result.originalSize, c.original);
            EXPECT_EQ(result.image.isNull() ? QSize() : result.image.size(), c.image);
        }
    }

    // JPEGs are decoded by libjpeg from memory; the copy must be the one the general reader's scaled
    // decode gives, whatever the scale, and for grey and progressive pictures too.
    TEST(ScaledDecoder, AJpegCopyIsTheGeneralReadersScaledDecode)
    {
        QTemporaryDir dir;
        const auto save = [&dir](const QImage &image, const char *name, bool progressive = false) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            QImageWriter writer(path, "jpeg");
            writer.setQuality(90);
            writer.setProgressiveScanWrite(progressive);
            EXPECT_TRUE(writer.write(image));
            return path;
        };
        QImage photo = pattern(3000, 2000);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); x += 5)
                photo.setPixel(x, y, qRgb((x * y) % 251, (x + y) % 256, (x ^ y) % 256));
        const QString colour = save(photo, "colour.jpg");
        const QString grey = save(photo.convertToFormat(QImage::Format_Grayscale8), "grey.jpg");
        const QString progressive = save(photo.copy(0, 0, 1203, 797), "progressive.jpg", true);
        struct Case {
            QString path;
            int edge;
            QSize size;
        };
        const Case cases[] = {
            { colour, 128, { 128, 85 } }, // decoded at 1/8
            { colour, 256, { 256, 171 } },
            { colour, 512, { 512, 341 } },
            { colour, 1024, { 1024, 683 } }, // at 3/8
            { colour, 2999, { 2999, 1999 } }, // at full size
            { colour, 3000, { 3000, 2000 } }, // not scaled at all
            { grey, 256, { 256, 171 } },
            { progressive, 300, { 300, 199 } },
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(QStringLiteral("%1 at %2").arg(QFileInfo(c.path).fileName()).arg(c.edge).toStdString());
            const DecodeResult result = decodeScaled(c.path, c.edge);
            ASSERT_EQ(result.status, DecodeResult::Status::Ok);
            EXPECT_EQ(result.image.size(), c.size);
            EXPECT_EQ(result.image.format(), QImage::Format_RGB32);
            QImageReader reader(c.path);
            if (c.size != reader.size())
                reader.setScaledSize(c.size);
            EXPECT_LT(velmora::test::meanDifference(result.image, reader.read()), 1.0);
        }
    }

    TEST(ScaledDecoder, TheScaledCopyShowsThePicture)
    {
        QTemporaryDir dir;
        QImage halves(1200, 800, QImage::Format_RGB32);
        halves.fill(QColor(200, 30, 30));
        for (int y = 0; y < 800; ++y)
            for (int x = 600; x < 1200; ++x)
                halves.setPixel(x, y, qRgb(20, 40, 220));
        const QString path = dir.filePath(QStringLiteral("halves.jpg"));
        ASSERT_TRUE(halves.save(path, "JPEG", 95));
        const DecodeResult result = decodeScaled(path, 300);
        ASSERT_EQ(result.status, DecodeResult::Status::Ok);
        ASSERT_EQ(result.image.size(), QSize(300, 200));
        const QColor left = result.image.pixelColor(50, 100);
        const QColor right = result.image.pixelColor(250, 100);
        EXPECT_NEAR(left.red(), 200, 12);
        EXPECT_NEAR(left.blue(), 30, 12);
        EXPECT_NEAR(right.red(), 20, 12);
        EXPECT_NEAR(right.blue(), 220, 12);
    }

}
}
