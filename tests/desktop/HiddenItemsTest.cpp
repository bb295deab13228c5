#include "desktop/HiddenItems.h"

#include "common/FileAttributes.h"
#include "tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/xattr.h>

using velmora::test::readAll;

namespace desktop {

namespace {

    void writeFileOrFail(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    // The extended attribute as stored, or empty where the file system has none.
    QByteArray dosAttribute(const QString &path)
    {
        char buffer[32] = {};
        const ssize_t length =
            ::lgetxattr(QFile::encodeName(path).constData(), "user.DOSATTRIB", buffer, sizeof buffer);
        return length > 0 ? QByteArray(buffer, int(length)) : QByteArray();
    }

    bool xattrsWork(const QString &folder)
    {
        const QByteArray probe = QFile::encodeName(folder);
        return ::lsetxattr(probe.constData(), "user.velmora-probe", "1", 1, 0) == 0
            && ::lremovexattr(probe.constData(), "user.velmora-probe") == 0;
    }

}

TEST(HiddenList, ReadsLinesSkippingEmptyOnesInEitherCharset)
{
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("file.ifo"));
    struct Case {
        const char *name;
        QByteArray bytes;
        QStringList items;
    };
    const Case cases[] = {
        { "crlf with empty lines", "/a/b\r\n\r\n/c d/e\r\n\r\n", { "/a/b", "/c d/e" } },
        { "lf and no last line end", "/x\n/y", { "/x", "/y" } },
        { "utf-8", "/图片/秘密\r\n", { QStringLiteral("/图片/秘密") } },
        // "/秘密" in GBK: C3 D8 C3 DC.
        { "gbk", QByteArray("/\xC3\xD8\xC3\xDC\r\n"), { QStringLiteral("/秘密") } },
        { "empty", "", {} },
    };
    for (const Case &c : cases) {
        writeFileOrFail(list, c.bytes);
        EXPECT_EQ(readHiddenList(list), c.items) << c.name;
    }
    EXPECT_TRUE(readHiddenList(dir.filePath(QStringLiteral("missing.ifo"))).isEmpty());
}

TEST(HiddenList, AppendsCrLfLinesAndKeepsTheFileHidden)
{
    QTemporaryDir dir;
    const QString list = hiddenListPath(dir.path() + QLatin1Char('/'));
    EXPECT_EQ(QFileInfo(list).fileName(), QStringLiteral("file.ifo"));
    ASSERT_TRUE(appendHiddenList(list, QStringLiteral("/one")));
    ASSERT_TRUE(appendHiddenList(list, QStringLiteral("/两个")));
    EXPECT_EQ(readAll(list), QByteArray("/one\r\n/\xE4\xB8\xA4\xE4\xB8\xAA\r\n"));
    EXPECT_EQ(common::fileAttributes(list) & (common::AttrHidden | common::AttrSystem),
        xattrsWork(dir.path()) ? common::AttrHidden | common::AttrSystem : common::AttrHidden);
    // A list whose last line has no line end keeps that line apart.
    writeFileOrFail(list, "/old");
    ASSERT_TRUE(appendHiddenList(list, QStringLiteral("/new")));
    EXPECT_EQ(readHiddenList(list), (QStringList { "/old", "/new" }));
    // A list that cannot be written reports it.
    EXPECT_FALSE(appendHiddenList(list + QStringLiteral("/below-a-file"), QStringLiteral("/x")));
}

TEST(HiddenItems, HidingSetsExactlyHiddenAndSystemAndRestoringMakesWritable)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("secret"));
    const QString file = dir.filePath(QStringLiteral("note.txt"));
    ASSERT_TRUE(QDir().mkdir(folder));
    writeFileOrFail(file, "x");
    // Read-only before hiding: hiding replaces that mark.
    ASSERT_TRUE(common::setFileAttributes(file, common::AttrReadOnly));
    const bool xattrs = xattrsWork(dir.path());

    for (const QString &item : { folder + QLatin1Char('/'), file }) {
        const QString path = QDir::cleanPath(item);
        ASSERT_TRUE(hideItem(item)) << qPrintable(item);
        EXPECT_EQ(common::fileAttributes(path), xattrs ? 6 : 2) << qPrintable(item);
        if (xattrs) {
            EXPECT_EQ(dosAttribute(path), QByteArray("0x6"));
        }
        EXPECT_TRUE(QFileInfo(path).permissions() & QFile::WriteOwner);
    }
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral(".hidden"))), QByteArray("secret\nnote.txt\n"));

    ASSERT_TRUE(common::setFileAttributes(file, common::AttrReadOnly | common::AttrHidden | common::AttrSystem));
    ASSERT_TRUE(restoreItem(file));
    ASSERT_TRUE(restoreItem(folder));
    EXPECT_EQ(common::fileAttributes(file), 0);
    EXPECT_EQ(common::fileAttributes(folder), 0);
    EXPECT_TRUE(QFileInfo(file).permissions() & QFile::WriteOwner);
    EXPECT_TRUE(dosAttribute(file).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral(".hidden"))));
    // A path that no longer exists fails quietly.
    EXPECT_FALSE(hideItem(dir.filePath(QStringLiteral("gone"))));
    EXPECT_FALSE(restoreItem(dir.filePath(QStringLiteral("gone"))));
}

TEST(HiddenItems, Refusals)
{
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString data = home + QStringLiteral("/.local/share/Velmora/");
    ASSERT_TRUE(QDir().mkpath(data));
    ASSERT_TRUE(QFile::link(home, dir.filePath(QStringLiteral("home-link"))));
    const std::pair<QString, HideRefusal> cases[] = {
        { QString(), HideRefusal::Empty },
        { QStringLiteral("  "), HideRefusal::Empty },
        { QStringLiteral("/"), HideRefusal::Root },
        { QStringLiteral("//"), HideRefusal::Root },
        { home, HideRefusal::Home },
        { home + QStringLiteral("/"), HideRefusal::Home },
        { home + QStringLiteral("/sub/.."), HideRefusal::Home },
        { dir.filePath(QStringLiteral("home-link")), HideRefusal::Home },
        { data, HideRefusal::DataFolder },
        { data.chopped(1), HideRefusal::DataFolder },
        { home + QStringLiteral("/Pictures"), HideRefusal::None },
        { data + QStringLiteral("Download"), HideRefusal::None },
    };
    for (const auto &[item, refusal] : cases)
        EXPECT_EQ(hideRefusal(item, home, data), refusal) << qPrintable(item);
}

}
