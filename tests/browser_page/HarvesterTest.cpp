#include "browser/page/Harvester.h"

#include "browser/page/PictureFiles.h"
#include "browser/page/SearchSites.h"
#include "common/PictureList.h"
#include "tests/PictureDifference.h"
#include "tests/viewer/TestPictures.h"
#include "viewer/JpegDecoder.h"
#include "viewer/JpegWriter.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace browser::page;

namespace {

PageImage img(const char *src, int w, int h)
{
    return { QString::fromLatin1(src), w, h };
}

struct SearchCase {
    const char *name;
    QList<PageImage> images;
    bool autoFind;
    QStringList expected; // the slots in use afterwards
    bool secondPass;
    const char *label;
};

}

TEST(Harvester, SearchPicPassesAndQuirks)
{
    const SearchCase cases[] = {
        { "NoPictures", {}, false, {}, true, "发现图片：0" },
        { "TwoLargeFirstPassOnly",
            { img("http://h/s.png", 10, 10), img("http://h/a.png", 600, 600), img("http://h/b.png", 501, 501) },
            false,
            { "http://h/a.png", "http://h/b.png" },
            false,
            "发现图片：2" },
        { "SmallAddressOverwrittenByNext",
            { img("http://h/a.png", 600, 600), img("http://h/s1.gif", 10, 10), img("http://h/b.png", 700, 700) },
            false,
            { "http://h/a.png", "http://h/b.png" },
            false,
            "发现图片：2" },
        { "OneLargeJpgListedTwice",
            { img("http://h/s.gif", 5, 5), img("http://h/big.jpg", 800, 600) },
            false,
            { "http://h/big.jpg", "http://h/big.jpg" },
            true,
            "发现图片：2" },
        { "SecondPassJpgRuleIsCaseSensitive",
            { img("http://h/a.JPG", 10, 10), img("http://h/b.jpeg", 10, 10), img("http://h/c.jpg", 10, 10) },
            false,
            { "http://h/c.jpg" },
            true,
            "发现图片：1" },
        { "ExactlyFiveHundredIsNotLarge",
            { img("http://h/a.png", 500, 900), img("http://h/b.png", 900, 500), img("http://h/c.png", 501, 500) },
            false,
            {},
            true,
            "发现图片：0" },
        { "AutoFindCountsOnly", { img("http://h/a.jpg", 600, 600) }, true, { "http://h/a.jpg" }, false, "发现图片：1" },
        { "AutoFindWithoutLargeLeavesLabel", { img("http://h/a.jpg", 6, 6) }, true, {}, false, "" },
    };
    for (const SearchCase &c : cases) {
        SCOPED_TRACE(c.name);
        common::PictureList list;
        list.store(0, QStringLiteral("old"));
        list.PictureCount = 1;
        const SearchResult result = SearchPic(c.images, list, c.autoFind);
        QStringList used;
        for (int i = 0; i < list.PictureCount; ++i)
            used << list.at(i);
        EXPECT_EQ(used, c.expected);
        EXPECT_EQ(result.PictureCount, c.expected.size());
        EXPECT_EQ(result.secondPass, c.secondPass);
        EXPECT_EQ(result.foundText, QString::fromUtf8(c.label));
        EXPECT_FALSE(result.overflowed);
    }
}

TEST(Harvester, ASixThousandAndSecondPictureEndsTheRunCleanly)
{
    QList<PageImage> images;
    for (int i = 0; i < 6002; ++i)
        images.append({ QStringLiteral("http://h/%1.png").arg(i), 600, 600 });
    common::PictureList list;
    const SearchResult result = SearchPic(images, list, false);
    EXPECT_TRUE(result.overflowed);
    EXPECT_EQ(list.PictureCount, 6001);
    EXPECT_TRUE(result.foundText.isEmpty());
    images.removeLast();
    EXPECT_FALSE(SearchPic(images, list, false).overflowed);
}

