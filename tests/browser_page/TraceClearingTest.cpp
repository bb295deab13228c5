#include "browser/page/TraceClearing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace browser::page;

QByteArray bookmark(const char *href, std::initializer_list<const char *> apps)
{
    QByteArray b = QByteArray("  <bookmark href=\"") + href
        + "\" added=\"2026-01-01T00:00:00Z\">\n    <info>\n      <metadata owner=\"http://freedesktop.org\">\n"
          "        <mime:mime-type type=\"image/jpeg\"/>\n        <bookmark:applications>\n";
    for (const char *app : apps)
        b += QByteArray("          <bookmark:application name=\"") + app
            + "\" exec=\"&apos;x %u&apos;\" modified=\"2026-01-01T00:00:00Z\" count=\"1\"/>\n";
    b += "        </bookmark:applications>\n      </metadata>\n    </info>\n  </bookmark>\n";
    return b;
}

QByteArray xbel(const QList<QByteArray> &bookmarks)
{
    QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\"\n"
                   "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
                   "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n>\n";
    for (const QByteArray &b : bookmarks)
        x += b;
    x += "</xbel>";
    return x;
}

TEST(TraceClearing, RecentListLosesOnlyTheProgramsEntries)
{
    const QByteArray ours = bookmark("file:///p/a.jpg", { "Vistelle" });
    const QByteArray theirs = bookmark("file:///p/b.jpg", { "Eye of GNOME" });
    const QByteArray shared = bookmark("file:///p/c.jpg", { "gimp", "Nimbrow" });
    const QByteArray sharedAfter = bookmark("file:///p/c.jpg", { "gimp" });
    const struct {
        const char *name;
        QByteArray before, after;
        int removed;
    } cases[] = {
        { "own entry goes", xbel({ ours, theirs }), xbel({ theirs }), 1 },
        { "other programs' entries stay byte for byte", xbel({ theirs }), xbel({ theirs }), 0 },
        { "a shared entry keeps the other program", xbel({ shared, ours }), xbel({ sharedAfter }), 1 },
        { "nothing but own entries", xbel({ ours, ours }), xbel({}), 2 },
        { "no bookmarks", xbel({}), xbel({}), 0 },
    };
    for (const auto &c : cases) {
        int removed = -1;
        EXPECT_EQ(withoutOwnRecentEntries(c.before, ownApplicationNames(), &removed), c.after) << c.name;
        EXPECT_EQ(removed, c.removed) << c.name;
    }
}

TEST(TraceClearing, RecentListFileIsRewrittenOnlyWhenItChanges)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("recently-used.xbel"));
    EXPECT_TRUE(clearOwnRecentEntries(path)); // missing: nothing to do
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(xbel({ bookmark("file:///a", { "Vistelle" }), bookmark("file:///b", { "gedit" }) }));
    file.close();
    EXPECT_TRUE(clearOwnRecentEntries(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray after = file.readAll();
    EXPECT_FALSE(after.contains("file:///a"));
    EXPECT_TRUE(after.contains("file:///b"));
}

TEST(TraceClearing, HistoryFolderGoesWithoutFollowingLinksOut)
{
    QTemporaryDir dir;
    const QString history = dir.filePath(QStringLiteral("History"));
    const QString outside = dir.filePath(QStringLiteral("outside"));
    ASSERT_TRUE(QDir().mkpath(history + QStringLiteral("/sub")));
    ASSERT_TRUE(QDir().mkpath(outside + QStringLiteral("/inner")));
    QFile day(history + QStringLiteral("/2026-1-1.dat"));
    ASSERT_TRUE(day.open(QIODevice::WriteOnly));
    day.write("row");
    day.close();
    QFile precious(outside + QStringLiteral("/precious.txt"));
    ASSERT_TRUE(precious.open(QIODevice::WriteOnly));
    precious.write("keep");
    precious.close();
    // Links planted inside pointing out: to a file, to a folder, from a subfolder.
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/precious.txt"), history + QStringLiteral("/file-link")));
    ASSERT_TRUE(QFile::link(outside, history + QStringLiteral("/folder-link")));
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/inner"), history + QStringLiteral("/sub/inner-link")));

    EXPECT_TRUE(deleteConfinedFolder(history + QLatin1Char('/')));
    EXPECT_FALSE(QFileInfo::exists(history));
    EXPECT_TRUE(QFileInfo(outside + QStringLiteral("/inner")).isDir());
    ASSERT_TRUE(precious.open(QIODevice::ReadOnly));
    EXPECT_EQ(precious.readAll(), QByteArray("keep"));

    // A History that is itself a link is only unlinked.
    ASSERT_TRUE(QFile::link(outside, history));
    EXPECT_TRUE(deleteConfinedFolder(history));
    EXPECT_FALSE(QFileInfo(history).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(outside + QStringLiteral("/precious.txt")));
    EXPECT_FALSE(deleteConfinedFolder(QStringLiteral("/")));
}

TEST(TraceClearing, OwnPageFilesAndFormDataGoLinksAsLinks)
{
    QTemporaryDir dir;
    const QString pages = dir.filePath(QStringLiteral("pages"));
    QDir().mkpath(pages);
    const QString other = dir.filePath(QStringLiteral("other.htm"));
    for (const QString &path : { pages + QStringLiteral("/Tpc.htm"), pages + QStringLiteral("/mine.htm"), other }) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    ASSERT_TRUE(QFile::link(other, pages + QStringLiteral("/img.htm")));
    deleteOwnPageFiles(pages);
    EXPECT_FALSE(QFileInfo::exists(pages + QStringLiteral("/Tpc.htm")));
    EXPECT_FALSE(QFileInfo(pages + QStringLiteral("/img.htm")).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(pages + QStringLiteral("/mine.htm")));
    EXPECT_TRUE(QFileInfo::exists(other));

    QFile webData(dir.filePath(QStringLiteral("Web Data")));
    ASSERT_TRUE(webData.open(QIODevice::WriteOnly));
    webData.close();
    deleteFormData(dir.path());
    EXPECT_FALSE(webData.exists());
}

TEST(TraceClearing, TenBoxesInOrder)
{
    const QStringList captions { QStringLiteral("清除地址栏历史"),
        QStringLiteral("清除搜索栏历史"),
        QStringLiteral("清除网站访问历史"),
        QStringLiteral("清除上网的表单记录"),
        QStringLiteral("清空“我的文档”列表"),
        QStringLiteral("清除 Cookies 痕迹"),
        QStringLiteral("清除网页缓存"),
        QStringLiteral("清除临时目录"),
        QStringLiteral("清除撤销记录"),
        QStringLiteral("清除“网上邻居”痕迹") };
    ASSERT_EQ(traceBoxes().size(), captions.size());
    for (int i = 0; i < captions.size(); ++i) {
        EXPECT_EQ(traceBoxes()[i].caption, captions[i]);
        EXPECT_FALSE(traceBoxes()[i].toolTip.isEmpty());
    }
    EXPECT_TRUE(traceBoxes()[9].toolTip.contains(QStringLiteral("不做任何清除")));
}

}
