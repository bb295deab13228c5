#pragma once

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace common {
class SettingsStore;
}

namespace browser::frame {

// The status line's text when a recorded address is not one the browser reopens.
inline const QString kRefusedAddressMessage = QStringLiteral("已拒绝打开不安全的地址：");

// A stored closed page, "title  address", split: the title is what precedes the two characters in
// front of the address. The address begins at the first "  http", "  ftp:" or "  file:", else at
// the first "http"; without either it is empty.
struct ClosedPageEntry {
    QString caption;
    QString address;
};
ClosedPageEntry splitClosedEntry(const QString &stored);

// Menu text for a page title: "&" stays a character instead of marking an access key.
QString plainMenuText(const QString &title);

// One item of the "历史(&L)" menu.
struct ClosedMenuItem {
    QString caption; // the page's title, plain text (at most 40 characters when recorded this run)
    QString address;
};

// What a reopen found.
struct ReopenResult {
    QString address; // open this in a new tab; empty: nothing to open
    bool refused = false; // the stored address is not http, https, ftp or file: shown, not opened
    QString statusText; // for the status line when refused
};

// The closed pages: a ring of 500 entries in the settings section "CancelPage" ("Count" is the
// newest entry's index, "Page_" + n each entry), and the menu of up to 22 recent entries.
class ClosedPages {
public:
    static constexpr int kRingSize = 500; // entries 0..499
    static constexpr int kRestoreLimit = 20; // entries restored into the menu at start-up
    static constexpr int kMenuItems = 22; // menu items 0..21, reused in turn
    static constexpr int kCaptionLength = 40;

    explicit ClosedPages(common::SettingsStore &settings);

    // Start-up: reads "Count" and puts the newest stored entries, up to 20, into the menu as items
    // 0, 1, ...; it stops at the first empty entry and at index 0 (it does not wrap to 499).
    void restore();

    // A tab with `labelText` closes on `address`, its page window titled `caption`: the menu's next
    // item shows it. Nothing when the label is empty. Returns the item index, or -1.
    int addMenuEntry(const QString &labelText, const QString &caption, const QString &address);

    // A page window closes on `address`: addresses longer than 12 and shorter than 100 characters,
    // other than the home page with its query, are stored as the next ring entry
    // "caption  address". Returns the entry (for the address box's list), or nothing.
    std::optional<QString> recordClosedPage(const QString &caption, const QString &address);
    static bool isRecordable(const QString &address);

    // Ctrl+Z: the entry at ClosedPageCount, then each older one in turn on later calls (this run
    // only; the store keeps its "Count"). From index 0 it goes on at 499.
    ReopenResult reopen();
    // A menu item was chosen.
    ReopenResult reopenItem(int index) const;

    // Empties the menu and the store.
    void clear();
    // Empties the menu and sets ClosedPageCount to 0; the stored entries stay.
    void forgetMenuEntries();

    int ClosedPageCount() const { return m_closedPageCount; }
    int ClosedMenuIndex() const { return m_closedMenuIndex; }
    // The menu's items by index; an index never used is empty.
    const std::array<std::optional<ClosedMenuItem>, kMenuItems> &menuItems() const { return m_items; }

private:
    static ReopenResult openable(const QString &address);
    QString storedEntry(int index) const;

    common::SettingsStore &m_settings;
    int m_closedPageCount = 0;
    int m_closedMenuIndex = -1;
    std::array<std::optional<ClosedMenuItem>, kMenuItems> m_items;
};

}
