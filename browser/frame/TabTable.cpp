#include "browser/frame/TabTable.h"

#include <algorithm>
#include <vector>

namespace browser::frame {

int TabTable::slotAt(int position) const
{
    return validPosition(position) ? m_tabSlots[position] : -1;
}

int TabTable::positionOfSlot(int slot) const
{
    for (int p = 0; p < m_tabCount; ++p) {
        if (m_tabSlots[p] == slot)
            return p;
    }
    return -1;
}

QList<int> TabTable::slotsInOrder() const
{
    return QList<int>(m_tabSlots.begin(), m_tabSlots.begin() + m_tabCount);
}

TabOpen TabTable::AddLab()
{
    TabOpen result;
    if (isFull()) {
        result.refused = true;
        return result;
    }
    for (int p = m_tabCount; p >= m_activePos + 2; --p)
        m_tabSlots[p] = m_tabSlots[p - 1];
    if (m_freeCount > 0) {
        m_tabSlots[m_activePos + 1] = m_freeSlots[m_freeCount - 1];
        --m_freeCount;
    } else {
        m_tabSlots[m_activePos + 1] = m_tabCount;
    }
    ++m_tabCount;
    ++m_activePos;
    m_workSlot = m_tabSlots[m_activePos];
    result.slot = m_workSlot;
    result.position = m_activePos;
    result.active = true;
    return result;
}

TabOpen TabTable::openTab(bool blankPage, bool backgroundTabs)
{
    TabOpen result = AddLab();
    if (result.refused)
        return result;
    if (!blankPage && backgroundTabs && m_activePos > 0) {
        --m_activePos;
        result.active = false;
    }
    return result;
}

bool TabTable::activateSlot(int slot)
{
    const int position = positionOfSlot(slot);
    if (position < 0 || position == m_activePos)
        return false;
    m_activePos = position;
    return true;
}

void TabTable::hoverSlot(int slot)
{
    m_targetPos = positionOfSlot(slot);
}

void TabTable::ReleaseTab(int slot)
{
    m_freeSlots[m_freeCount] = slot;
    ++m_freeCount;
}

TabChange TabTable::DelLine()
{
    TabChange change;
    if (m_tabCount == 1) {
        change.blankOnly = true;
        return change;
    }
    if (!validPosition(m_targetPos)) {
        change.refused = true;
        return change;
    }
    m_workSlot = m_tabSlots[m_targetPos];
    ReleaseTab(m_workSlot);
    change.released.append(m_workSlot);
    for (int p = m_targetPos + 1; p < m_tabCount; ++p)
        m_tabSlots[p - 1] = m_tabSlots[p];
    --m_tabCount;
    if (m_activePos == m_targetPos) {
        m_activePos = m_targetPos - 1;
        change.activeChanged = m_activePos >= 0;
    } else if (m_targetPos < m_activePos) {
        --m_activePos;
    }
    return change;
}

TabChange TabTable::CloseTabsRight()
{
    TabChange change;
    if (!validPosition(m_targetPos)) {
        change.refused = true;
        return change;
    }
    const int last = m_tabCount - 1;
    for (int p = m_targetPos + 1; p <= last; ++p) {
        --m_tabCount;
        ReleaseTab(m_tabSlots[p]);
        change.released.append(m_tabSlots[p]);
    }
    if (m_targetPos < m_activePos) {
        m_activePos = m_targetPos;
        change.activeChanged = true;
    }
    return change;
}

TabChange TabTable::CloseTabsLeft()
{
    TabChange change;
    if (!validPosition(m_targetPos)) {
        change.refused = true;
        return change;
    }
    const int k = m_targetPos;
    if (k == 0)
        return change;
    for (int p = 0; p < k; ++p) {
        ReleaseTab(m_tabSlots[p]);
        change.released.append(m_tabSlots[p]);
    }
    for (int p = k; p < m_tabCount; ++p)
        m_tabSlots[p - k] = m_tabSlots[p];
    m_tabCount -= k;
    if (m_activePos < k) {
        m_activePos = 0;
        change.activeChanged = true;
    } else {
        m_activePos -= k;
    }
    return change;
}

TabChange TabTable::closeOthers()
{
    TabChange change = CloseTabsLeft();
    if (change.refused)
        return change;
    if (!change.released.isEmpty())
        m_targetPos = 0;
    const TabChange right = CloseTabsRight();
    change.released += right.released;
    change.activeChanged = change.activeChanged || right.activeChanged;
    // The tab that remains is the one the user chose, so it is the active one even when no tab was.
    if (m_activePos != m_targetPos) {
        m_activePos = m_targetPos;
        change.activeChanged = true;
    }
    return change;
}

bool TabTable::moveTab(int from, int to)
{
    if (!validPosition(from) || !validPosition(to))
        return false;
    const int activeSlotBefore = activeSlot();
    const int moving = m_tabSlots[from];
    if (from < to) {
        for (int p = from; p < to; ++p)
            m_tabSlots[p] = m_tabSlots[p + 1];
    } else {
        for (int p = from; p > to; --p)
            m_tabSlots[p] = m_tabSlots[p - 1];
    }
    m_tabSlots[to] = moving;
    if (activeSlotBefore >= 0)
        m_activePos = positionOfSlot(activeSlotBefore);
    return true;
}

bool TabTable::isConsistent() const
{
    const int total = m_tabCount + m_freeCount;
    if (m_tabCount < 0 || m_freeCount < 0 || total > kSlotCount)
        return false;
    if (m_activePos < -1 || m_activePos >= m_tabCount)
        return false;
    std::vector<bool> seen(size_t(total), false);
    auto mark = [&](int slot) {
        if (slot < 0 || slot >= total || seen[size_t(slot)])
            return false;
        seen[size_t(slot)] = true;
        return true;
    };
    for (int p = 0; p < m_tabCount; ++p) {
        if (!mark(m_tabSlots[p]))
            return false;
    }
    for (int i = 0; i < m_freeCount; ++i) {
        if (!mark(m_freeSlots[i]))
            return false;
    }
    return std::all_of(seen.begin(), seen.end(), [](bool b) { return b; });
}

}
