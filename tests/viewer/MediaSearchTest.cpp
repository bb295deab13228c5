#include "viewer/search/MediaSearch.h"

#include "common/Files.h"
#include "viewer/FolderScan.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace viewer;

namespace {

bool writeSized(const QString &path, qint64 bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.resize(bytes);
}

// Counts the ends a search reports and waits for the next one.
struct FinishedSpy {
    explicit FinishedSpy(MediaSearch &search)
    {
        QObject::connect(&search, &MediaSearch::finished, &context, [this] {
            ++ends;
            loop.quit();
        });
    }
    bool wait(int ms)
    {
        const int before = ends;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(ms);
        loop.exec();
        return ends > before;
    }
    int count() const { return ends; }

    QObject context;
    QEventLoop loop;
    int ends = 0;
};

// A search over a temporary tree, run by the event loop to its end.
class MediaSearchTest : public ::testing::Test {
protected:
    QString root() const { return m_dir.path(); }
    QString at(const QString &relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    void file(const QString &relative, qint64 bytes)
    {
        ASSERT_TRUE(writeSized(at(relative), bytes)) << qPrintable(relative);
    }

    QStringList run(const QString &folder, int category, qint64 minBytes = 30000)
    {
        m_search.Seltype = category;
        FinishedSpy finished(m_search);
        m_search.start(folder, minBytes);
        EXPECT_TRUE(finished.wait(30000));
        EXPECT_EQ(finished.count(), 1);
        EXPECT_FALSE(m_search.isRunning());
        return m_search.found();
    }
    QStringList paths(const QStringList &relatives) const
    {
        QStringList out;
        for (const QString &relative : relatives)
            out.append(at(relative));
        return out;
    }

    QTemporaryDir m_dir;
    bool m_stop = false;
    MediaSearch m_search { m_stop };
};

TEST(MediaSearchRules, CategoriesTakeTheExtensionsOfTheirList)
{
    struct Case {
        const char *path;
        int category; // the first category that takes it, -1 for none
    };
    const Case cases[] = {
        { "/d/a/1.JPG", kSearchPictures },
        { "/d/a/b.jpeg", kSearchPictures },
        { "/d/a/c.Tiff", kSearchPictures },
        { "/d/x.mp3", kSearchMusic },
        { "/d/y.WAV", kSearchMusic },
        { "/d/m.mid", kSearchMusic },
        { "/d/z.ogg", -1 },
        { "/d/f.rmvb", kSearchFilms },
        { "/d/f.RM", kSearchFilms },
        { "/d/f.mov", kSearchFilms },
        { "/d/f.mp4", -1 },
        { "/d/s.swf", kSearchFlash },
        { "/d/x.find", -1 }, // the leading entry never matches
        { "/d/noext", -1 },
        { "/d/a.jpg/noext", -1 }, // the extension holds "/"
        { "/d/trailing.", -1 },
        { "/d/two.bmp,jpg", kSearchPictures }, // neighbours of the list, commas and all
        { "/d/two.jpg,bmp", -1 },
        { "/d/x.mp3.txt", -1 },
    };
    for (const Case &c : cases) {
        const QString path = QString::fromUtf8(c.path);
        EXPECT_EQ(categoryOfPath(path), c.category) << c.path;
        for (int category = 0; category < kSearchCategoryCount; ++category)
            EXPECT_EQ(matchesCategory(path, category), category == c.category) << c.path << " " << category;
    }
    EXPECT_EQ(categoryCaption(3), QStringLiteral("Falsh动画"));
    EXPECT_EQ(categoryExtensions(2), QStringLiteral("find,mpg,avi,rm,rmvb,vob,wmv,asf,mov,"));
    EXPECT_FALSE(matchesCategory(QStringLiteral("/d/a.jpg"), 4));
}

TEST(MediaSearchRules, RecycleBinIsTheEightCharactersFromTheFourth)
{
    struct Case {
        const char *path;
        bool recycle;
    };
    const Case cases[] = {
        { "/d/$RECYCLE.BIN/a.jpg", true },
        { "/d/$Recycle.Bin/S-1-5/a.jpg", true },
        { "D:\\$RECYCLE.BIN\\a.jpg", true },
        { "/d/a/$RECYCLE.BIN/a.jpg", false },
        { "/data/$RECYCLE.BIN/a.jpg", false },
        { "/d/RECYCLE/a.jpg", false },
        { "/d/", false },
    };
    for (const Case &c : cases)
        EXPECT_EQ(isRecyclePath(QString::fromUtf8(c.path)), c.recycle) << c.path;
    EXPECT_EQ(searchingFolderText(QStringLiteral("/d/a")), QStringLiteral("正在搜索目录： /d/a ……"));
    EXPECT_EQ(foundCountText(7), QStringLiteral("发现：7"));
    EXPECT_EQ(pictureTotalText(7), QStringLiteral("图片总数：7"));
}

TEST_F(MediaSearchTest, TakesOnlyFilesLargerThanTheSizeBound)
{
    file(QStringLiteral("a/1.JPG"), 50000);
    file(QStringLiteral("a/b/2.png"), 40000);
    file(QStringLiteral("a/c.gif"), 20000);
    file(QStringLiteral("a/d.gif"), 30000); // exactly the bound: not larger
    file(QStringLiteral("a/notes.txt"), 90000);
    EXPECT_EQ(run(root(), kSearchPictures), paths({ "a/1.JPG", "a/b/2.png" }));
    EXPECT_EQ(m_search.foundText(), at("a/1.JPG") + "\r\n" + at("a/b/2.png") + "\r\n");
    // The same bound for every category.
    file(QStringLiteral("a/small.mp3"), 30000);
    file(QStringLiteral("a/big.mp3"), 30001);
    EXPECT_EQ(run(root(), kSearchMusic), paths({ "a/big.mp3" }));
}

TEST_F(MediaSearchTest, MusicSearchTakesItsOwnExtensionsInAnyCase)
{
    file(QStringLiteral("x.mp3"), 40000);
    file(QStringLiteral("y.WAV"), 40000);
    file(QStringLiteral("z.ogg"), 40000);
    file(QStringLiteral("p.jpg"), 40000);
    EXPECT_EQ(run(root(), kSearchMusic), paths({ "x.mp3", "y.WAV" }));
    EXPECT_EQ(m_search.runningCategory(), kSearchMusic);
}

TEST_F(MediaSearchTest, FilesAndFoldersTogetherInTheViewersFolderOrder)
{
    for (const char *name : { "c.jpg", "a.jpg", "B.jpg", "b.jpg", "é.jpg", "Z.jpg", "_.jpg" })
        file(QString::fromUtf8(name), 40000);
    file(QStringLiteral("b0/in.jpg"), 40000);
    file(QStringLiteral("A1/in.jpg"), 40000);
    const QStringList found = run(root(), kSearchPictures);

    // The files of the top folder keep the viewer's order, and each folder's files come where
    // the folder's name sorts among them.
    QStringList top;
    for (const QString &name : folderFileNames(root()))
        top.append(at(name));
    QStringList topFound;
    for (const QString &path : found) {
        if (!path.mid(root().size() + 1).contains(QLatin1Char('/')))
            topFound.append(path);
    }
    EXPECT_EQ(topFound, top);
    EXPECT_EQ(found.indexOf(at("A1/in.jpg")), found.indexOf(at("a.jpg")) + 1);
    EXPECT_EQ(found.indexOf(at("b0/in.jpg")), found.indexOf(at("b.jpg")) + 1);
}

TEST_F(MediaSearchTest, DotFoldersAreNotEnteredButDotFilesAreListed)
{
    file(QStringLiteral(".git/objects/p.jpg"), 40000);
    file(QStringLiteral(".cache/p.jpg"), 40000);
    file(QStringLiteral("sub/.hidden.jpg"), 40000);
    file(QStringLiteral("sub/shown.jpg"), 40000);
    EXPECT_EQ(run(root(), kSearchPictures), paths({ "sub/.hidden.jpg", "sub/shown.jpg" }));
}

TEST_F(MediaSearchTest, RecycleBinAtTheRootIsNotListed)
{
    // A root of three characters, as a drive's: the search starts from the relative folder "t1".
    file(QStringLiteral("t1/$RECYCLE.BIN/S-1-5/gone.jpg"), 40000);
    file(QStringLiteral("t1/$Recycle.Bin/gone.jpg"), 40000);
    file(QStringLiteral("t1/kept.jpg"), 40000);
    file(QStringLiteral("t1/deeper/$RECYCLE.BIN/kept.jpg"), 40000);
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root()));
    const QStringList found = run(QStringLiteral("t1"), kSearchPictures);
    QDir::setCurrent(previous);
    EXPECT_EQ(found, (QStringList { "t1/deeper/$RECYCLE.BIN/kept.jpg", "t1/kept.jpg" }));
}

