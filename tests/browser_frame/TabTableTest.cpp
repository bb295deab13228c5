#include "browser/frame/TabTable.h"

#include "browser/frame/FrameLayout.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

using browser::frame::PaiLie;
using browser::frame::TabTable;

// A table with `count` tabs opened one after another: slots 0..count-1 in order, the last active.
TabTable tableWith(int count)
{
    TabTable table;
    for (int i = 0; i < count; ++i)
        table.openTab(false, false);
    return table;
}

TEST(TabTable, OpeningInsertsRightOfTheActiveTabAndActivatesIt)
{
    TabTable table = tableWith(4);
    ASSERT_TRUE(table.activateSlot(2));
    const auto opened = table.openTab(false, false);
    EXPECT_EQ(opened.position, 3);
    EXPECT_EQ(opened.slot, 4);
    EXPECT_TRUE(opened.active);
    EXPECT_EQ(table.slotsInOrder(), (QList<int> { 0, 1, 2, 4, 3 }));
    EXPECT_EQ(table.ActivePos(), 3);
    EXPECT_EQ(table.WorkSlot(), 4);
    EXPECT_TRUE(table.isConsistent());
}

TEST(TabTable, BackgroundTabsKeepTheOpenerActiveExceptForBlankPages)
{
    struct Case {
        const char *name;
        bool blank;
        bool background;
        int activeAfter;
    };
    for (const Case &c : { Case { "background page", false, true, 0 },
             Case { "background blank", true, true, 1 },
             Case { "foreground page", false, false, 1 } }) {
        TabTable table = tableWith(1);
        const auto opened = table.openTab(c.blank, c.background);
        EXPECT_EQ(opened.position, 1) << c.name;
        EXPECT_EQ(table.ActivePos(), c.activeAfter) << c.name;
        EXPECT_EQ(opened.active, c.activeAfter == 1) << c.name;
    }
    // With no tab active the new tab goes to position 0 and stays active even in the background.
    TabTable empty;
    const auto first = empty.openTab(false, true);
    EXPECT_EQ(first.position, 0);
    EXPECT_EQ(empty.ActivePos(), 0);
}

TEST(TabTable, ClosingTheActiveTabActivatesItsLeftNeighbourOrNone)
{
    struct Case {
        int tabs;
        int active;
        int target;
        int activeAfter;
        bool activeChanged;
        QList<int> slotsAfter;
    };
    const Case cases[] = {
        { 5, 3, 3, 2, true, { 0, 1, 2, 4 } }, // the active tab at 3: 2 becomes active
        { 5, 0, 0, -1, false, { 1, 2, 3, 4 } }, // the active tab at 0: none is active
        { 5, 3, 1, 2, false, { 0, 2, 3, 4 } }, // a tab left of the active one: same tab, one left
        { 5, 1, 3, 1, false, { 0, 1, 2, 4 } }, // a tab right of the active one
        { 2, 1, 1, 0, true, { 0 } },
    };
    for (const Case &c : cases) {
        TabTable table = tableWith(c.tabs);
        table.activateSlot(c.active);
        table.setTargetPos(c.target);
        const auto change = table.DelLine();
        EXPECT_FALSE(change.refused);
        EXPECT_EQ(change.released, QList<int> { c.target }) << c.target;
        EXPECT_EQ(table.ActivePos(), c.activeAfter) << c.active << " " << c.target;
        EXPECT_EQ(change.activeChanged, c.activeChanged) << c.active << " " << c.target;
        EXPECT_EQ(table.slotsInOrder(), c.slotsAfter);
        EXPECT_TRUE(table.isConsistent());
    }
}

TEST(TabTable, WithNoTabActiveANewTabGoesToPositionZero)
{
    TabTable table = tableWith(3);
    table.activateSlot(0);
    table.setTargetPos(0);
    table.DelLine();
    ASSERT_EQ(table.ActivePos(), -1);
    const auto opened = table.openTab(false, false);
    EXPECT_EQ(opened.position, 0);
    EXPECT_EQ(opened.slot, 0); // the slot just released
    EXPECT_EQ(table.slotsInOrder(), (QList<int> { 0, 1, 2 }));
}

TEST(TabTable, TheOnlyTabIsBlankedNotClosed)
{
    TabTable table = tableWith(1);
    table.setTargetPos(0);
    const auto change = table.DelLine();
    EXPECT_TRUE(change.blankOnly);
    EXPECT_TRUE(change.released.isEmpty());
    EXPECT_EQ(table.TabCount(), 1);
    EXPECT_EQ(table.ActivePos(), 0);
}