TEST(Harvester, ParsesThePageAnswerRobustly)
{
    struct Case {
        const char *name;
        QVariant answer;
        QList<PageImage> expected;
    };
    const Case cases[] = {
        { "Json",
            QStringLiteral(R"(["http://a/1.jpg",600,700,"x",1.9,"2"])"),
            { img("http://a/1.jpg", 600, 700), img("x", 1, 2) } },
        { "List", QVariantList { QStringLiteral("u"), 3, 4 }, { img("u", 3, 4) } },
        { "IncompleteTripleDropped", QStringLiteral(R"(["u",1,2,"v",3])"), { img("u", 1, 2) } },
        { "NotAnArray", QStringLiteral(R"({"a":1})"), {} },
        { "Garbage", QStringLiteral("[[[["), {} },
        { "Invalid", QVariant(), {} },
        { "NonTextAddressAndNegativeSize", QStringLiteral(R"([5,-3,1e20])"), { img("", 0, 1000000000) } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parsePageImages(c.answer), c.expected);
    }
}

TEST(Harvester, GalleryPagesAreByteForByteAndEscaped)
{
    common::PictureList list;
    list.store(0, QStringLiteral("http://h/p/a.jpg"));
    list.store(1, QStringLiteral("http://h/x\"><script>alert(1)</script> onload=x.jpg"));
    list.store(2, QStringLiteral("noslash"));
    list.PictureCount = 3;
    const QString search = searchGalleryPage(list, 385);
    const QString expected =
        QStringLiteral("<body bgcolor=#000000 oncontextmenu=\"return false\" topmargin=0 leftmargin=0 rightmargin=0 "
                       "bottommargin=0>\r\n"
                       "<div align=center>\r\n"
                       "<a href=\"http://h/p/a.jpg\" target=\"_blank\"><img border=\"1\" src=\"http://h/p/a.jpg\"  "
                       "width=385 title=a.jpg ></a> \r\n\r\n"
                       "<a href=\"http://h/x&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt; onload=x.jpg\" "
                       "target=\"_blank\"><img border=\"1\" "
                       "src=\"http://h/x&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt; onload=x.jpg\"  width=385 "
                       "title=script&gt;&#32;onload&#61;x.jpg ></a> \r\n\r\n"
                       "<a href=\"noslash\" target=\"_blank\"><img border=\"1\" src=\"noslash\"  width=385 "
                       "title=noslash ></a> \r\n\r\n");
    EXPECT_EQ(search, expected);

    common::PictureList none;
    EXPECT_EQ(searchGalleryPage(none, 10),
        QStringLiteral("<body bgcolor=#000000 oncontextmenu=\"return false\" topmargin=0 leftmargin=0 rightmargin=0 "
                       "bottommargin=0>\r\n<div align=center>\r\n"));

    list.PictureCount = 1;
    EXPECT_EQ(layoutGalleryPage(list, 700, 1, QStringLiteral("#FFFFFF")),
        QStringLiteral("<body bgcolor=#FFFFFF>\r\n"
                       "<body oncontextmenu=self.event.returnValue=false topmargin=0 leftmargin=0 rightmargin=0 "
                       "bottommargin=0>\r\n<div align=center>\r\n"
                       "<a href=\"http://h/p/a.jpg\" target=\"_blank\"><img border=\"1\" src=\"http://h/p/a.jpg\" "
                       "width=700></a>\r\n\r\n</div>\r\n</body>\r\n"));
    EXPECT_EQ(layoutGalleryPage(list, 300, 3, QStringLiteral("#FFFFFF")),
        QStringLiteral("<body bgcolor=#FFFFFF>\r\n"
                       "<body oncontextmenu=self.event.returnValue=false topmargin=0 leftmargin=0 rightmargin=0 "
                       "bottommargin=0>\r\n"
                       "<a href=\"http://h/p/a.jpg\" target=\"_blank\"><img border=\"1\" src=\"http://h/p/a.jpg\" "
                       "width=300></a>\r\n\r\n</body>\r\n"));
}

TEST(Harvester, ColumnWidthsRoundHalfToEven)
{
    // 12000 twips: 800 - 30 = 770, 770 / 2 - 5 = 380.
    EXPECT_EQ(galleryColumnWidth(12000), 380);
    // 12015 twips: 801 - 30 = 771, 385.5 - 5 = 380.5 -> 380.
    EXPECT_EQ(galleryColumnWidth(12015), 380);
    EXPECT_EQ(galleryColumnWidth(12045), 382);
    struct Case {
        int Tu;
        int width;
        int TuAfter;
    };
    // 12000 twips: base 800 - 40 = 760.
    const Case cases[] = { { 0, 760, 1 },
        { 1, 760, 1 },
        { 2, 380, 2 },
        { 3, 246, 3 },
        { 4, 182, 4 },
        { 5, 146, 5 },
        { 6, 121, 6 },
        { 9, 760, 9 } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Tu);
        int Tu = c.Tu;
        EXPECT_EQ(layoutWidth(12000, Tu), c.width);
        EXPECT_EQ(Tu, c.TuAfter);
    }
    int Tu = 1;
    QList<int> seen;
    for (int i = 0; i < 4; ++i) {
        Tu = nextColumnSelector(Tu);
        seen << Tu;
    }
    EXPECT_EQ(seen, (QList<int> { 2, 3, 4, 0 }));
}