TEST_F(MediaSearchTest, LinksAreNotFollowedIntoFoldersAndFileLinksAreListedOnce)
{
    QTemporaryDir outside;
    ASSERT_TRUE(writeSized(outside.filePath(QStringLiteral("elsewhere.jpg")), 40000));
    file(QStringLiteral("a/real.jpg"), 40000);
    ASSERT_EQ(::symlink("..", qPrintable(at("a/up"))), 0); // a loop back to the top
    ASSERT_EQ(::symlink(".", qPrintable(at("a/self.jpg"))), 0); // a folder link with a picture's name
    ASSERT_EQ(::symlink(qPrintable(outside.path()), qPrintable(at("out"))), 0);
    ASSERT_EQ(::symlink("real.jpg", qPrintable(at("a/link.jpg"))), 0);
    ASSERT_EQ(::symlink("missing.jpg", qPrintable(at("a/dangling.jpg"))), 0);
    ASSERT_EQ(::mkfifo(qPrintable(at("a/pipe.jpg")), 0600), 0);
    EXPECT_EQ(run(root(), kSearchPictures), paths({ "a/link.jpg", "a/real.jpg" }));
}

TEST_F(MediaSearchTest, FoldersThatCannotBeReadAreSkipped)
{
    // Running as root, permissions stop nothing: "gone" is read as a folder, then replaced by a
    // file before the walk reaches it, and "vanished" disappears altogether.
    file(QStringLiteral("a.jpg"), 40000);
    file(QStringLiteral("gone/in.jpg"), 40000);
    file(QStringLiteral("vanished/in.jpg"), 40000);
    file(QStringLiteral("z.jpg"), 40000);
    m_search.Seltype = kSearchPictures;
    FinishedSpy finished(m_search);
    m_search.start(root(), 30000); // reads the top folder's entries
    ASSERT_TRUE(QDir(at("gone")).removeRecursively());
    file(QStringLiteral("gone"), 40000);
    ASSERT_TRUE(QDir(at("vanished")).removeRecursively());
    while (m_search.advance(1)) { }
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(m_search.found(), paths({ "a.jpg", "z.jpg" }));

    // A start folder that does not exist ends at once, from the event loop.
    EXPECT_EQ(run(at("missing"), kSearchPictures), QStringList());
    EXPECT_EQ(run(at("a.jpg"), kSearchPictures), QStringList());
}

