#include "browser/frame/Favorites.h"

#include "tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using velmora::test::readAll;
using velmora::test::writeAll;

namespace {

using namespace browser::frame;

TEST(Favorites, NamesArePaddedCutAndLoseTheirCommas)
{
    struct Case {
        const char *name;
        QString typed;
        QString stored;
    } cases[] = {
        { "comma and space", QStringLiteral("Photo, daily"), QStringLiteral("Photo daily     ") },
        { "short", QStringLiteral("A"), QStringLiteral("A     ") },
        { "40 characters", QString(40, QLatin1Char('x')), QString(30, QLatin1Char('x')) },
        { "25 characters", QString(25, QLatin1Char('y')), QString(25, QLatin1Char('y')) + QStringLiteral("     ") },
        { "28 characters", QString(28, QLatin1Char('z')), QString(28, QLatin1Char('z')) + QStringLiteral("  ") },
        { "cut before the commas go",
            QString(29, QLatin1Char('a')) + QStringLiteral(",b"),
            QString(29, QLatin1Char('a')) },
        { "chinese", QStringLiteral("风景图片，每日更新"), QStringLiteral("风景图片，每日更新     ") },
        { "35 chinese", QString(35, QChar(0x98CE)), QString(30, QChar(0x98CE)) },
        { "only commas", QStringLiteral(",,,"), QStringLiteral("     ") },
    };
    for (const Case &c : cases)
        EXPECT_EQ(storedFavoriteName(c.typed), c.stored) << c.name;
}

TEST(Favorites, TheDialogsLineAndItsEmptyFieldRule)
{
    struct Case {
        const char *name;
        QString title;
        QString address;
        QString line;
    } cases[] = {
        { "photo daily",
            QStringLiteral("Photo, daily"),
            QStringLiteral("http://a.example/"),
            QStringLiteral("Photo daily     ,http://a.example/") },
        { "address with commas kept whole",
            QStringLiteral("A"),
            QStringLiteral("http://a.example/?q=1,2,3"),
            QStringLiteral("A     ,http://a.example/?q=1,2,3") },
        { "empty name", QString(), QStringLiteral("http://a.example/"), QString() },
        { "empty address", QStringLiteral("A"), QString(), QString() },
        { "blank name is a name", QStringLiteral(" "), QStringLiteral("x"), QStringLiteral("      ,x") },
        { "line breaks never split a favorite",
            QStringLiteral("One\r\nTwo"),
            QStringLiteral("http://a.example/\nb"),
            QStringLiteral("One Two     ,http://a.example/ b") },
    };
    for (const Case &c : cases)
        EXPECT_EQ(favoriteLine(c.title, c.address), c.line) << c.name;
}

TEST(Favorites, LinesSplitAtTheFirstCommaAndEmptyLinesAreSkipped)
{
    struct Case {
        const char *name;
        QByteArray file;
        QList<QPair<QString, QString>> favorites;
    } cases[] = {
        { "empty line between", "A,x\r\n\r\nB,y\r\n", { { "A", "x" }, { "B", "y" } } },
        { "comma in the address", "A,http://a/?q=1,2\r\n", { { "A", "http://a/?q=1,2" } } },
        { "no comma", "http://plain.example/\r\n", { { "", "http://plain.example/" } } },
        { "names keep their blanks", "Photo daily     ,u\r\n", { { "Photo daily     ", "u" } } },
        { "LF and lone CR ends", "A,x\nB,y\rC,z", { { "A", "x" }, { "B", "y" }, { "C", "z" } } },
        { "trailing empty lines", "A,x\r\n\r\n\r\n", { { "A", "x" } } },
        { "empty file", "", {} },
        { "utf-8 chinese", "风景,http://a/\r\n", { { "风景", "http://a/" } } },
        { "gbk chinese",
            "\xca\xd5\xb2\xd8,http://b/\r\n\xcd\xbc\xc6\xac\xd5\xbe,http://c/\r\n",
            { { "收藏", "http://b/" }, { "图片站", "http://c/" } } },
    };
    for (const Case &c : cases) {
        const QList<Favorite> read = readFavorites(c.file);
        ASSERT_EQ(read.size(), c.favorites.size()) << c.name;
        for (int i = 0; i < read.size(); ++i) {
            EXPECT_EQ(read[i].name, c.favorites[i].first) << c.name << " #" << i;
            EXPECT_EQ(read[i].address, c.favorites[i].second) << c.name << " #" << i;
        }
    }
}

TEST(Favorites, OnlyWebAndFileAddressesOpen)
{
    struct Case {
        const char *name;
        QString address;
        QString target;
    } cases[] = {
        { "http", QStringLiteral("http://a.example/x"), QStringLiteral("http://a.example/x") },
        { "https with commas", QStringLiteral("https://a.example/?q=1,2"), QStringLiteral("https://a.example/?q=1,2") },
        { "file", QStringLiteral("file:///home/u/a.htm"), QStringLiteral("file:///home/u/a.htm") },
        { "no scheme", QStringLiteral("www.example.com"), QStringLiteral("http://www.example.com") },
        { "blanks around", QStringLiteral("  http://a.example/  "), QStringLiteral("http://a.example/") },
        { "javascript", QStringLiteral("javascript:alert(1)"), QString() },
        { "javascript any case", QStringLiteral("JavaScript:alert(1)"), QString() },
        { "javascript after blanks", QStringLiteral("  javascript:alert(1)"), QString() },
        { "data", QStringLiteral("data:text/html,<script>alert(1)</script>"), QString() },
        { "data any case", QStringLiteral("DATA:text/html;base64,PHNjcmlwdD4="), QString() },
        { "vbscript", QStringLiteral("vbscript:msgbox(1)"), QString() },
        { "empty", QString(), QString() },
    };
    for (const Case &c : cases)
        EXPECT_EQ(favoriteTarget(c.address), c.target) << c.name;
}

TEST(Favorites, CategoryFoldersStayOneLevelBelowFavorites)
{
    const QString data = QStringLiteral("/d/Velmora/");
    struct Case {
        const char *name;
        QString answer;
        QString folder;
    } cases[] = {
        { "default", QStringLiteral("网址之家"), QStringLiteral("/d/Velmora/Favorites/网址之家") },
        { "empty answer", QString(), QString() },
        { "a path", QStringLiteral("a/b"), QString() },
        { "up", QStringLiteral(".."), QString() },
        { "escape", QStringLiteral("../../etc"), QString() },
        { "dot", QStringLiteral("."), QString() },
    };
    for (const Case &c : cases)
        EXPECT_EQ(favoritesCategoryFolder(data, c.answer), c.folder) << c.name;
}

TEST(Favorites, SelectionAfterADelete)
{
    struct Case {
        int removed;
        int remaining;
        int selected;
    } cases[] = { { 2, 2, -1 }, { 1, 2, 1 }, { 0, 2, 0 }, { 0, 0, -1 }, { -1, 3, -1 } };
    for (const Case &c : cases)
        EXPECT_EQ(selectionAfterDelete(c.removed, c.remaining), c.selected) << c.removed << "/" << c.remaining;
}

class FavoritesFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path() const { return favoritesPath(dir.path() + QLatin1Char('/')); }
    QTemporaryDir dir;
};

