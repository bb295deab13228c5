#include "system/ShellFileOp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <gtest/gtest.h>

namespace {

class ShellFileOpTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = m_dir.path();
        QDir().mkpath(root + "/src/sub.txt");
        QDir().mkpath(root + "/outside/inner");
        write("/outside/keep.txt", "outside");
        write("/outside/inner/deep.txt", "deep");
        write("/src/a.txt", "a");
        write("/src/b.TXT", "b");
        write("/src/c.jpg", "c");
        write("/src/noext", "n");
        write("/src/.hidden.txt", "h");
        write("/src/a+b(1).txt", "regex");
        write("/src/sub.txt/inside.txt", "inside");
        QFile::link(root + "/outside/keep.txt", root + "/src/link.txt");
        QFile::link(root + "/outside", root + "/src/dirlink.txt");
    }

    void write(const QString &relative, const QByteArray &bytes)
    {
        QFile file(root + relative);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray read(const QString &relative)
    {
        QFile file(root + relative);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QStringList names(const QString &relative)
    {
        QStringList list =
            QDir(root + relative).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        std::sort(list.begin(), list.end());
        return list;
    }

    bool exists(const QString &relative) { return QFileInfo(root + relative).exists() || isLink(relative); }
    bool isLink(const QString &relative) { return QFileInfo(root + relative).isSymLink(); }

    void expectOutsideIntact()
    {
        EXPECT_EQ(read("/outside/keep.txt"), "outside");
        EXPECT_EQ(read("/outside/inner/deep.txt"), "deep");
    }

    QTemporaryDir m_dir;
    QString root;
};

TEST_F(ShellFileOpTest, DeletePatternTakesOnlyMatchingFilesAndLinks)
{
    EXPECT_TRUE(sys::ShellFileOp(sys::FileOpDelete, root + "/src/*.txt"));
    EXPECT_EQ(names("/src"), (QStringList { "b.TXT", "c.jpg", "noext", "sub.txt" }));
    EXPECT_EQ(read("/src/sub.txt/inside.txt"), "inside");
    expectOutsideIntact();
}

TEST_F(ShellFileOpTest, PatternCases)
{
    const struct {
        const char *pattern;
        QStringList left;
    } rows[] = {
        { "*.*", { "sub.txt" } },
        { "?.txt", { ".hidden.txt", "a+b(1).txt", "b.TXT", "c.jpg", "dirlink.txt", "link.txt", "noext", "sub.txt" } },
        { "a+b(1).txt", { ".hidden.txt", "a.txt", "b.TXT", "c.jpg", "dirlink.txt", "link.txt", "noext", "sub.txt" } },
        { "noext.*", { ".hidden.txt", "a+b(1).txt", "a.txt", "b.TXT", "c.jpg", "dirlink.txt", "link.txt", "sub.txt" } },
        { "*.jp?", { ".hidden.txt", "a+b(1).txt", "a.txt", "b.TXT", "dirlink.txt", "link.txt", "noext", "sub.txt" } },
    };
    for (const auto &row : rows) {
        SetUp();
        sys::ShellFileOp(sys::FileOpDelete, root + "/src/" + QString::fromUtf8(row.pattern));
        EXPECT_EQ(names("/src"), row.left) << row.pattern;
        expectOutsideIntact();
        QDir(root + "/src").removeRecursively();
    }
}

TEST_F(ShellFileOpTest, MissingSourceOrBadArgumentsDoNothing)
{
    const QStringList before = names("/src");
    const struct {
        int function;
        QString from;
        QString to;
    } rows[] = {
        { sys::FileOpDelete, root + "/src/none.txt", {} },
        { sys::FileOpDelete, root + "/nofolder/*.*", {} },
        { sys::FileOpDelete, root + "/sr?/a.txt", {} },
        { sys::FileOpDelete, "src/a.txt", {} },
        { sys::FileOpDelete, "/", {} },
        { sys::FileOpDelete, root + "/src/*.png", {} },
        { 9, root + "/src/a.txt", {} },
        { sys::FileOpCopy, root + "/src/a.txt", {} },
        { sys::FileOpCopy, root + "/src/a.txt", "relative/b.txt" },
        { sys::FileOpRename, root + "/src/*.txt", root + "/src/x.txt" },
        { sys::FileOpRename, root + "/src/a.txt", "c.jpg" },
    };
    for (const auto &row : rows)
        EXPECT_FALSE(sys::ShellFileOp(row.function, row.from, row.to)) << row.function << " " << qPrintable(row.from);
    EXPECT_EQ(names("/src"), before);
    EXPECT_EQ(read("/src/c.jpg"), "c");
}

TEST_F(ShellFileOpTest, DeleteFolderItemNeverEntersLinks)
{
    QFile::link(root + "/outside", root + "/src/sub.txt/escape");
    EXPECT_TRUE(sys::ShellFileOp(sys::FileOpDelete, root + "/src/sub.txt/"));
    EXPECT_FALSE(exists("/src/sub.txt"));
    expectOutsideIntact();
    EXPECT_TRUE(sys::ShellFileOp(sys::FileOpDelete, root + "/src/dirlink.txt"));
    EXPECT_FALSE(exists("/src/dirlink.txt"));
    expectOutsideIntact();
}

TEST_F(ShellFileOpTest, CopyPatternCreatesTheTargetFolderAndCopiesLinksAsLinks)
{
    EXPECT_TRUE(sys::ShellFileOp(sys::FileOpCopy, root + "/src/*.txt", root + "/dest/new"));
    EXPECT_EQ(names("/dest/new"), (QStringList { ".hidden.txt", "a+b(1).txt", "a.txt", "dirlink.txt", "link.txt" }));
    EXPECT_TRUE(isLink("/dest/new/link.txt"));
    EXPECT_TRUE(isLink("/dest/new/dirlink.txt"));
    EXPECT_EQ(QFileInfo(root + "/dest/new/link.txt").symLinkTarget(), root + "/outside/keep.txt");
    EXPECT_EQ(read("/src/a.txt"), "a");
    expectOutsideIntact();
}

TEST_F(ShellFileOpTest, CopyReplacesAnExistingTargetWithoutWritingThroughALink)
{
    QFile::link(root + "/outside/keep.txt", root + "/trap.txt");
    EXPECT_TRUE(sys::ShellFileOp(sys::FileOpCopy, root + "/src/a.txt", root + "/trap.txt"));
    EXPECT_FALSE(isLink("/trap.txt"));
    EXPECT_EQ(read("/trap.txt"), "a");
    expectOutsideIntact();

    write("/old.txt", "old contents");
    EXPECT_TRUE(sys::ShellFileOp(sys::FileOpCopy, root + "/src/c.jpg", root + "/old.txt"));
    EXPECT_EQ(read("/old.txt"), "c");
    EXPECT_FALSE(exists("/old.txt.velmora-copy"));
}

TEST_F(ShellFileOpTest, CopyFolderItemRecursivelyButNotIntoItself)
{
    EXPECT_TRUE(sys::ShellFileOp(sys::FileOpCopy, root + "/src/sub.txt", root + "/copy"));
    EXPECT_EQ(read("/copy/inside.txt"), "inside");
    EXPECT_FALSE(sys::ShellFileOp(sys::FileOpCopy, root + "/src", root + "/src/sub.txt/again"));
    EXPECT_FALSE(exists("/src/sub.txt/again"));
}

TEST_F(ShellFileOpTest, MoveIntoAnExistingFolderKeepsNames)
{
    QDir().mkpath(root + "/moved");
    EXPECT_TRUE(sys::ShellFileOp(sys::FileOpMove, root + "/src/?.txt", root + "/moved"));
    EXPECT_EQ(names("/moved"), QStringList { "a.txt" });
    EXPECT_FALSE(exists("/src/a.txt"));
    EXPECT_TRUE(sys::ShellFileOp(sys::FileOpMove, root + "/src/link.txt", root + "/moved"));
    EXPECT_TRUE(isLink("/moved/link.txt"));
    expectOutsideIntact();
    EXPECT_TRUE(sys::ShellFileOp(sys::FileOpMove, root + "/src/c.jpg", root + "/deeper/down/c2.jpg"));
    EXPECT_EQ(read("/deeper/down/c2.jpg"), "c");
}

TEST_F(ShellFileOpTest, RenameTakesOneItemAndNeverReplaces)
{
    EXPECT_TRUE(sys::ShellFileOp(sys::FileOpRename, root + "/src/a.txt", "renamed.txt"));
    EXPECT_EQ(read("/src/renamed.txt"), "a");
    EXPECT_FALSE(exists("/src/a.txt"));
    EXPECT_FALSE(sys::ShellFileOp(sys::FileOpRename, root + "/src/renamed.txt", root + "/src/c.jpg"));
    EXPECT_EQ(read("/src/c.jpg"), "c");
    EXPECT_EQ(read("/src/renamed.txt"), "a");
}

TEST_F(ShellFileOpTest, FailingTargetBelowARegularFileReportsFalse)
{
    EXPECT_FALSE(sys::ShellFileOp(sys::FileOpCopy, root + "/src/a.txt", root + "/src/c.jpg/below/a.txt"));
    EXPECT_FALSE(sys::ShellFileOp(sys::FileOpCopy, root + "/src/*.txt", root + "/src/c.jpg/below"));
    EXPECT_EQ(read("/src/c.jpg"), "c");
    EXPECT_EQ(read("/src/a.txt"), "a");
}

}
