#pragma once

#include <QList>
#include <QString>

#include <array>

namespace browser::frame {

// The status line's text when a tab is asked for while every slot is in use.
inline const QString kTabTableFullMessage = QStringLiteral("已打开 5001 个标签，请先关闭一些标签再打开新的网页");

// What a tab command changed, for the window to carry out on labels and page windows.
struct TabChange {
    // Nothing changed: the table is full, or the target position is not a tab.
    bool refused = false;
    // The only tab was asked to close: its page goes to "about:blank" and it stays.
    bool blankOnly = false;
    // Slots released, in the order they were released. For each: the closed-pages menu entry, its
    // label destroyed (label 0 is hidden instead), its page window closed.
    QList<int> released;
    // Another tab became active: the address box and the caption follow it (when ActivePos >= 0).
    bool activeChanged = false;
};

// What opening a tab did.
struct TabOpen {
    bool refused = false; // every slot in use; nothing changed
    int slot = -1; // the new tab's slot (its label and page window index)
    int position = -1; // the new tab's position in the strip
    bool active = false; // false when it was opened behind the tab that stays active
};

// The browser's tab table: positions in the strip map to slots 0..5000, each slot owning one label
// and one page window. Released slots are kept on a stack and the last released is reused first.
// Positions run 0..TabCount() - 1; ActivePos() is -1 while no tab is active.
class TabTable {
public:
    static constexpr int kSlotCount = 5001;

    int TabCount() const { return m_tabCount; }
    int ActivePos() const { return m_activePos; }
    int FreeCount() const { return m_freeCount; }
    // The slot of the tab the last open or close worked on.
    int WorkSlot() const { return m_workSlot; }
    // The position the close and copy commands act on (set by the mouse over a label).
    int TargetPos() const { return m_targetPos; }
    void setTargetPos(int position) { m_targetPos = position; }

    // The slot at a position; -1 for a position that is not a tab.
    int slotAt(int position) const;
    // The position of a slot in use; -1 for a free slot.
    int positionOfSlot(int slot) const;
    // The active tab's slot; -1 when no tab is active.
    int activeSlot() const { return slotAt(m_activePos); }
    bool isFull() const { return m_tabCount >= kSlotCount; }
    // The slots in strip order.
    QList<int> slotsInOrder() const;

    // Inserts a tab right of the active one (at position 0 when none is active) and makes it active.
    // Refused when every slot is in use.
    TabOpen AddLab();
    // The table's part of opening a page in a new tab: a page other than "about:blank" opened with
    // background tabs on goes behind the tab that was active, which stays active.
    TabOpen openTab(bool blankPage, bool backgroundTabs);

    // Activates the tab of `slot`. False (nothing changes) when it is already active or not in use.
    bool activateSlot(int slot);
    // The mouse is over the label of `slot`: it becomes the target of the close commands.
    void hoverSlot(int slot);

    // Closes the tab at TargetPos. The last tab is never closed, only blanked. When the active tab
    // closes, its left neighbour becomes active; at position 0 no tab is active afterwards.
    TabChange DelLine();
    // Closes every tab right of TargetPos.
    TabChange CloseTabsRight();
    // Closes every tab left of TargetPos; the target moves to position 0. TargetPos keeps its value.
    TabChange CloseTabsLeft();
    // Leaves only the tab at TargetPos, and makes it active.
    TabChange closeOthers();

    // Moves the tab at `from` to position `to`; the active tab stays the same tab. False when either
    // position is not a tab.
    bool moveTab(int from, int to);

    // The slots in the strip and on the free stack are all different and make up 0..N-1.
    bool isConsistent() const;

private:
    void ReleaseTab(int slot);
    bool validPosition(int position) const { return position >= 0 && position < m_tabCount; }

    std::array<int, kSlotCount> m_tabSlots {};
    std::array<int, kSlotCount> m_freeSlots {};
    int m_tabCount = 0;
    int m_activePos = -1;
    int m_freeCount = 0;
    int m_workSlot = 0;
    int m_targetPos = 0;
};

}
