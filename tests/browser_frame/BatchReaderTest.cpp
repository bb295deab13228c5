#include "browser/frame/BatchReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace browser::frame;

void touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(BatchReader, StartFolderAndFilePaths)
{
    EXPECT_EQ(readerStartFolder(QString(), QStringLiteral("/d/Velmora/")), QStringLiteral("/d/Velmora/History"));
    EXPECT_EQ(
        readerStartFolder(QStringLiteral("/srv/pages"), QStringLiteral("/d/Velmora/")), QStringLiteral("/srv/pages"));
    struct Case {
        QString folder;
        QString path;
    } cases[] = {
        { QStringLiteral("/"), QStringLiteral("/a.htm") },
        { QStringLiteral("/srv/pages"), QStringLiteral("/srv/pages/a.htm") },
        { QStringLiteral("/srv/pages/"), QStringLiteral("/srv/pages/a.htm") },
    };
    for (const Case &c : cases)
        EXPECT_EQ(fileInFolder(c.folder, QStringLiteral("a.htm")), c.path) << qPrintable(c.folder);
}

TEST(BatchReader, ListsTheSevenPageKindsInTheFoldersOrder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char *name : { "b.html",
             "A.htm",
             "c.asp",
             "d.aspx",
             "e.php",
             "f.jsp",
             "g.xhtml",
             "H.HTM",
             "notes.txt",
             "pic.jpg",
             "a.htm.bak",
             "_x.htm",
             "Z.htm" })
        touch(dir.filePath(QString::fromLatin1(name)));
    QDir(dir.path()).mkdir(QStringLiteral("folder.htm"));
    EXPECT_EQ(pageFilesIn(dir.path()),
        (QStringList { QStringLiteral("A.htm"),
            QStringLiteral("b.html"),
            QStringLiteral("c.asp"),
            QStringLiteral("d.aspx"),
            QStringLiteral("e.php"),
            QStringLiteral("f.jsp"),
            QStringLiteral("g.xhtml"),
            QStringLiteral("H.HTM"),
            QStringLiteral("Z.htm"),
            QStringLiteral("_x.htm") }));
    EXPECT_EQ(pageFilePatterns().size(), 7);
}

TEST(BatchReader, AMissingFolderListsNothing)
{
    EXPECT_TRUE(pageFilesIn(QStringLiteral("/nonexistent/velmora/pages")).isEmpty());
    EXPECT_TRUE(pageFilesIn(QString()).isEmpty());
}

TEST(BatchReader, LayoutFollowsTheInnerWidth)
{
    const ReaderLayout place = readerLayout(7800);
    EXPECT_EQ(place.comPathWidth, 4600);
    EXPECT_EQ(place.cmdSearchLeft, 6100);
    EXPECT_EQ(place.command1Left, 6700);
    EXPECT_EQ(place.listFileWidth, 7600);
}

}
