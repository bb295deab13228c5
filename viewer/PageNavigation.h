#pragma once

#include <QString>
#include <Qt>

#include <array>

namespace viewer {

// Paging state of the thumbnail view and the enabled states of its two page buttons
// (`CmdPage(0)` previous, `CmdPage(1)` next). The window builds the page for CurrentPage after
// each change and hands the result back with pageBuilt().
class PageNavigation {
public:
    int CurrentPage = 0;
    int TotalPages = 0;
    bool previousEnabled = false;
    bool nextEnabled = false;

    // Page 1 with the previous button disabled (a new list is shown).
    void ShowFirstPage();
    // index 1 next, 0 previous. Does nothing while that button is disabled (returns false);
    // otherwise moves the page and returns true: build the page then.
    bool CmdPage_Click(int index);
    // What a built page reports: its page count and whether a next page exists.
    void pageBuilt(int builtTotalPages, bool builtNextEnabled);
    // Goes to page n (from the jump dialog): previous enabled from page 2 on.
    void jumpTo(int n);
};

// The jump dialog's texts.
QString jumpPrompt(); // "请输入即将跳转的页面序号……"
QString jumpTitle(); // "跳转页面至"

// What the answer to the jump dialog asks for.
struct JumpDecision {
    enum class Action { Nothing, Go, AskAgain };
    Action action = Action::Nothing;
    int page = 0; // for Go: the page to show
    QString message; // for AskAgain: "总共只有 " + TotalPages + " 页，您超出范围了！"
};

// The number at the start of the answer, rounded half to even; a cancelled or non-numeric answer
// reads as 0. Above TotalPages: tell the message and ask again; above 0: go; else nothing.
JumpDecision decideJump(const QString &answer, bool cancelled, int TotalPages);

// Zoom of the shown page, in percent; every newly loaded page starts at 100.
constexpr int kZoomStart = 100;
// The largest zoom: the value stays within 16 bits and on the 10-step grid from 100.
constexpr int kZoomMax = 32760;
// `BigP(index)`: a value below 15 is first raised to 15; index 0 adds 10, 1 takes 10 away. So from
// 100: 90, 80, ..., 10, 5 (and 5 stays 5); from 5 a zoom-in gives 25. Never above kZoomMax.
int zoomAfterClick(int ZoomPercent, int index);

// Auto-scroll speeds, pixels per 20 ms tick, for the entries `Speed(0)`..`Speed(4)`.
constexpr std::array<int, 5> kScrollSpeeds { 2, 4, 8, 16, 32 };
constexpr int kAutoScrollIntervalMs = 20;

// Instant top and bottom: 201 scroll steps of 150 pixels (30 150 pixels in all).
constexpr int kInstantScrollSteps = 201;
constexpr int kInstantScrollStep = 150;
// Vertical scroll, in pixels, for the instant top (false) or bottom (true) jump: -30150 or 30150.
int instantScrollDelta(bool toBottom);
// Vertical scroll, in pixels, for a key pressed in the view: Up -100, Down 100, others 0.
int arrowKeyDelta(int key);

// The auto-scroll buttons `MoveUp(0)` (up) and `MoveUp(1)` (down) with `Timer1`. A click on a
// button starts scrolling in its direction (the button is shown as running); a click on a running
// button asks to stop, and the timer runs on for 11 more ticks. Two clicks 2 to 9 ticks apart are
// a double click, which jumps to the top or bottom at once.
class AutoScroll {
public:
    enum class Jump { None, Top, Bottom };
    struct ClickResult {
        Jump jump = Jump::None; // run the instant jump
        bool startTimer = false; // the timer must run (it may already)
        bool focusView = false; // give the view the focus (a stop request)
    };
    struct TickResult {
        int dy = 0; // scroll the document by this many pixels
        bool timerContinues = true; // false: stop the timer after this tick
    };

    ClickResult MoveUp_Click(int index);
    TickResult Timer1_Timer();
    // Check mark on `Speed(index)` (0..4) and its step.
    void Speed_Click(int index);

    bool isRunning(int index) const { return index == 0 || index == 1 ? m_running[size_t(index)] : false; }
    bool timerEnabled() const { return m_timerEnabled; }
    int checkedSpeed() const { return m_checkedSpeed; }

    int AutoScrollStep = kScrollSpeeds[0];
    int ScrollDirection = 0; // 0 up, 1 down
    bool ScrollStopRequested = false;
    int ScrollTicks = 0;

private:
    std::array<bool, 2> m_running {};
    bool m_timerEnabled = false;
    int m_checkedSpeed = 0;
};

}