TEST(Harvester, SearchEngineSuffixesAndPosition)
{
    ASSERT_EQ(searchEngineSuffixes().size(), 11);
    for (const QString &suffix : searchEngineSuffixes()) {
        EXPECT_TRUE(suffix.startsWith(QLatin1Char('.')) && suffix.endsWith(QLatin1Char('/'))) << suffix.toStdString();
        EXPECT_TRUE(IsSearchEngineAddress(QStringLiteral("https://www") + suffix + QStringLiteral("s")));
    }
    struct Case {
        const char *address;
        bool expected;
    };
    const Case cases[] = {
        { "https://www.baidu.com/s?wd=x", true },
        { "http://.baidu.com/", false }, // found at position 8
        { "http://a.baidu.com/", true }, // position 9
        { "https://www.BAIDU.com/", false },
        { "https://www.example.com/", false },
        { "", false },
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsSearchEngineAddress(QString::fromLatin1(c.address)), c.expected) << c.address;
}

TEST(PictureFiles, NamesFollowTheClockAndTheCounter)
{
    const QDateTime when(QDate(2026, 3, 9), QTime(15, 7));
    EXPECT_EQ(pictureFileName(QStringLiteral("/d/"), when, 0), QStringLiteral("/d/202639_1570.jpg"));
    EXPECT_EQ(pictureFileName(QStringLiteral("/d/"), QDateTime(QDate(2026, 12, 31), QTime(0, 0)), 12),
        QStringLiteral("/d/20261231_0012.jpg"));
    EXPECT_EQ(withTrailingSlash(QStringLiteral("/d")), QStringLiteral("/d/"));
    EXPECT_EQ(withTrailingSlash(QStringLiteral("/d/")), QStringLiteral("/d/"));

    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QFile(pictureFileName(folder, when, 0)).open(QIODevice::WriteOnly);
    QFile(pictureFileName(folder, when, 1)).open(QIODevice::WriteOnly);
    int counter = 0;
    EXPECT_EQ(NextPictureFileName(folder, when, counter), pictureFileName(folder, when, 2));
    EXPECT_EQ(counter, 3);
}

TEST(PictureFiles, AClaimNeverReplacesAFile)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const QDateTime when(QDate(2026, 3, 9), QTime(15, 7));
    QFile taken(pictureFileName(folder, when, 0));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("keep");
    taken.close();
    const QString work = workFileName(folder);
    EXPECT_TRUE(QFileInfo(work).fileName().startsWith(QLatin1Char('.')));
    QFile w(work);
    ASSERT_TRUE(w.open(QIODevice::WriteOnly));
    w.write("new");
    w.close();
    int counter = 0;
    const QString name = claimPictureName(work, folder, when, counter);
    EXPECT_EQ(name, pictureFileName(folder, when, 1));
    EXPECT_FALSE(QFile::exists(work));
    QFile keep(pictureFileName(folder, when, 0));
    ASSERT_TRUE(keep.open(QIODevice::ReadOnly));
    EXPECT_EQ(keep.readAll(), QByteArray("keep"));
    // A folder that cannot take the file: nothing claimed.
    int c2 = 0;
    EXPECT_TRUE(
        claimPictureName(folder + QStringLiteral("missing"), folder + QStringLiteral("none/"), when, c2).isEmpty());
}

