#include "browser/frame/FrameLayout.h"

#include "browser/frame/FrameCommands.h"
#include "browser/frame/FrameTimers.h"

#include <QKeySequence>

#include <gtest/gtest.h>

namespace {

using namespace browser::frame;

TEST(FrameLayout, TheAddressRowFollowsTheInnerWidth)
{
    struct Case {
        int width;
        int textUrl;
        int go;
        int combLeft;
        int combWidth;
        int search;
    };
    const Case cases[] = {
        { 9000, 6000, 6860, 7240, 600, 7850 },
        { 15000, 10000, 10860, 11240, 2600, 13850 },
        { 10001, 6667, 7527, 7907, 934, 8851 }, // 6667.33 rounds to 6667
        { 3000, 2000, 2860, 3240, -1400, 1850 }, // too narrow: the window skips what it cannot set
    };
    for (const Case &c : cases) {
        FrameLayout layout;
        layout.resize(c.width, 8000);
        EXPECT_EQ(layout.textUrlWidth, c.textUrl) << c.width;
        EXPECT_EQ(layout.cmdGoLeft, c.go) << c.width;
        EXPECT_EQ(layout.combSearchLeft, c.combLeft) << c.width;
        EXPECT_EQ(layout.combSearchWidth, c.combWidth) << c.width;
        EXPECT_EQ(layout.cmdSearchLeft, c.search) << c.width;
        EXPECT_EQ(layout.textCloseLeft, -2000);
        EXPECT_EQ(layout.pageTop, 1330);
        EXPECT_EQ(layout.pageHeight, 8000 - 1330);
        EXPECT_EQ(layout.pageWidth, c.width);
    }
}

TEST(FrameLayout, FullScreenTwiceRestoresTheTopBarAndTheLayout)
{
    FrameLayout layout;
    layout.resize(9000, 6000);
    const FrameLayout before = layout;
    layout.toggleTopBar();
    EXPECT_FALSE(layout.topBarShown);
    EXPECT_EQ(layout.pageTop, 0);
    EXPECT_EQ(layout.pageHeight, 6000);
    layout.toggleTopBar();
    EXPECT_TRUE(layout.topBarShown);
    EXPECT_EQ(layout.pageTop, before.pageTop);
    EXPECT_EQ(layout.pageHeight, before.pageHeight);
    EXPECT_EQ(layout.cmdGoLeft, before.cmdGoLeft);
}

TEST(MouseWatcher, TheCloseButtonHidesBelowRow130AndAReleaseTakesTheSelection)
{
    MouseWatcher watcher;
    EXPECT_FALSE(watcher.tick(true, false, { 10, 130 }).hideCloseButton);
    EXPECT_TRUE(watcher.tick(true, false, { 10, 131 }).hideCloseButton);

    auto down = watcher.tick(true, true, { 100, 200 });
    EXPECT_TRUE(down.hideSelectionBar);
    EXPECT_FALSE(down.takeSelection);
    EXPECT_TRUE(watcher.MouseWasDown());
    EXPECT_FALSE(watcher.tick(true, true, { 100, 200 }).takeSelection); // still held

    const auto up = watcher.tick(true, false, { 100, 200 });
    EXPECT_TRUE(up.takeSelection);
    EXPECT_TRUE(up.hideSelectionBar);
    EXPECT_EQ(up.selectionAt, QPoint(100 * 15 - 500, 200 * 15 - 2500));
    EXPECT_FALSE(watcher.MouseWasDown());
    EXPECT_FALSE(watcher.tick(true, false, { 100, 200 }).takeSelection); // once per release

    // Another window in front: nothing is watched.
    const auto away = watcher.tick(false, true, { 100, 500 });
    EXPECT_FALSE(away.hideCloseButton);
    EXPECT_FALSE(away.hideSelectionBar);
    EXPECT_FALSE(watcher.MouseWasDown());
}

TEST(SlowScroll, ThePairChecksOneItemAtATime)
{
    SlowScroll scroll;
    scroll.toggle(0); // up
    EXPECT_TRUE(scroll.isChecked(0));
    EXPECT_TRUE(scroll.timerRunning());
    EXPECT_EQ(scroll.ScrollStep(), -1);
    scroll.toggle(1); // down while up is checked: up unchecks, the direction reverses
    EXPECT_FALSE(scroll.isChecked(0));
    EXPECT_TRUE(scroll.isChecked(1));
    EXPECT_TRUE(scroll.timerRunning());
    EXPECT_EQ(scroll.ScrollStep(), 1);
    scroll.toggle(1);
    EXPECT_FALSE(scroll.isChecked(1));
    EXPECT_FALSE(scroll.timerRunning());
    scroll.toggle(7);
    EXPECT_FALSE(scroll.timerRunning());
}

TEST(FrameCommands, EveryShortcutIsAValidKeyOnItsOwnItem)
{
    const auto &shortcuts = frameShortcuts();
    EXPECT_EQ(shortcuts.size(), 17);
    QStringList keys;
    for (const auto &shortcut : shortcuts) {
        const QKeySequence sequence(shortcut.key, QKeySequence::PortableText);
        EXPECT_EQ(sequence.count(), 1) << shortcut.key.toStdString();
        EXPECT_FALSE(keys.contains(shortcut.key));
        keys.append(shortcut.key);
    }
    EXPECT_FALSE(keys.contains(QStringLiteral("Ctrl+T")));
    EXPECT_FALSE(keys.contains(QStringLiteral("F8")));
    EXPECT_TRUE(helpMessageText().contains(QStringLiteral("\r\n\r\nNimbrow的快捷键：")));
    EXPECT_FALSE(helpMessageText().contains(QStringLiteral("F8")));
    EXPECT_EQ(frameCaption(QStringLiteral("风景")), QStringLiteral("风景 - Nimbrow "));
}

}
