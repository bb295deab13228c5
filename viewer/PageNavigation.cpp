#include "PageNavigation.h"

#include "common/Numbers.h"

#include <algorithm>
#include <limits>

namespace viewer {

void PageNavigation::ShowFirstPage()
{
    CurrentPage = 1;
    previousEnabled = false;
}

bool PageNavigation::CmdPage_Click(int index)
{
    if (index == 1) {
        if (!nextEnabled)
            return false;
        CurrentPage = CurrentPage + 1;
        previousEnabled = true;
        return true;
    }
    if (index == 0) {
        if (!previousEnabled)
            return false;
        CurrentPage = CurrentPage - 1;
        if (CurrentPage < 2)
            previousEnabled = false;
        return true;
    }
    return false;
}

void PageNavigation::pageBuilt(int builtTotalPages, bool builtNextEnabled)
{
    TotalPages = builtTotalPages;
    nextEnabled = builtNextEnabled;
}

void PageNavigation::jumpTo(int n)
{
    previousEnabled = n >= 2;
    CurrentPage = n;
}

QString jumpPrompt()
{
    return QStringLiteral("请输入即将跳转的页面序号……");
}

QString jumpTitle()
{
    return QStringLiteral("跳转页面至");
}

JumpDecision decideJump(const QString &answer, bool cancelled, int TotalPages)
{
    JumpDecision decision;
    const qint64 n = cancelled ? 0 : common::roundHalfEven(common::leadingNumber(answer));
    if (n > TotalPages) {
        decision.action = JumpDecision::Action::AskAgain;
        decision.message =
            QStringLiteral("总共只有 ") + QString::number(TotalPages) + QStringLiteral(" 页，您超出范围了！");
    } else if (n > 0) {
        decision.action = JumpDecision::Action::Go;
        decision.page = int(n);
    }
    return decision;
}

int zoomAfterClick(int ZoomPercent, int index)
{
    int zoom = std::min(std::max(ZoomPercent, 15), kZoomMax);
    if (index == 0)
        zoom = std::min(zoom + 10, kZoomMax);
    else if (index == 1)
        zoom -= 10;
    return zoom;
}

int instantScrollDelta(bool toBottom)
{
    const int distance = kInstantScrollSteps * kInstantScrollStep;
    return toBottom ? distance : -distance;
}

int arrowKeyDelta(int key)
{
    if (key == Qt::Key_Up)
        return -100;
    if (key == Qt::Key_Down)
        return 100;
    return 0;
}

AutoScroll::ClickResult AutoScroll::MoveUp_Click(int index)
{
    ClickResult result;
    if (index != 0 && index != 1)
        return result;
    ScrollDirection = index;
    if (m_running[size_t(index)]) {
        m_running[size_t(index)] = false;
        ScrollStopRequested = true;
        result.focusView = true;
    } else {
        m_running[size_t(index)] = true;
        m_running[size_t(1 - index)] = false;
        ScrollStopRequested = false;
        m_timerEnabled = true;
        result.startTimer = true;
    }
    if (ScrollTicks >= 2 && ScrollTicks <= 9)
        result.jump = index == 1 ? Jump::Bottom : Jump::Top;
    ScrollTicks = 0;
    return result;
}

AutoScroll::TickResult AutoScroll::Timer1_Timer()
{
    TickResult result;
    if (ScrollTicks < std::numeric_limits<int>::max())
        ScrollTicks = ScrollTicks + 1;
    if (ScrollStopRequested && ScrollTicks > 10) {
        m_timerEnabled = false;
        result.timerContinues = false;
    }
    result.dy = ScrollDirection == 1 ? AutoScrollStep : -AutoScrollStep;
    return result;
}

void AutoScroll::Speed_Click(int index)
{
    if (index < 0 || index >= int(kScrollSpeeds.size()))
        return;
    m_checkedSpeed = index;
    AutoScrollStep = kScrollSpeeds[size_t(index)];
}

}
