#pragma once

#include <QString>

namespace browser::page {

// The page window's 5-second picture timer: six ticks after each navigation start, each saving the
// page's large pictures (automatic saving on) or only counting them.
class SaveTicker {
public:
    static constexpr int kTicks = 6;
    static constexpr int kIntervalMs = 5000;

    struct Step {
        bool save = false; // save the pictures into the download folder
        bool count = false; // only count the large pictures
        bool stopTimer = false; // this was the sixth tick
    };
    // A navigation started: the ticks count from zero again.
    void rearm() { m_ticks = 0; }
    Step tick(bool autoSave);
    int SaveTicks() const { return m_ticks; }

private:
    int m_ticks = 0;
};

// The page window's 200 ms timer after a load: it waits until the page has an address. While it has
// none, the address box of the current tab is emptied; a pop-up opened behind its opener that never
// received an address is brought forward once.
class LoadWatch {
public:
    static constexpr int kIntervalMs = 200;

    struct Step {
        bool stopTimer = false; // the page has its address
        bool clearAddressBox = false;
        bool activateThisTab = false;
    };
    Step tick(const QString &locationUrl, bool isCurrentTab, bool backgroundTabs);
    int LoadTicks() const { return m_ticks; }
    bool LoadSettled() const { return m_settled; }

private:
    int m_ticks = 0;
    bool m_settled = false;
    bool m_broughtForward = false;
};

}
