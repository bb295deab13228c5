#pragma once

#include <QPoint>

namespace browser::frame {

// What one tick of the frame's 300 ms mouse watcher asks the window to do.
struct MouseWatchStep {
    bool hideSelectionBar = false; // move the page's selected-text bar out of sight
    bool hideCloseButton = false; // move the tab strip's "X" out of sight
    bool takeSelection = false; // the left button was released: the active page shows its text tools
    QPoint selectionAt; // where, in twips: the cursor moved 500 left and 2500 up
};

// The mouse watcher: remembers whether the left button was seen down between ticks.
class MouseWatcher {
public:
    static constexpr int kCloseButtonMaxY = 130; // screen pixels; lower than this hides the "X"

    // One tick. `frameIsForeground`: the frame is the active window; `leftDown`: the left button is
    // down now; `cursor`: the cursor in screen pixels.
    MouseWatchStep tick(bool frameIsForeground, bool leftDown, QPoint cursor);
    bool MouseWasDown() const { return m_mouseWasDown; }

private:
    bool m_mouseWasDown = false;
};

// The slow-scroll pair of menu items: index 0 scrolls up, index 1 down, one at a time.
class SlowScroll {
public:
    // The item at `index` was clicked: its check inverts; a checked item unchecks the other.
    void toggle(int index);
    bool isChecked(int index) const { return index == 0 || index == 1 ? m_checked[index] : false; }
    bool timerRunning() const { return m_running; }
    // Pixels per 20 ms tick: -1 up, 1 down.
    int ScrollStep() const { return m_step; }

private:
    bool m_checked[2] = { false, false };
    bool m_running = false;
    int m_step = 0;
};

}