TEST(PictureFiles, EncodesPictureBytesAsQuality80Jpeg)
{
    QTemporaryDir dir;
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
    }
    const QString out = dir.filePath(QStringLiteral("a.jpg"));
    ASSERT_TRUE(encodePictureBytes(png, out));
    QImageReader reader(out);
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    EXPECT_EQ(reader.size(), QSize(640, 480));
    EXPECT_FALSE(encodePictureBytes(QByteArray("not a picture"), dir.filePath(QStringLiteral("b.jpg"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("b.jpg"))));
    // A header stating 20000 x 20000 pixels is refused before decoding.
    QByteArray huge("P6\n20000 20000\n255\n");
    huge.append(64, '\0');
    EXPECT_FALSE(encodePictureBytes(huge, dir.filePath(QStringLiteral("c.jpg"))));
}

namespace {

// A picture with edges in every channel, so that the chroma upsampling and the transform show.
QImage jpegDecoderPattern(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb((x * 9) & 0xFF, (y * 5 + x) & 0xFF, ((x / 3) ^ (y / 2)) * 16 & 0xFF));
    return picture;
}

QByteArray jpegDecoderBytes(const QImage &picture, bool progressive = false, const char *format = "JPEG")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    writer.write(picture);
    return bytes;
}

// The JPEG with its frame header stating another size.
QByteArray jpegDecoderWithSize(QByteArray bytes, int width, int height)
{
    const qsizetype frame = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    if (frame < 0)
        return {};
    bytes[frame + 5] = char(height >> 8);
    bytes[frame + 6] = char(height & 0xFF);
    bytes[frame + 7] = char(width >> 8);
    bytes[frame + 8] = char(width & 0xFF);
    return bytes;
}

// The JPEG with an Exif block in front of its segments that states the orientation.
QByteArray jpegDecoderTurned(const QByteArray &jpeg, int orientation)
{
    using viewer::pictures::bytes;
    const QByteArray tiff = QByteArray("MM\0*\0\0\0\x08", 8) + bytes({ 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1 })
        + bytes({ 0, orientation, 0, 0 }) + QByteArray(4, '\0');
    return jpeg.left(2) + viewer::pictures::jpegSegment(0xE1, QByteArray("Exif\0\0", 6) + tiff) + jpeg.mid(2);
}

QImage jpegDecoderReference(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read();
}

}

