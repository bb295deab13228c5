#include "viewer/FolderScan.h"

#include "TestPictures.h"
#include "common/FileNames.h"
#include "viewer/PictureSize.h"
#include "viewer/ThumbnailPageBuilder.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace viewer;

namespace {

class FolderScanTest : public ::testing::Test {
protected:
    void touch(const QString &name) { ASSERT_TRUE(pictures::writeFile(m_dir.filePath(name), QByteArray("x"))); }
    QString folder() const { return m_dir.path() + QLatin1Char('/'); }
    QStringList paths(const QStringList &names) const
    {
        QStringList out;
        for (const QString &name : names)
            out.append(folder() + name);
        return out;
    }

    QTemporaryDir m_dir;
};

TEST(PictureExtension, TheListedExtensionsInAnyCase)
{
    struct Case {
        const char *name;
        bool picture;
    };
    const Case cases[] = {
        { "A.JPG", true },
        { "b.Tiff", true },
        { "bmp", true },
        { "gif", true },
        { "x.jpeg", true },
        { "x.png", true },
        { "x.tif", true },
        { "x.gif", true },
        { ".png", true },
        { "a.b.BMP", true },
        { "c.jpe", false },
        { "d", false },
        { "x.$$$", false },
        { "$$$", false },
        { "x.", false },
        { "x.jpg.txt", false },
        { "x.pn", false },
        { "x.ng", false },
        { "jpg.x", false },
        { "x.jpgg", false },
        { "x.bmp,jpg", true },
        { "x.,bmp", false },
        { "", false },
        { "照片.JPG", true },
    };
    for (const Case &c : cases)
        EXPECT_EQ(isPictureFileName(QString::fromUtf8(c.name)), c.picture) << c.name;
}

TEST_F(FolderScanTest, ExtensionsAndFoldersAndHiddenFiles)
{
    for (const char *name : { "A.JPG", "b.Tiff", "c.jpe", "d", "bmp", ".hidden.png" })
        touch(QString::fromLatin1(name));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.jpg")));
    ASSERT_EQ(::symlink("folder.jpg", QFile::encodeName(m_dir.filePath(QStringLiteral("link.jpg"))).constData()), 0);
    ASSERT_EQ(::symlink("A.JPG", QFile::encodeName(m_dir.filePath(QStringLiteral("z.gif"))).constData()), 0);

    const FolderScanResult scan = scanFolder(m_dir.path(), QString());
    EXPECT_EQ(scan.ViewerList, paths({ ".hidden.png", "A.JPG", "b.Tiff", "bmp", "z.gif" }));
    EXPECT_EQ(scan.ViewerCount, 5);
    EXPECT_FALSE(scan.boundReached);
    EXPECT_EQ(
        folderFileNames(m_dir.path()), QStringList({ ".hidden.png", "A.JPG", "b.Tiff", "bmp", "c.jpe", "d", "z.gif" }));
}

TEST_F(FolderScanTest, OrderIsOrdinalOnUpperCasedNames)
{
    // "_" (0x5F) sorts after upper-cased letters but before lower-case ones.
    for (const char *name : { "c.jpg", "B.jpg", "a.jpg", "_x.jpg", "10.jpg", "9.jpg" })
        touch(QString::fromLatin1(name));
    const FolderScanResult scan = scanFolder(folder(), QString());
    EXPECT_EQ(scan.ViewerList, paths({ "10.jpg", "9.jpg", "a.jpg", "B.jpg", "c.jpg", "_x.jpg" }));
}

TEST_F(FolderScanTest, TargetRotatesTheList)
{
    for (const char *name : { "a.jpg", "b.jpg", "c.jpg", "d.jpg", "notes.txt" })
        touch(QString::fromLatin1(name));
    struct Case {
        const char *target;
        QStringList expected;
    };
    const Case cases[] = {
        { "c.jpg", { "c.jpg", "d.jpg", "a.jpg", "b.jpg" } },
        { "a.jpg", { "a.jpg", "b.jpg", "c.jpg", "d.jpg" } },
        { "d.jpg", { "d.jpg", "a.jpg", "b.jpg", "c.jpg" } },
        { "", { "a.jpg", "b.jpg", "c.jpg", "d.jpg" } },
        { "x.jpg", { "a.jpg", "b.jpg", "c.jpg", "d.jpg" } },
        { "C.JPG", { "a.jpg", "b.jpg", "c.jpg", "d.jpg" } },
        { "notes.txt", { "a.jpg", "b.jpg", "c.jpg", "d.jpg" } },
    };
    for (const Case &c : cases) {
        const FolderScanResult scan = scanFolder(m_dir.path(), QString::fromLatin1(c.target));
        EXPECT_EQ(scan.ViewerList, paths(c.expected)) << c.target;
    }
}

TEST_F(FolderScanTest, ListTextAndFolder)
{
    touch(QStringLiteral("b.png"));
    touch(QStringLiteral("a b.gif"));
    const FolderScanResult scan = scanFolder(m_dir.path(), QStringLiteral("b.png"));
    EXPECT_EQ(scan.CurrentFolder, folder());
    EXPECT_EQ(scanFolder(folder(), QString()).CurrentFolder, folder());
    EXPECT_EQ(scan.ViewerListText, folder() + QStringLiteral("b.png\r\n") + folder() + QStringLiteral("a b.gif\r\n"));

    ViewerState state;
    state.ViewerList = QStringList({ QStringLiteral("/old.jpg") });
    applyFolderScan(scan, state);
    EXPECT_EQ(state.ViewerList, scan.ViewerList);
    EXPECT_EQ(state.ViewerListText, scan.ViewerListText);
    EXPECT_EQ(state.ViewerCount, 2);
    EXPECT_EQ(state.CurrentFolder, folder());
}

TEST_F(FolderScanTest, MissingOrUnreadableFolderGivesAnEmptyList)
{
    touch(QStringLiteral("file.jpg"));
    for (const QString &bad : { m_dir.filePath(QStringLiteral("missing")),
             m_dir.filePath(QStringLiteral("file.jpg")),
             m_dir.filePath(QStringLiteral("file.jpg/below")),
             QString() }) {
        const FolderScanResult scan = scanFolder(bad, QString());
        EXPECT_EQ(scan.ViewerCount, 0) << qPrintable(bad);
        EXPECT_TRUE(scan.ViewerList.isEmpty());
        EXPECT_TRUE(scan.ViewerListText.isEmpty());
    }
}

TEST_F(FolderScanTest, BoundKeepsTheFirstEntriesOfTheRotatedList)
{
    for (const char *name : { "a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg" })
        touch(QString::fromLatin1(name));
    const FolderScanResult scan = scanFolder(m_dir.path(), QStringLiteral("d.jpg"), 3);
    EXPECT_EQ(scan.ViewerList, paths({ "d.jpg", "e.jpg", "a.jpg" }));
    EXPECT_EQ(scan.ViewerCount, 3);
    EXPECT_TRUE(scan.boundReached);
    EXPECT_FALSE(scanFolder(m_dir.path(), QString(), 5).boundReached);
}

TEST_F(FolderScanTest, A20005PictureFolderLists20001)
{
    for (int i = 0; i < 20005; ++i)
        touch(QStringLiteral("p%1.gif").arg(i, 5, 10, QLatin1Char('0')));
    const FolderScanResult scan = scanFolder(m_dir.path(), QString());
    ASSERT_EQ(scan.ViewerCount, 20001);
    EXPECT_EQ(scan.ViewerList.size(), 20001);
    EXPECT_TRUE(scan.boundReached);
    EXPECT_EQ(scan.ViewerList.first(), folder() + QStringLiteral("p00000.gif"));
    EXPECT_EQ(scan.ViewerList.last(), folder() + QStringLiteral("p20000.gif"));
    EXPECT_EQ(scan.ViewerListText.count(QLatin1String("\r\n")), 20001);
}

}