TEST_F(FavoritesFile, AppendingMakesTheFileAndEndsEveryLineWithCrLf)
{
    EXPECT_TRUE(path().endsWith(QLatin1String("/Fav.rar")));
    ASSERT_TRUE(appendFavoriteLine(path(), QStringLiteral("风景     ,http://a/")));
    ASSERT_TRUE(appendFavoriteLine(path(), QStringLiteral("B     ,http://b/")));
    EXPECT_EQ(QString::fromUtf8(readAll(path())), QStringLiteral("风景     ,http://a/\r\nB     ,http://b/\r\n"));
}

TEST_F(FavoritesFile, AppendingToAGbkFileCarriesItOver)
{
    ASSERT_TRUE(writeAll(path(), QByteArray("\xca\xd5\xb2\xd8,http://b/")));
    ASSERT_TRUE(appendFavoriteLine(path(), QStringLiteral("新     ,http://n/")));
    const QList<Favorite> read = readFavoritesFile(path());
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].name, QStringLiteral("收藏"));
    EXPECT_EQ(read[1].name, QStringLiteral("新     "));
    EXPECT_EQ(read[1].address, QStringLiteral("http://n/"));
}

TEST_F(FavoritesFile, TheOrganizersSaveEndsWithOneEmptyLine)
{
    ASSERT_TRUE(writeFavoritesLines(path(), { QStringLiteral("A,x"), QStringLiteral("B,y") }));
    EXPECT_EQ(readAll(path()), QByteArray("A,x\r\nB,y\r\n\r\n"));
    ASSERT_TRUE(writeFavoritesLines(path(), {}));
    EXPECT_EQ(readAll(path()), QByteArray("\r\n"));
    EXPECT_TRUE(readFavoritesFile(path()).isEmpty());
}

TEST_F(FavoritesFile, AFailedWriteKeepsTheOldList)
{
    ASSERT_TRUE(writeAll(path(), QByteArray("A,x\r\n")));
    // A path below a regular file cannot be written.
    const QString below = path() + QStringLiteral("/Fav.rar");
    QString error;
    EXPECT_FALSE(appendFavoriteLine(below, QStringLiteral("B,y"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(writeFavoritesLines(QStringLiteral("/dev/full"), { QStringLiteral("B,y") }));
    EXPECT_EQ(readAll(path()), QByteArray("A,x\r\n"));
}

TEST_F(FavoritesFile, AMissingFileReadsAsNoFavorites)
{
    EXPECT_TRUE(readFavoritesFile(path()).isEmpty());
    EXPECT_TRUE(readFavoritesFileLines(path()).isEmpty());
}

}
