#include "browser/frame/FrameTimers.h"

namespace browser::frame {

MouseWatchStep MouseWatcher::tick(bool frameIsForeground, bool leftDown, QPoint cursor)
{
    MouseWatchStep step;
    if (!frameIsForeground)
        return step;
    if (leftDown)
        m_mouseWasDown = true;
    // A button down now, or released since it was seen down, puts the selected-text bar away.
    step.hideSelectionBar = leftDown || m_mouseWasDown;
    step.hideCloseButton = cursor.y() > kCloseButtonMaxY;
    if (leftDown || !m_mouseWasDown)
        return step;
    m_mouseWasDown = false;
    step.takeSelection = true;
    step.selectionAt = QPoint(cursor.x() * 15 - 500, cursor.y() * 15 - 2500);
    return step;
}

void SlowScroll::toggle(int index)
{
    if (index != 0 && index != 1)
        return;
    m_checked[index] = !m_checked[index];
    if (m_checked[index]) {
        m_checked[1 - index] = false;
        m_running = true;
        m_step = index == 1 ? 1 : -1;
    } else {
        m_running = false;
    }
}

}
