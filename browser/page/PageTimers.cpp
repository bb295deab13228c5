#include "browser/page/PageTimers.h"

namespace browser::page {

SaveTicker::Step SaveTicker::tick(bool autoSave)
{
    Step step;
    ++m_ticks;
    step.stopTimer = m_ticks >= kTicks;
    step.save = autoSave;
    step.count = !autoSave;
    return step;
}

LoadWatch::Step LoadWatch::tick(const QString &locationUrl, bool isCurrentTab, bool backgroundTabs)
{
    Step step;
    ++m_ticks;
    if (m_settled)
        return step;
    if (!locationUrl.isEmpty()) {
        m_settled = true;
        step.stopTimer = true;
        return step;
    }
    step.clearAddressBox = isCurrentTab;
    // Once only: moving the active tab on every tick would run past the last tab.
    if (backgroundTabs && !m_broughtForward) {
        m_broughtForward = true;
        step.activateThisTab = true;
    }
    return step;
}

}