TEST(PictureFiles, JpegBytesAreDecodedDirectlyOrLeftToTheReader)
{
    using viewer::decodeJpeg;
    using viewer::JpegDecoded;
    using Status = JpegDecoded::Status;
    QImage srgb = jpegDecoderPattern(97, 61);
    srgb.setColorSpace(QColorSpace::SRgb);
    srgb.setDotsPerMeterX(2835);
    srgb.setDotsPerMeterY(5669);
    const QByteArray colour = jpegDecoderBytes(srgb);
    const QByteArray grey = jpegDecoderBytes(jpegDecoderPattern(40, 30).convertToFormat(QImage::Format_Grayscale8));
    const QByteArray progressive = jpegDecoderBytes(jpegDecoderPattern(64, 48), true);
    const QByteArray png = jpegDecoderBytes(jpegDecoderPattern(20, 10), false, "PNG");
    QByteArray badPrecision = colour;
    badPrecision[badPrecision.indexOf(QByteArray("\xFF\xC0", 2)) + 4] = char(12);
    struct Case {
        const char *name;
        QByteArray bytes;
        qint64 maxPixels;
        Status status;
        QSize size; // of decodePictureBytes' picture; invalid when there is none
    };
    const Case cases[] = {
        { "colour, with profile and density", colour, 97 * 61, Status::Decoded, QSize(97, 61) },
        { "grey", grey, 100'000'000, Status::Decoded, QSize(40, 30) },
        { "progressive", progressive, 100'000'000, Status::Decoded, QSize(64, 48) },
        { "one pixel over the budget", colour, 97 * 61 - 1, Status::TooLarge, QSize(97, 61) },
        // The header says 60000 x 60000: ten gigabytes of rows that must never be asked for.
        { "forged huge header", jpegDecoderWithSize(colour, 60000, 60000), 100'000'000, Status::TooLarge, {} },
        { "without its end marker", colour.chopped(2), 100'000'000, Status::Decoded, QSize(97, 61) },
        { "cut off", colour.left(colour.size() / 2), 100'000'000, Status::Corrupt, {} },
        { "cut off in its header", colour.left(40), 100'000'000, Status::Corrupt, {} },
        { "unsupported precision", badPrecision, 100'000'000, Status::Corrupt, {} },
        { "turned by Exif", jpegDecoderTurned(colour, 6), 100'000'000, Status::Passed, QSize(61, 97) },
        { "Exif orientation out of range", jpegDecoderTurned(colour, 9), 100'000'000, Status::Decoded, QSize(97, 61) },
        { "PNG", png, 100'000'000, Status::NotJpeg, QSize(20, 10) },
        { "empty", QByteArray(), 100'000'000, Status::NotJpeg, {} },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const JpegDecoded decoded = decodeJpeg(c.bytes, c.maxPixels);
        EXPECT_EQ(decoded.status, c.status);
        EXPECT_EQ(decoded.picture.isNull(), c.status != Status::Decoded);
        EXPECT_EQ(decoded.error.isEmpty(), c.status != Status::Corrupt && c.status != Status::TooLarge);
        // The program's decoding: the budget is that of every picture, and a broken JPEG gives
        // nothing rather than a picture completed in grey.
        const QImage picture = decodePictureBytes(c.bytes);
        EXPECT_EQ(picture.isNull() ? QSize() : picture.size(), c.size);
        if (c.status != Status::Decoded)
            continue;
        EXPECT_EQ(decoded.picture.format(), QImage::Format_RGB888);
        const QImage reference = jpegDecoderReference(c.bytes);
        EXPECT_LT(velmora::test::meanDifference(decoded.picture, reference), 0.25);
        EXPECT_EQ(decoded.picture.colorSpace(), reference.colorSpace());
        EXPECT_EQ(decoded.picture.dotsPerMeterX(), reference.dotsPerMeterX());
        EXPECT_EQ(decoded.picture.dotsPerMeterY(), reference.dotsPerMeterY());
        // The saved file is the one the general reader's picture gives, profile and density too.
        QTemporaryDir saved;
        const QString ours = saved.filePath(QStringLiteral("ours.jpg"));
        const QString theirs = saved.filePath(QStringLiteral("theirs.jpg"));
        ASSERT_TRUE(encodePictureBytes(c.bytes, ours));
        ASSERT_TRUE(viewer::SaveAsJpeg(reference, theirs, 80));
        QFile oursFile(ours);
        QFile theirsFile(theirs);
        ASSERT_TRUE(oursFile.open(QIODevice::ReadOnly) && theirsFile.open(QIODevice::ReadOnly));
        EXPECT_EQ(oursFile.readAll(), theirsFile.readAll());
    }
    EXPECT_TRUE(decodeJpeg(colour, 100).error.contains(QStringLiteral("97 x 61")));
    EXPECT_TRUE(decodeJpeg(colour.left(colour.size() / 2), 10000).error.contains(QStringLiteral("ends")));
    // A cut-off JPEG leaves no file behind.
    QTemporaryDir dir;
    EXPECT_FALSE(encodePictureBytes(colour.left(colour.size() / 2), dir.filePath(QStringLiteral("cut.jpg"))));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}
