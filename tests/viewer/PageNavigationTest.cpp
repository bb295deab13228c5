#include "viewer/PageNavigation.h"

#include "viewer/ThumbnailPageBuilder.h"

#include <gtest/gtest.h>

using namespace viewer;

namespace {

// Drives the navigation the way the window does: every move builds the page and reports back.
struct PagedList {
    explicit PagedList(int count)
    {
        for (int i = 0; i < count; ++i)
            in.ViewerList.append(QStringLiteral("/p/%1.jpg").arg(i));
        in.ViewerCount = count;
        in.LayoutMode = 1;
        nav.ShowFirstPage();
        build();
    }
    void build()
    {
        in.CurrentPage = nav.CurrentPage;
        const ThumbnailPage page = BuildThumbnailPage(in);
        nav.pageBuilt(page.TotalPages, page.nextEnabled);
    }
    bool click(int index)
    {
        if (!nav.CmdPage_Click(index))
            return false;
        build();
        return true;
    }

    ThumbnailPageInput in;
    PageNavigation nav;
};

TEST(PageNavigation, NextTwiceThenPreviousTwice)
{
    PagedList list(61);
    EXPECT_EQ(list.nav.TotalPages, 3);
    EXPECT_FALSE(list.nav.previousEnabled);
    EXPECT_TRUE(list.nav.nextEnabled);
    ASSERT_TRUE(list.click(1));
    EXPECT_TRUE(list.nav.previousEnabled);
    ASSERT_TRUE(list.click(1));
    EXPECT_EQ(list.nav.CurrentPage, 3);
    EXPECT_FALSE(list.nav.nextEnabled);
    EXPECT_FALSE(list.click(1));
    EXPECT_EQ(list.nav.CurrentPage, 3);
    ASSERT_TRUE(list.click(0));
    EXPECT_TRUE(list.nav.previousEnabled);
    EXPECT_TRUE(list.nav.nextEnabled);
    ASSERT_TRUE(list.click(0));
    EXPECT_EQ(list.nav.CurrentPage, 1);
    EXPECT_FALSE(list.nav.previousEnabled);
    EXPECT_FALSE(list.click(0));
    EXPECT_EQ(list.nav.CurrentPage, 1);
}

TEST(PageNavigation, SinglePageAndEmptyListHaveNoMoves)
{
    for (int count : { 0, 1, 30 }) {
        PagedList list(count);
        EXPECT_FALSE(list.nav.nextEnabled) << count;
        EXPECT_FALSE(list.nav.previousEnabled);
        EXPECT_FALSE(list.click(1));
        EXPECT_FALSE(list.click(0));
    }
}

TEST(PageNavigation, JumpAnswers)
{
    struct Case {
        const char *answer;
        bool cancelled;
        int total;
        JumpDecision::Action action;
        int page;
    };
    using A = JumpDecision::Action;
    const Case cases[] = {
        { "2.5", false, 3, A::Go, 2 },
        { "3.5", false, 3, A::AskAgain, 0 },
        { "1.5", false, 3, A::Go, 2 },
        { "3", false, 3, A::Go, 3 },
        { "  2页", false, 3, A::Go, 2 },
        { "4", false, 3, A::AskAgain, 0 },
        { "abc", false, 3, A::Nothing, 0 },
        { "", false, 3, A::Nothing, 0 },
        { "2", true, 3, A::Nothing, 0 },
        { "0", false, 3, A::Nothing, 0 },
        { "-2", false, 3, A::Nothing, 0 },
        { "0.4", false, 3, A::Nothing, 0 },
        { "1", false, 0, A::AskAgain, 0 },
        { "0", false, 0, A::Nothing, 0 },
        { "1e9", false, 3, A::Go, 1 },
        { "99999999999999999999", false, 3, A::AskAgain, 0 },
    };
    for (const Case &c : cases) {
        const JumpDecision d = decideJump(QString::fromUtf8(c.answer), c.cancelled, c.total);
        EXPECT_EQ(d.action, c.action) << c.answer;
        if (c.action == A::Go) {
            EXPECT_EQ(d.page, c.page) << c.answer;
        }
    }
    EXPECT_EQ(decideJump(QStringLiteral("4"), false, 3).message, QStringLiteral("总共只有 3 页，您超出范围了！"));
    EXPECT_EQ(decideJump(QStringLiteral("7"), false, 0).message, QStringLiteral("总共只有 0 页，您超出范围了！"));
    EXPECT_EQ(jumpPrompt(), QStringLiteral("请输入即将跳转的页面序号……"));
    EXPECT_EQ(jumpTitle(), QStringLiteral("跳转页面至"));
}

TEST(PageNavigation, JumpSetsThePreviousButton)
{
    PagedList list(90);
    list.nav.jumpTo(3);
    list.build();
    EXPECT_EQ(list.nav.CurrentPage, 3);
    EXPECT_TRUE(list.nav.previousEnabled);
    EXPECT_FALSE(list.nav.nextEnabled);
    list.nav.jumpTo(1);
    list.build();
    EXPECT_FALSE(list.nav.previousEnabled);
    EXPECT_TRUE(list.nav.nextEnabled);
}

TEST(Zoom, OutElevenTimesThenIn)
{
    int zoom = kZoomStart;
    QList<int> seen;
    for (int i = 0; i < 11; ++i)
        seen.append(zoom = zoomAfterClick(zoom, 1));
    EXPECT_EQ(seen, QList<int>({ 90, 80, 70, 60, 50, 40, 30, 20, 10, 5, 5 }));
    EXPECT_EQ(zoomAfterClick(zoom, 0), 25);
    EXPECT_EQ(zoomAfterClick(100, 0), 110);
    EXPECT_EQ(zoomAfterClick(14, 0), 25);
    EXPECT_EQ(zoomAfterClick(15, 1), 5);
    EXPECT_EQ(zoomAfterClick(kZoomMax, 0), kZoomMax);
    EXPECT_EQ(zoomAfterClick(kZoomMax - 10, 0), kZoomMax);
}

TEST(Scrolling, InstantJumpsAndArrowKeys)
{
    EXPECT_EQ(instantScrollDelta(true), 30150);
    EXPECT_EQ(instantScrollDelta(false), -30150);
    EXPECT_EQ(arrowKeyDelta(Qt::Key_Up), -100);
    EXPECT_EQ(arrowKeyDelta(Qt::Key_Down), 100);
    EXPECT_EQ(arrowKeyDelta(Qt::Key_Left), 0);
    EXPECT_EQ(arrowKeyDelta(Qt::Key_PageDown), 0);
}

// Runs the timer `ticks` times while it is enabled; the scrolled pixels and the ticks that ran.
std::pair<int, int> runTicks(AutoScroll &scroll, int ticks)
{
    int moved = 0, ran = 0;
    for (int i = 0; i < ticks && scroll.timerEnabled(); ++i, ++ran)
        moved += scroll.Timer1_Timer().dy;
    return { moved, ran };
}

TEST(AutoScroll, TwoClicksFiveTicksApartJumpAndStop)
{
    AutoScroll scroll;
    const AutoScroll::ClickResult first = scroll.MoveUp_Click(1);
    EXPECT_TRUE(first.startTimer);
    EXPECT_EQ(first.jump, AutoScroll::Jump::None);
    EXPECT_TRUE(scroll.isRunning(1));
    EXPECT_EQ(runTicks(scroll, 5), std::make_pair(10, 5));

    const AutoScroll::ClickResult second = scroll.MoveUp_Click(1);
    EXPECT_EQ(second.jump, AutoScroll::Jump::Bottom);
    EXPECT_TRUE(second.focusView);
    EXPECT_FALSE(scroll.isRunning(1));
    // The page runs on for 11 ticks after the stop request, the last one included.
    EXPECT_EQ(runTicks(scroll, 100), std::make_pair(22, 11));
    EXPECT_FALSE(scroll.timerEnabled());
}

TEST(AutoScroll, TwoClicksFiftyTicksApartStartAndStopWithoutJump)
{
    AutoScroll scroll;
    scroll.MoveUp_Click(0);
    EXPECT_EQ(runTicks(scroll, 50), std::make_pair(-100, 50));
    const AutoScroll::ClickResult stop = scroll.MoveUp_Click(0);
    EXPECT_EQ(stop.jump, AutoScroll::Jump::None);
    EXPECT_TRUE(scroll.ScrollStopRequested);
    EXPECT_EQ(runTicks(scroll, 100).second, 11);
    // A later click is not a double click either: the stopped timer left 11 ticks behind.
    EXPECT_EQ(scroll.MoveUp_Click(0).jump, AutoScroll::Jump::None);
}

TEST(AutoScroll, DoubleClickWindowIsTwoToNineTicks)
{
    for (int gap = 0; gap <= 12; ++gap) {
        AutoScroll scroll;
        scroll.MoveUp_Click(0);
        runTicks(scroll, gap);
        const bool expected = gap >= 2 && gap <= 9;
        EXPECT_EQ(scroll.MoveUp_Click(0).jump, expected ? AutoScroll::Jump::Top : AutoScroll::Jump::None) << gap;
    }
}

TEST(AutoScroll, SwitchingDirectionKeepsScrolling)
{
    AutoScroll scroll;
    scroll.MoveUp_Click(1);
    runTicks(scroll, 20);
    const AutoScroll::ClickResult other = scroll.MoveUp_Click(0);
    EXPECT_TRUE(other.startTimer);
    EXPECT_TRUE(scroll.isRunning(0));
    EXPECT_FALSE(scroll.isRunning(1));
    EXPECT_EQ(runTicks(scroll, 30), std::make_pair(-60, 30));
    EXPECT_TRUE(scroll.timerEnabled());
    // A stop request followed by a click within the window restarts and cancels the stop.
    scroll.MoveUp_Click(0);
    runTicks(scroll, 10);
    EXPECT_TRUE(scroll.MoveUp_Click(0).startTimer);
    EXPECT_EQ(runTicks(scroll, 40).second, 40);
}

TEST(AutoScroll, SpeedsAndTheirCheckMark)
{
    AutoScroll scroll;
    EXPECT_EQ(scroll.checkedSpeed(), 0);
    EXPECT_EQ(scroll.AutoScrollStep, 2);
    const int steps[] = { 2, 4, 8, 16, 32 };
    for (int i = 0; i < 5; ++i) {
        scroll.Speed_Click(i);
        EXPECT_EQ(scroll.checkedSpeed(), i);
        EXPECT_EQ(scroll.AutoScrollStep, steps[i]);
    }
    scroll.Speed_Click(7);
    EXPECT_EQ(scroll.checkedSpeed(), 4);
    scroll.Speed_Click(2);
    scroll.MoveUp_Click(1);
    EXPECT_EQ(scroll.Timer1_Timer().dy, 8);
    scroll.Speed_Click(3);
    EXPECT_EQ(scroll.Timer1_Timer().dy, 16);
}

}
