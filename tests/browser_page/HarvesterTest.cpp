#include "browser/page/Harvester.h"

#include "browser/page/PictureFiles.h"
#include "browser/page/SearchSites.h"
#include "common/PictureList.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
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