TEST(TabTable, ReleasedSlotsAreReusedLastReleasedFirst)
{
    TabTable table = tableWith(4);
    table.setTargetPos(1); // slot 1
    table.DelLine();
    table.setTargetPos(1); // slot 2, now at position 1
    table.DelLine();
    EXPECT_EQ(table.FreeCount(), 2);
    EXPECT_EQ(table.openTab(false, false).slot, 2);
    EXPECT_EQ(table.openTab(false, false).slot, 1);
    EXPECT_EQ(table.openTab(false, false).slot, 4);
    EXPECT_TRUE(table.isConsistent());
}

TEST(TabTable, CloseTabsRightReleasesLeftToRightAndActivatesTheTarget)
{
    TabTable table = tableWith(5);
    table.activateSlot(3);
    table.setTargetPos(1);
    const auto change = table.CloseTabsRight();
    EXPECT_EQ(change.released, (QList<int> { 2, 3, 4 }));
    EXPECT_TRUE(change.activeChanged);
    EXPECT_EQ(table.ActivePos(), 1);
    EXPECT_EQ(table.TabCount(), 2);
    EXPECT_EQ(table.openTab(false, false).slot, 4); // top of the free stack
    EXPECT_TRUE(table.isConsistent());

    // Active left of the target: it stays.
    TabTable other = tableWith(5);
    other.activateSlot(0);
    other.setTargetPos(2);
    EXPECT_FALSE(other.CloseTabsRight().activeChanged);
    EXPECT_EQ(other.ActivePos(), 0);
    EXPECT_EQ(other.TabCount(), 3);
}

TEST(TabTable, CloseTabsLeftMovesTheTargetFirst)
{
    TabTable table = tableWith(5);
    table.activateSlot(4);
    table.setTargetPos(2);
    const auto change = table.CloseTabsLeft();
    EXPECT_EQ(change.released, (QList<int> { 0, 1 }));
    EXPECT_EQ(table.slotsInOrder(), (QList<int> { 2, 3, 4 }));
    EXPECT_EQ(table.ActivePos(), 2);
    EXPECT_FALSE(change.activeChanged);
    EXPECT_EQ(table.TargetPos(), 2);

    TabTable leftActive = tableWith(5);
    leftActive.activateSlot(1);
    leftActive.setTargetPos(3);
    EXPECT_TRUE(leftActive.CloseTabsLeft().activeChanged);
    EXPECT_EQ(leftActive.ActivePos(), 0);
    EXPECT_EQ(leftActive.activeSlot(), 3);

    TabTable atZero = tableWith(3);
    atZero.setTargetPos(0);
    EXPECT_TRUE(atZero.CloseTabsLeft().released.isEmpty());
    EXPECT_EQ(atZero.TabCount(), 3);
}

TEST(TabTable, CloseOthersLeavesExactlyTheTargetActive)
{
    for (int target = 0; target < 4; ++target) {
        for (int active = -1; active < 4; ++active) {
            TabTable table = tableWith(5);
            // Closing the active first tab leaves four tabs and none active.
            table.activateSlot(0);
            table.setTargetPos(0);
            table.DelLine();
            ASSERT_EQ(table.ActivePos(), -1);
            if (active >= 0)
                table.activateSlot(table.slotAt(active));
            const int slot = table.slotAt(target);
            table.setTargetPos(target);
            EXPECT_FALSE(table.closeOthers().refused);
            EXPECT_EQ(table.slotsInOrder(), QList<int> { slot }) << target << " " << active;
            EXPECT_EQ(table.ActivePos(), 0) << target << " " << active;
            EXPECT_TRUE(table.isConsistent());
        }
    }
}

TEST(TabTable, PositionsThatAreNotTabsAreRefused)
{
    TabTable table = tableWith(3);
    for (const int target : { -1, 3, 5000, 5001 }) {
        table.setTargetPos(target);
        EXPECT_TRUE(table.DelLine().refused) << target;
        EXPECT_TRUE(table.CloseTabsRight().refused) << target;
        EXPECT_TRUE(table.CloseTabsLeft().refused) << target;
        EXPECT_TRUE(table.closeOthers().refused) << target;
        EXPECT_EQ(table.TabCount(), 3);
    }
    EXPECT_FALSE(table.activateSlot(2)); // already active
    EXPECT_FALSE(table.activateSlot(7)); // not in use
    EXPECT_EQ(table.slotAt(-1), -1);
    table.hoverSlot(1);
    EXPECT_EQ(table.TargetPos(), 1);
}