TEST(FileNames, BytesSurviveDecodingAndEncoding)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        bool utf8; // decodes as plain UTF-8
    };
    const Case cases[] = {
        { "ascii", QByteArray("plain.jpg"), true },
        { "chinese", QByteArray("\xE9\xA3\x8E\xE6\x99\xAF.jpg"), true },
        { "emoji", QByteArray("\xF0\x9F\x96\xBC.png"), true },
        { "stray_byte", QByteArray("a\xFF.jpg"), false },
        { "latin1", QByteArray("caf\xE9.gif"), false },
        { "cut_sequence", QByteArray("\xE6\x97.bmp"), false },
        { "overlong_slash",
            QByteArray("\xC0\xAF"
                       "x.jpg"),
            false },
        { "encoded_surrogate", QByteArray("\xED\xA0\x80.jpg"), false },
        { "above_unicode", QByteArray("\xF4\x90\x80\x80.jpg"), false },
        { "valid_around_invalid", QByteArray("\xE9\xA3\x8E\xFF\xE6\x99\xAF"), false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString decoded = common::decodeFileName(c.bytes);
        EXPECT_EQ(common::encodeFileName(decoded), c.bytes);
        if (c.utf8)
            EXPECT_EQ(decoded, QString::fromUtf8(c.bytes));
        else
            EXPECT_TRUE(
                std::any_of(decoded.begin(), decoded.end(), [](QChar ch) { return common::isKeptByte(ch.unicode()); }));
    }
    EXPECT_EQ(
        common::decodeFileName(QByteArray("a\xFF.jpg")), QStringLiteral("a") + QChar(0xDCFF) + QStringLiteral(".jpg"));
}

TEST_F(FolderScanTest, NameThatIsNotUtf8OpensTheFileListed)
{
    const QByteArray raw = QFile::encodeName(folder()) + QByteArray("a\xFF.png");
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    const QByteArray png = pictures::pngHeader(321, 123);
    ASSERT_EQ(::write(fd, png.constData(), size_t(png.size())), ssize_t(png.size()));
    ::close(fd);

    const FolderScanResult scan = scanFolder(m_dir.path(), QString());
    ASSERT_EQ(scan.ViewerCount, 1);
    const QString listed = scan.ViewerList.at(0);
    EXPECT_EQ(common::encodeFileName(listed), raw);
    EXPECT_EQ(GetPictureSize(listed), (PictureDimensions { 321, 123 }));
    // The page's link and picture address carry the byte itself.
    ThumbnailPageInput input;
    input.ViewerList = scan.ViewerList;
    input.ViewerCount = scan.ViewerCount;
    input.LayoutMode = 1;
    input.webWidthTwips = 800 * 15;
    const QString html = BuildThumbnailPage(input).html;
    EXPECT_TRUE(html.contains(QStringLiteral("<a href=\"") + m_dir.path() + QStringLiteral("/a%FF.png\"")))
        << qPrintable(html);
    // Scanning by the name as listed finds it as the target.
    const FolderScanResult byTarget = scanFolder(m_dir.path(), listed.mid(listed.lastIndexOf(QLatin1Char('/')) + 1));
    EXPECT_EQ(byTarget.ViewerList, scan.ViewerList);
}
