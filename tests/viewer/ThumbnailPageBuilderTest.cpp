#include "viewer/ThumbnailPageBuilder.h"

#include "TestPictures.h"
#include "common/FileAttributes.h"
#include "common/TextCodec.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace viewer;

namespace {

const QString kHead = QStringLiteral("<body bgcolor=#FFFFFF>\r\n<body oncontextmenu=self.event.returnValue=false "
                                     "topmargin=0 leftmargin=0 rightmargin=0 bottommargin=0>\r\n");
constexpr int kTwipsFor705 = (705 + 30) * 15;
constexpr int kTwipsFor701 = 10965;

ThumbnailPageInput input(const QStringList &list, int layout, int page = 1, int pageSize = 30)
{
    ThumbnailPageInput in;
    in.ViewerList = list;
    in.ViewerCount = int(list.size());
    in.CurrentPage = page;
    in.PageSize = pageSize;
    in.LayoutMode = layout;
    in.webWidthTwips = kTwipsFor705;
    in.CurrentFolder = QStringLiteral("/before/");
    return in;
}

QStringList numberedPictures(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(QStringLiteral("/pics/p%1.jpg").arg(i));
    return list;
}

TEST(ThumbnailPage, ExampleLineOfTwoPerRow)
{
    const ThumbnailPage page = BuildThumbnailPage(input({ QStringLiteral("/pics/a b.jpg") }, 1));
    const QString line = QStringLiteral("<a href=\"/pics/a b.jpg\" target=\"_blank\"><img border=\"1\" "
                                        "src=\"/pics/a b.jpg\"  width=348 title=a&#32;b.jpg ></a> ");
    EXPECT_EQ(page.html, kHead + line + QStringLiteral("\r\n\r\n</body>\r\n"));
}

TEST(ThumbnailPage, EveryScaledLayoutByteForByte)
{
    struct Case {
        int layout;
        const char *width;
        bool centred;
    };
    // W = 705: 352.5 - 5 = 347.5 -> 348; 235 - 7 = 228; 176.25 - 8 -> 168; 705.
    const Case cases[] = { { 1, "348", false }, { 2, "228", false }, { 3, "168", false }, { 4, "705", true } };
    const QStringList list = { QStringLiteral("/p/x.jpg"), QStringLiteral("/p/y.gif") };
    for (const Case &c : cases) {
        ThumbnailPageInput in = input(list, c.layout);
        in.PageBackColour = QStringLiteral("#33CC00");
        QString expected = QStringLiteral("<body bgcolor=#33CC00>\r\n<body oncontextmenu=self.event.returnValue=false "
                                          "topmargin=0 leftmargin=0 rightmargin=0 bottommargin=0>\r\n");
        if (c.centred)
            expected += QStringLiteral("<div align=center>\r\n");
        for (const char *name : { "x.jpg", "y.gif" })
            expected += QStringLiteral("<a href=\"/p/%1\" target=\"_blank\"><img border=\"1\" src=\"/p/%1\"  width=%2 "
                                       "title=%1 ></a> \r\n\r\n")
                            .arg(QLatin1String(name), QLatin1String(c.width));
        if (c.centred)
            expected += QStringLiteral("</div>\r\n");
        expected += QStringLiteral("</body>\r\n");
        EXPECT_EQ(BuildThumbnailPage(in).html, expected) << "layout " << c.layout;
    }
}

TEST(ThumbnailPage, NaturalSizeLayoutScalesOnlyWidePictures)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    ASSERT_TRUE(pictures::writeFile(folder + QStringLiteral("small.png"), pictures::pngHeader(640, 480)));
    ASSERT_TRUE(pictures::writeFile(folder + QStringLiteral("exact.gif"), pictures::gifHeader(701, 10)));
    ASSERT_TRUE(pictures::writeFile(folder + QStringLiteral("big.png"), pictures::pngHeader(800, 600)));
    ASSERT_TRUE(pictures::writeFile(folder + QStringLiteral("text.jpg"), QByteArray("not a picture")));
    ThumbnailPageInput in = input({ folder + QStringLiteral("small.png"),
                                      folder + QStringLiteral("exact.gif"),
                                      folder + QStringLiteral("big.png"),
                                      folder + QStringLiteral("text.jpg"),
                                      folder + QStringLiteral("gone.jpg") },
        0);
    in.webWidthTwips = kTwipsFor701;

