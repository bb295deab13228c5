#include "browser/frame/PageCommands.h"

#include "browser/frame/ClosedPages.h"
#include "browser/frame/FrameMenus.h"
#include "common/Registry.h"
#include "common/Settings.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

using namespace browser::frame;

TEST(PageCommands, ZoomStepsInAndOutWithTheFloorOfFifteen)
{
    struct Case {
        const char *name;
        int start;
        std::vector<int> presses; // 0 in, 1 out
        int expected;
    };
    const Case cases[] = {
        { "three times in from 100", 100, { 0, 0, 0 }, 130 },
        { "out from 15 reaches 5", 15, { 1 }, 5 },
        { "out again from 5 stays 5", 15, { 1, 1 }, 5 },
        { "out three times from 15 stays 5", 15, { 1, 1, 1 }, 5 },
        { "in from 5 gives 25", 5, { 0 }, 25 },
        { "out from 100", 100, { 1 }, 90 },
        { "a value below 15 counts as 15", -40, { 0 }, 25 },
    };
    for (const Case &c : cases) {
        int z = c.start;
        for (int index : c.presses)
            z = nextZoom(z, index);
        EXPECT_EQ(z, c.expected) << c.name;
    }
}

TEST(PageCommands, ZoomNeedsTheGalleryOrSafeModeOff)
{
    EXPECT_FALSE(zoomAllowed(false, true));
    EXPECT_TRUE(zoomAllowed(true, true));
    EXPECT_TRUE(zoomAllowed(false, false));
    EXPECT_TRUE(kZoomMessage.endsWith(QString(15, QLatin1Char(' '))));
    EXPECT_TRUE(kZoomMessage.startsWith(QStringLiteral("页面屏幕放大/缩小时必须退出安全看图模式……")));
}

TEST(PageCommands, RefreshAllLeavesTheFirstTab)
{
    EXPECT_EQ(refreshAllPositions(3), (QList<int> { 1, 2 }));
    EXPECT_TRUE(refreshAllPositions(1).isEmpty());
    EXPECT_TRUE(refreshAllPositions(0).isEmpty());
}

TEST(PageCommands, SourceFileNameDropsFourteenCharactersOfTheCaption)
{
    const struct {
        QString caption;
        QString expected;
    } cases[] = {
        { QStringLiteral("Page One - Nimbrow "), QStringLiteral("Page .txt") },
        { QStringLiteral("新闻网首页 - Nimbrow "), QStringLiteral("新闻.txt") },
        { QStringLiteral(" Nimbrow "), QStringLiteral(".txt") },
        { QString(), QStringLiteral(".txt") },
    };
    for (const auto &c : cases)
        EXPECT_EQ(sourceFileName(c.caption), c.expected) << c.caption.toStdString();
}

TEST(PageCommands, FindCountTexts)
{
    EXPECT_EQ(findCountText(QStringLiteral("a"), 2, 5), QStringLiteral("第 2 个，共 5 个"));
    EXPECT_EQ(findCountText(QStringLiteral("a"), 0, 0), QStringLiteral("找不到"));
    EXPECT_EQ(findCountText(QString(), 0, 0), QString());
}

// Every page action and office entry names an entry of the frame's menus.
TEST(PageCommands, TablesNameEntriesOfTheMenus)
{
    QSet<QString> entries;
    for (const FrameMenu &menu : frameMenus()) {
        for (const FrameMenuItem &item : menu.items)
            entries.insert(menu.title + QLatin1Char('\n') + item.text);
    }
    for (const PageActionEntry &entry : pageActionEntries())
        EXPECT_TRUE(entries.contains(entry.menu + QLatin1Char('\n') + entry.text)) << entry.text.toStdString();
    for (const OfficeEntry &entry : officeEntries()) {
        EXPECT_TRUE(entries.contains(QStringLiteral("工具(&T)\n") + entry.text)) << entry.text.toStdString();
        EXPECT_EQ(entry.program, QStringLiteral("libreoffice"));
    }
    EXPECT_EQ(pageActionEntries().size(), 9);
}

TEST(ClosedPagesMenu, ForgettingTheMenuKeepsTheStoredEntries)
{
    auto hive = common::RegistryHive::openInMemory();
    common::SettingsStore settings(*hive);
    ClosedPages pages(settings);
    for (int i = 0; i < 3; ++i) {
        pages.recordClosedPage(QStringLiteral("Page %1").arg(i), QStringLiteral("http://example.com/%1").arg(i));
        pages.addMenuEntry(QStringLiteral("Page %1").arg(i),
            QStringLiteral("Page %1").arg(i),
            QStringLiteral("http://example.com/%1").arg(i));
    }
    ASSERT_EQ(pages.ClosedPageCount(), 3);
    pages.forgetMenuEntries();
    EXPECT_EQ(pages.ClosedPageCount(), 0);
    for (const auto &item : pages.menuItems())
        EXPECT_FALSE(item.has_value());
    EXPECT_EQ(settings.read(QStringLiteral("CancelPage"), QStringLiteral("Count")), QStringLiteral("3"));
    EXPECT_FALSE(settings.read(QStringLiteral("CancelPage"), QStringLiteral("Page_2")).isEmpty());
}

}