TEST(TabTable, ARequestWhileEverySlotIsInUseIsRefused)
{
    TabTable table = tableWith(TabTable::kSlotCount);
    EXPECT_EQ(table.TabCount(), 5001);
    EXPECT_TRUE(table.isFull());
    table.activateSlot(2500);
    const auto refused = table.openTab(false, false);
    EXPECT_TRUE(refused.refused);
    EXPECT_EQ(refused.slot, -1);
    EXPECT_EQ(table.TabCount(), 5001);
    EXPECT_TRUE(table.AddLab().refused);
    EXPECT_TRUE(table.isConsistent());
    EXPECT_FALSE(browser::frame::kTabTableFullMessage.isEmpty());

    // The last position is a tab; closing it makes room for exactly one more.
    table.setTargetPos(5000);
    EXPECT_EQ(table.DelLine().released, QList<int> { 5000 });
    const auto opened = table.openTab(false, false);
    EXPECT_EQ(opened.slot, 5000);
    EXPECT_TRUE(table.openTab(false, false).refused);
}

TEST(TabTable, MovingATabKeepsTheActiveTab)
{
    TabTable table = tableWith(5);
    table.activateSlot(1);
    EXPECT_TRUE(table.moveTab(0, 4));
    EXPECT_EQ(table.slotsInOrder(), (QList<int> { 1, 2, 3, 4, 0 }));
    EXPECT_EQ(table.activeSlot(), 1);
    EXPECT_TRUE(table.moveTab(3, 0));
    EXPECT_EQ(table.slotsInOrder(), (QList<int> { 4, 1, 2, 3, 0 }));
    EXPECT_EQ(table.ActivePos(), 1);
    EXPECT_FALSE(table.moveTab(0, 5));
    EXPECT_TRUE(table.isConsistent());
}

TEST(TabTable, AnySequenceOfCommandsKeepsTheTableConsistent)
{
    QRandomGenerator random(20211101);
    TabTable table;
    for (int step = 0; step < 20000; ++step) {
        const int count = table.TabCount();
        table.setTargetPos(int(random.bounded(-1, count + 1)));
        switch (random.bounded(8)) {
        case 0:
        case 1:
        case 2:
            table.openTab(random.bounded(2) == 0, random.bounded(2) == 0);
            break;
        case 3:
            table.DelLine();
            break;
        case 4:
            if (random.bounded(4) == 0)
                table.CloseTabsRight();
            break;
        case 5:
            if (random.bounded(4) == 0)
                table.CloseTabsLeft();
            break;
        case 6:
            table.activateSlot(int(random.bounded(0, TabTable::kSlotCount)));
            break;
        default:
            table.moveTab(int(random.bounded(0, count + 1)), int(random.bounded(0, count + 1)));
        }
        ASSERT_TRUE(table.isConsistent()) << "step " << step;
        ASSERT_GE(table.ActivePos(), -1);
        ASSERT_LT(table.ActivePos(), std::max(1, table.TabCount()));
    }
}

TEST(TabStrip, WidthsFollowTheFrameWidthCappedAt2500)
{
    struct Case {
        int width;
        int tabs;
        int tabWidth;
        int addLeft;
    };
    const Case cases[] = {
        { 15420, 5, 2500, 12530 }, // 3000 each, capped
        { 10420, 8, 1250, 10030 },
        { 425, 2, 2, 34 }, // 2.5 rounds to 2
        { 427, 2, 4, 38 }, // 3.5 rounds to 4
        { 15420, 5001, 3, 15033 },
    };
    for (const Case &c : cases) {
        const auto strip = PaiLie(c.width, c.tabs);
        EXPECT_EQ(strip.tabWidth, c.tabWidth) << c.width << " " << c.tabs;
        EXPECT_EQ(strip.addLabelLeft, c.addLeft) << c.width << " " << c.tabs;
        ASSERT_EQ(strip.labels.size(), c.tabs);
        for (int i = 0; i < c.tabs; ++i) {
            EXPECT_EQ(strip.labels[i].left, c.tabWidth * i + 30);
            EXPECT_EQ(strip.labels[i].width, c.tabWidth - 30);
        }
    }
    const auto five = PaiLie(15420, 5);
    QList<int> lefts;
    for (const auto &label : five.labels)
        lefts.append(label.left);
    EXPECT_EQ(lefts, (QList<int> { 30, 2530, 5030, 7530, 10030 }));
    EXPECT_EQ(five.labels[0].width, 2470);
    EXPECT_TRUE(PaiLie(15420, 0).labels.isEmpty());
}

}