    const auto natural = [&](const char *name) {
        return QStringLiteral("<p><a href=\"%1%2\" target=\"_blank\"><img border=\"1\" src=\"%1%2\" title=%2 ></a></p> "
                              "\r\n\r\n")
            .arg(folder, QLatin1String(name));
    };
    const QString expected = kHead + QStringLiteral("<div align=center>\r\n") + natural("small.png")
        + natural("exact.gif")
        + QStringLiteral("<p><a href=\"%1big.png\" target=\"_blank\"><img border=\"1\" src=\"%1big.png\" width=701 "
                         "title=big.png ></a></p> \r\n\r\n")
              .arg(folder)
        + natural("text.jpg") + natural("gone.jpg") + QStringLiteral("</div>\r\n</body>\r\n");
    EXPECT_EQ(BuildThumbnailPage(in).html, expected);
}

TEST(ThumbnailPage, FullWidthToggleInBothStates)
{
    const QStringList list = { QStringLiteral("/p/x.jpg"), QStringLiteral("/p/y z.png") };
    ThumbnailPageInput in = input(list, 2);
    in.webWidthTwips = kTwipsFor701;

    const QString on = kHead
        + QStringLiteral(
            "<div align=center>\r\n"
            "<a href=\"/p/x.jpg\" target=\"_blank\"><img border=\"1\" src=\"/p/x.jpg\"  width=701 title=x.jpg "
            "></a> \r\n\r\n"
            "<a href=\"/p/y z.png\" target=\"_blank\"><img border=\"1\" src=\"/p/y z.png\"  width=701 "
            "title=y&#32;z.png ></a> \r\n\r\n"
            "</div>\r\n</body>\r\n");
    const QString off = kHead
        + QStringLiteral(
            "<div align=center>\r\n"
            "<a href=\"/p/x.jpg\" target=\"_blank\"><img border=\"1\" src=\"/p/x.jpg\" title=x.jpg ></a>\r\n\r\n"
            "<a href=\"/p/y z.png\" target=\"_blank\"><img border=\"1\" src=\"/p/y z.png\" title=y&#32;z.png "
            "></a>\r\n\r\n"
            "</div>\r\n</body>\r\n");
    EXPECT_EQ(BuildFitWidthPage(in, 1).html, on);
    EXPECT_EQ(BuildFitWidthPage(in, 0).html, off);

    EXPECT_EQ(toggleFitWidth(0).FitWidthOn, 1);
    EXPECT_EQ(toggleFitWidth(0).LayoutMode, 4);
    EXPECT_EQ(toggleFitWidth(1).FitWidthOn, 0);
    EXPECT_EQ(toggleFitWidth(1).LayoutMode, 0);
}

TEST(ThumbnailPage, EmptyListPage)
{
    for (int layout = 0; layout < kLayoutModeCount; ++layout) {
        const ThumbnailPage page = BuildThumbnailPage(input({}, layout));
        const bool centred = layout == 0 || layout == 4;
        const QString expected = kHead + (centred ? QStringLiteral("<div align=center>\r\n</div>\r\n") : QString())
            + QStringLiteral("</body>\r\n");
        EXPECT_EQ(page.html, expected) << layout;
        EXPECT_EQ(page.TotalPages, 0);
        EXPECT_FALSE(page.nextEnabled);
        EXPECT_EQ(page.countLabel, QStringLiteral("图片总数：0"));
        EXPECT_EQ(page.pageLabel, QStringLiteral("Orlavue     第 1 页  ， 共 0 页"));
        EXPECT_EQ(page.CurrentFolder, QStringLiteral("/before/"));
    }
}

