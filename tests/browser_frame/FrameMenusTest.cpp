#include "browser/frame/FrameMenus.h"

#include "browser/frame/AddressRules.h"
#include "browser/frame/FrameCommands.h"

#include <gtest/gtest.h>

namespace {

using namespace browser::frame;

QStringList commandTexts(const FrameMenu &menu)
{
    QStringList texts;
    for (const auto &item : menu.items) {
        if (item.kind == FrameMenuItem::Command)
            texts.append(item.text);
    }
    return texts;
}

TEST(FrameMenus, EightMenusInOrderWithTheTabMenuHidden)
{
    const auto &menus = frameMenus();
    QStringList titles;
    for (const auto &menu : menus)
        titles.append(menu.title);
    EXPECT_EQ(titles,
        (QStringList {
            "文件(&F)", "编辑(&E)", "标签(&B)", "查看(&V)", "收藏夹(&A)", "工具(&T)", "历史(&L)", "帮助(&H)" }));
    struct Case {
        int menu;
        int items; // with separators and lists
        int commands;
        QString last;
    };
    const Case cases[] = {
        { 0, 23, 17, QStringLiteral("退出(&X)") },
        { 1, 12, 9, QStringLiteral("查找(&F)") },
        { 2, 15, 12, QStringLiteral("复制所选文字") },
        { 3, 23, 17, QStringLiteral("全屏显示") },
        { 4, 7, 3, QStringLiteral("整理收藏夹") },
        { 5, 19, 15, QStringLiteral("选项设置(&S)") },
        { 6, 3, 1, QStringLiteral("清除历史记录(&C)") },
        { 7, 4, 2, QStringLiteral("关于(&A)") },
    };
    for (const Case &c : cases) {
        const FrameMenu &menu = menus[c.menu];
        EXPECT_EQ(menu.hidden, c.menu == 2) << c.menu;
        EXPECT_EQ(menu.items.size(), c.items) << c.menu;
        EXPECT_EQ(commandTexts(menu).size(), c.commands) << c.menu;
        EXPECT_EQ(commandTexts(menu).last(), c.last) << c.menu;
        EXPECT_NE(menu.items.first().kind, FrameMenuItem::Separator) << c.menu;
    }
    int hidden = 0;
    for (const auto &item : menus[5].items)
        hidden += item.hidden ? 1 : 0;
    EXPECT_EQ(hidden, 6); // Melodesk, Word, Excel, a separator and the two checked modes
}

TEST(FrameMenus, EveryShortcutBelongsToAMenuItem)
{
    QStringList all;
    for (const auto &menu : frameMenus())
        all += commandTexts(menu);
    for (const auto &shortcut : frameShortcuts())
        EXPECT_TRUE(all.contains(shortcut.menuItem)) << shortcut.menuItem.toStdString();
    EXPECT_EQ(toolbarButtons().size(), 17);
}

TEST(FrameMenus, ANewTabShowsItsAddressOnlyWhenItOpensActive)
{
    struct Case {
        QString address;
        bool active;
        bool showAddress;
        QString text;
        bool blankCaption;
    };
    const Case cases[] = {
        { QStringLiteral("about:blank"), true, true, QStringLiteral("http://www."), true },
        { sites::kHomeWithQuery, true, true, sites::kHomePlain, false },
        { QStringLiteral("https://a.example/"), true, true, QStringLiteral("https://a.example/"), false },
        { QStringLiteral("https://a.example/"), false, false, QString(), false },
    };
    for (const Case &c : cases) {
        const NewTabView view = newTabView(c.address, c.active);
        EXPECT_EQ(view.sendToBack, !c.active);
        EXPECT_EQ(view.showAddress, c.showAddress);
        EXPECT_EQ(view.addressText, c.text);
        EXPECT_EQ(view.blankCaption, c.blankCaption);
    }
}

}
