#include "browser/page/DetailsPage.h"

#include "browser/page/DownloadRules.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using namespace browser::page;

TEST(DetailsPage, BlackPageWithOnePictureLine)
{
    const QString pict = QStringLiteral("http://example.com/a/photo.jpg");
    const QString expected = QStringLiteral("<body bgcolor=0>\r\n"
                                            "<body oncontextmenu=self.event.returnValue=false topmargin=0 leftmargin=0 "
                                            "rightmargin=0 bottommargin=0>\r\n"
                                            "<div align=center>\r\n"
                                            "<p><img border=\"1\" src=\"http://example.com/a/photo.jpg\" title=图像 "
                                            "></p> \r\n"
                                            "</div>\r\n"
                                            "</body>\r\n");
    EXPECT_EQ(detailsPageHtml(pict), expected);
}

TEST(DetailsPage, AddressesCannotAddMarkup)
{
    struct Case {
        QString pict;
        QString src;
    };
    const Case cases[] = {
        { QStringLiteral("http://a/b.jpg?x=1&y=2"), QStringLiteral("http://a/b.jpg?x=1&amp;y=2") },
        { QStringLiteral("http://a/\" onerror=\"alert(1)"), QStringLiteral("http://a/&quot; onerror=&quot;alert(1)") },
        { QStringLiteral("http://a/x\"><script>alert(1)</script>"),
            QStringLiteral("http://a/x&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;") },
        { QStringLiteral("/home/u/风景 1.jpg"), QStringLiteral("/home/u/风景 1.jpg") },
    };
    for (const Case &c : cases) {
        const QString page = detailsPageHtml(c.pict);
        const QString line = detailsPictureLine(c.pict);
        EXPECT_EQ(
            line, QStringLiteral("<p><img border=\"1\" src=\"") + c.src + QStringLiteral("\" title=图像 ></p> \r\n"));
        EXPECT_EQ(page.count(QStringLiteral("<img")), 1);
        EXPECT_FALSE(page.contains(QStringLiteral("<script")));
        EXPECT_EQ(line.count(QLatin1Char('"')), 4);
        EXPECT_EQ(line.count(QLatin1Char('>')), 3);
    }
}

TEST(DetailsPage, WrittenToThePageFolderAndRemoved)
{
    ASSERT_TRUE(writeDetailsPage(QStringLiteral("http://a/b.jpg")));
    const QString path = detailsPageFilePath();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/img.htm")));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), detailsPageHtml(QStringLiteral("http://a/b.jpg")));
    file.close();
    removeDetailsPage();
    EXPECT_FALSE(QFile::exists(path));
}

TEST(GalleryIndex, StepsWrapAtBothEnds)
{
    struct Case {
        int index;
        int count;
        int previous;
        int next;
    };
    const Case cases[] = {
        { 1, 5, 0, 2 }, // a window just loaded
        { 0, 5, 4, 1 },
        { 4, 5, 3, 0 },
        { 0, 1, 0, 0 },
        { 1, 0, 0, 0 }, // an empty list shows an empty picture
        { 0, 0, -1, 0 },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(previousGalleryIndex(c.index, c.count), c.previous) << c.index << "/" << c.count;
        EXPECT_EQ(nextGalleryIndex(c.index, c.count), c.next) << c.index << "/" << c.count;
    }
}

TEST(DownloadRules, AddressNamesLengthsAndClipboard)
{
    struct Case {
        const char *address;
        const char *fileName;
        bool downloadable;
        bool fromClipboard;
    };
    const Case cases[] = {
        { "http://a.b/c.de", "c.de", true, true }, // 15 characters
        { "http://a.b/c.d", "c.d", false, true }, // 14 characters
        { "https://host/dir/", "", true, true },
        { "no-slash-at-all-here", "no-slash-at-all-here", true, false },
        { "HTTP://A.B/CCCCCC.ZIP", "CCCCCC.ZIP", true, false },
        { "", "", false, false },
    };
    for (const Case &c : cases) {
        const QString address = QString::fromLatin1(c.address);
        EXPECT_EQ(addressFileName(address), QString::fromLatin1(c.fileName)) << c.address;
        EXPECT_EQ(isDownloadableAddress(address), c.downloadable) << c.address;
        EXPECT_EQ(isClipboardAddress(address), c.fromClipboard) << c.address;
    }
}

TEST(DownloadRules, LocalFilesOfAddresses)
{
    EXPECT_EQ(localFileOfAddress(QStringLiteral("/home/u/a.jpg")), QStringLiteral("/home/u/a.jpg"));
    EXPECT_EQ(localFileOfAddress(QStringLiteral("file:///home/u/a%20b.jpg")), QStringLiteral("/home/u/a b.jpg"));
    EXPECT_EQ(localFileOfAddress(QStringLiteral("http://a/b.jpg")), QString());
}

}