TEST(ThumbnailPage, PagingAndLabels)
{
    struct Case {
        int count;
        int page;
        int entries;
        int total;
        bool next;
    };
    const Case cases[] = {
        { 61, 1, 30, 3, true },
        { 61, 2, 30, 3, true },
        { 61, 3, 1, 3, false },
        { 60, 1, 30, 2, true },
        { 60, 2, 30, 2, false },
        { 30, 1, 30, 1, false },
        { 1, 1, 1, 1, false },
        { 61, 9, 0, 3, false },
        { 61, 0, 30, 3, true },
        { 61, -4, 30, 3, true },
    };
    for (const Case &c : cases) {
        const ThumbnailPage page = BuildThumbnailPage(input(numberedPictures(c.count), 3, c.page));
        EXPECT_EQ(page.html.count(QLatin1String("<a href=")), c.entries) << c.count << " page " << c.page;
        EXPECT_EQ(page.TotalPages, c.total);
        EXPECT_EQ(page.nextEnabled, c.next) << c.count << " page " << c.page;
    }
    const ThumbnailPage third = BuildThumbnailPage(input(numberedPictures(61), 3, 3));
    EXPECT_TRUE(third.html.contains(QLatin1String("title=p60.jpg")));
    EXPECT_EQ(third.pageLabel, QStringLiteral("Orlavue     第 3 页  ， 共 3 页"));
    EXPECT_EQ(third.countLabel, QStringLiteral("图片总数：61"));
    EXPECT_EQ(third.pathLabel, QStringLiteral("当前路径：/pics/"));
    EXPECT_EQ(third.CurrentFolder, QStringLiteral("/pics/"));
}

TEST(ThumbnailPage, FolderComesFromThePagesFirstEntry)
{
    const QStringList list = { QStringLiteral("/a/x.jpg"), QStringLiteral("/b/c/y.jpg") };
    EXPECT_EQ(BuildThumbnailPage(input(list, 1, 1, 1)).CurrentFolder, QStringLiteral("/a/"));
    EXPECT_EQ(BuildThumbnailPage(input(list, 1, 2, 1)).CurrentFolder, QStringLiteral("/b/c/"));
}

TEST(ThumbnailPage, CountBeyondTheListUsesOnlyTheList)
{
    ThumbnailPageInput in = input(numberedPictures(3), 1);
    in.ViewerCount = 50;
    const ThumbnailPage page = BuildThumbnailPage(in);
    EXPECT_EQ(page.html.count(QLatin1String("<a href=")), 3);
    EXPECT_FALSE(page.nextEnabled);
}

TEST(ThumbnailPage, WidthsRoundHalfToEven)
{
    struct Case {
        int layout;
        int W;
        int width;
    };
    const Case cases[] = {
        { 1, 705, 348 },
        { 1, 703, 346 },
        { 1, 701, 346 },
        { 2, 705, 228 },
        { 2, 706, 228 },
        { 2, 707, 229 },
        { 3, 706, 168 },
        { 3, 710, 170 },
        { 3, 705, 168 },
        { 4, 701, 701 },
        { 0, 701, 0 },
        { 1, 0, -5 },
    };
    for (const Case &c : cases)
        EXPECT_EQ(thumbnailWidth(c.layout, c.W), c.width) << c.layout << " " << c.W;
    EXPECT_EQ(pageContentWidth(10965), 701);
    EXPECT_EQ(pageContentWidth(10958), 701);
    EXPECT_EQ(pageContentWidth(10957), 700);
    EXPECT_EQ(pageContentWidth(6855), 427);
}

TEST(ThumbnailPage, ColourAndLayoutCycles)
{
    const char *expected[] = {
        "#FF0000", "#CC6600", "#FFFF00", "#33CC00", "#33FFCC", "#3300FF", "#FF00FF", "#000000", "#FFFFFF", "#FF0000"
    };
    int index = 0;
    EXPECT_EQ(PageBackColourFor(index), QStringLiteral("#FFFFFF"));
    for (const char *colour : expected) {
        index = nextColourIndex(index);
        EXPECT_EQ(PageBackColourFor(index), QLatin1String(colour));
    }
    EXPECT_EQ(index, 1);

    int layout = 0;
    QList<int> seen;
    for (int i = 0; i < 6; ++i)
        seen.append(layout = nextLayoutMode(layout));
    EXPECT_EQ(seen, QList<int>({ 1, 2, 3, 4, 0, 1 }));
}