TEST_F(MediaSearchTest, StopFlagEndsTheWalkBeforeTheNextEntry)
{
    for (int i = 0; i < 10; ++i)
        file(QStringLiteral("p%1.jpg").arg(i), 40000);
    m_search.Seltype = kSearchPictures;
    FinishedSpy finished(m_search);
    m_search.start(root(), 30000);
    EXPECT_FALSE(m_stop);
    ASSERT_TRUE(m_search.advance(3));
    EXPECT_EQ(m_search.FoundCount(), 3);
    m_stop = true;
    EXPECT_FALSE(m_search.advance(1));
    EXPECT_EQ(m_search.FoundCount(), 3);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(m_search.advance(1)); // an ended walk stays ended
    EXPECT_EQ(finished.count(), 1);

    // Starting again while one runs ends the first (reporting it) and clears the flag.
    m_search.start(root(), 30000);
    ASSERT_TRUE(m_search.advance(2));
    m_search.start(root(), 30000);
    EXPECT_EQ(finished.count(), 2);
    EXPECT_FALSE(m_stop);
    EXPECT_TRUE(finished.wait(10000));
    EXPECT_EQ(m_search.FoundCount(), 10);
}

TEST_F(MediaSearchTest, EndsAtTheBoundAndYieldsToTheEventLoopOnTheWay)
{
    // 20001 matching files (the size bound 0 takes any non-empty file) over a few folders.
    for (int i = 0; i <= kSearchBound; ++i)
        file(QStringLiteral("f%1/%2.jpg").arg(i % 4).arg(i, 5, 10, QLatin1Char('0')), 1);
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start();
    int entered = 0;
    QObject::connect(&m_search, &MediaSearch::folderEntered, [&] { ++entered; });
    const QStringList found = run(root(), kSearchPictures, 0);
    EXPECT_EQ(found.size(), kSearchBound);
    EXPECT_TRUE(m_stop);
    EXPECT_EQ(found.first(), at("f0/00000.jpg"));
    EXPECT_EQ(entered, 5); // the start folder and f0..f3
    EXPECT_GT(ticks, 1); // other events ran between the slices
}

TEST(MediaSearchCopy, ReplacesTheTargetWholeOrLeavesIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeSized(dir.filePath("source.jpg"), 70000));
    ASSERT_TRUE(writeSized(dir.filePath("target.jpg"), 10));
    EXPECT_TRUE(common::copyFileReplacing(dir.filePath("source.jpg"), dir.filePath("target.jpg")));
    EXPECT_EQ(QFileInfo(dir.filePath("target.jpg")).size(), 70000);
    EXPECT_FALSE(common::copyFileReplacing(dir.filePath("missing.jpg"), dir.filePath("target.jpg")));
    EXPECT_EQ(QFileInfo(dir.filePath("target.jpg")).size(), 70000);
    EXPECT_FALSE(common::copyFileReplacing(dir.filePath("source.jpg"), dir.filePath("no/such/folder/x.jpg")));
}

}