// Hostile names must keep the markup intact and still lead to the right file.
TEST(ThumbnailPage, HostileNamesStayEscapedAndResolve)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/风景 #1/");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QStringList names = { QStringLiteral("a\"b.jpg"),
        QStringLiteral("x<y>.jpg"),
        QStringLiteral("r&d.jpg"),
        QStringLiteral("#1.jpg"),
        QStringLiteral("100%.jpg"),
        QStringLiteral("what?.jpg"),
        QStringLiteral("a b.jpg"),
        QStringLiteral("照片.jpg"),
        QStringLiteral("back\\slash.jpg"),
        QStringLiteral("tab\tx.jpg"),
        QStringLiteral("end.jpg  "),
        QStringLiteral("%41.jpg"),
        QStringLiteral("&amp;.jpg") };
    QStringList list;
    for (const QString &name : names) {
        ASSERT_TRUE(pictures::writeFile(folder + name, pictures::gifHeader(10, 10))) << qPrintable(name);
        list.append(folder + name);
    }
    const QString pagePath = dir.filePath(QStringLiteral("Tpc.htm"));
    for (int layout = 0; layout < kLayoutModeCount; ++layout) {
        const ThumbnailPage page = BuildThumbnailPage(input(list, layout, 1, 100));
        const QStringList lines = page.html.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 3 + names.size() + (layout == 0 || layout == 4 ? 2 : 0));
        static const QRegularExpression entry(QString::fromUtf8(
            R"re(^(?:<p>)?<a href="([^"<>]*)" target="_blank"><img border="1" src="([^"<>]*)"(?:  ?width=\d+)? title=([^ "<>'`=]*) ></a>(?:</p>)? $)re"));
        int index = 0;
        for (const QString &line : lines) {
            if (!line.startsWith(QLatin1String("<a")) && !line.startsWith(QLatin1String("<p>")))
                continue;
            const QRegularExpressionMatch match = entry.match(line);
            ASSERT_TRUE(match.hasMatch()) << qPrintable(line);
            const auto unescape = [](QString text) {
                return text.replace(QLatin1String("&quot;"), QLatin1String("\""))
                    .replace(QLatin1String("&lt;"), QLatin1String("<"))
                    .replace(QLatin1String("&gt;"), QLatin1String(">"))
                    .replace(QLatin1String("&#32;"), QLatin1String(" "))
                    .replace(QLatin1String("&#9;"), QLatin1String("\t"))
                    .replace(QLatin1String("&amp;"), QLatin1String("&"));
            };
            const QUrl base = QUrl::fromLocalFile(pagePath);
            for (int group : { 1, 2 }) {
                const QString target = base.resolved(QUrl(unescape(match.captured(group)))).toLocalFile();
                EXPECT_EQ(target, list.at(index)) << qPrintable(line);
            }
            // The whole name is one title.
            EXPECT_EQ(unescape(match.captured(3)), names.at(index)) << qPrintable(line);
            ++index;
        }
        EXPECT_EQ(index, names.size());
    }
}

TEST(ThumbnailPage, EscapedEntryLine)
{
    const ThumbnailPage page = BuildThumbnailPage(input({ QStringLiteral("/p/a\"<b>&#?%.jpg") }, 4));
    EXPECT_TRUE(page.html.contains(QStringLiteral(
        "<a href=\"/p/a&quot;&lt;b&gt;&amp;%23%3F%25.jpg\" target=\"_blank\"><img border=\"1\" "
        "src=\"/p/a&quot;&lt;b&gt;&amp;%23%3F%25.jpg\"  width=705 title=a&quot;&lt;b&gt;&amp;#?%.jpg ></a> \r\n\r\n")))
        << qPrintable(page.html);
}

TEST(ThumbnailPageFile, WrittenInTheLocaleCharsetAndMarkedHidden)
{
    const ThumbnailPage page = BuildThumbnailPage(input({ QStringLiteral("/图片/风景.jpg") }, 1));
    ASSERT_TRUE(writeThumbnailPageFile(page.html));
    const QString path = thumbnailPageFilePath();
    EXPECT_TRUE(path.endsWith(QLatin1String("/Velmora/Tpc.htm")));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), common::encodeLocal(page.html));
    EXPECT_TRUE(common::fileAttributes(path) & common::AttrHidden);

    // A second page replaces the first as a whole.
    ASSERT_TRUE(writeThumbnailPageFile(QStringLiteral("<body>\r\n")));
    QFile again(path);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("<body>\r\n"));
}

TEST(ThumbnailPageFile, FailureIsReportedAndKeepsNothingHalfWritten)
{
    QTemporaryDir dir;
    const QString regular = dir.filePath(QStringLiteral("plain"));
    ASSERT_TRUE(pictures::writeFile(regular, QByteArray("keep")));
    EXPECT_FALSE(writePageFile(regular + QStringLiteral("/Tpc.htm"), QStringLiteral("<body>")));
    EXPECT_FALSE(writePageFile(QStringLiteral("/dev/full"), QStringLiteral("<body>")));
    QFile file(regular);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("keep"));
}

}

// Turning pages rewrites the page, not the folder's ".hidden" list: after the first page the
// list stays the very same file, and the page keeps both marks.
TEST(ThumbnailPageFile, PageTurnsLeaveTheHiddenListAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tpc.htm"));
    const QString list = dir.filePath(QStringLiteral(".hidden"));
    ASSERT_TRUE(writePageFile(path, QStringLiteral("<body>1")));
    ASSERT_TRUE(QFileInfo::exists(list));
    QFile listFile(list);
    ASSERT_TRUE(listFile.open(QIODevice::ReadOnly));
    const QByteArray listBytes = listFile.readAll();
    listFile.close();
    struct stat before { };
    ASSERT_EQ(::stat(QFile::encodeName(list).constData(), &before), 0);
    for (int page = 2; page <= 5; ++page) {
        ASSERT_TRUE(writePageFile(path, QStringLiteral("<body>%1").arg(page)));
        struct stat after { };
        ASSERT_EQ(::stat(QFile::encodeName(list).constData(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << page;
        EXPECT_TRUE(common::fileAttributes(path) & common::AttrHidden);
    }
    ASSERT_TRUE(listFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(listFile.readAll(), listBytes);
    EXPECT_EQ(listBytes, QByteArray("Tpc.htm\n"));
}

namespace {

// The unquoted title: white space, ' ` and = become character references, so a name cannot end
// the value and add an attribute; everything else stays as it was.
TEST(ThumbnailPage, UnquotedTitleKeepsTheWholeName)
{
    struct Case {
        const char *name;
        const char *title;
    };
    const Case cases[] = {
        { "x onerror=document.title='PWNED' .jpg", "x&#32;onerror&#61;document.title&#61;&#39;PWNED&#39;&#32;.jpg" },
        { "a\tb\nc\fd\re.png", "a&#9;b&#10;c&#12;d&#13;e.png" },
        { "`x`.gif", "&#96;x&#96;.gif" },
        { "<i>&\".bmp", "&lt;i&gt;&amp;&quot;.bmp" },
        { "照片-1_(2)!.jpg", "照片-1_(2)!.jpg" },
        { "a/b;c,d+e@f.jpg", "b;c,d+e@f.jpg" },
    };
    for (const Case &c : cases) {
        const QString path = QStringLiteral("/p/") + QString::fromUtf8(c.name);
        const QString html = BuildThumbnailPage(input({ path }, 4)).html;
        const QString expected =
            QStringLiteral(" width=705 title=") + QString::fromUtf8(c.title) + QStringLiteral(" ></a> ");
        EXPECT_TRUE(html.contains(expected)) << qPrintable(html);
    }
}

}
