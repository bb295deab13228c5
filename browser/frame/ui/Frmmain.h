#pragma once

#include "browser/frame/AddressRules.h"
#include "browser/frame/ClosedPages.h"
#include "browser/frame/FrameCommands.h"
#include "browser/frame/FrameLayout.h"
#include "browser/frame/FrameTimers.h"
#include "browser/frame/TabTable.h"
#include "browser/page/ui/PageHost.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QToolButton;

namespace common {
struct RunningValues;
struct Services;
}
namespace sys {
class MessagePump;
}

namespace browser::frame {

// The browser frame "Nimbrow": the menu bar, the top bar with its buttons, address row and tab
// strip, and one page window per tab below it. The tab table, the layout, the timers' rules and
// the closed pages are the frame's logic classes; this window carries their results out on its
// controls.
class Frmmain : public QMainWindow, public page::PageHost {
    Q_OBJECT
public:
    Frmmain(const common::Services &services,
        common::RunningValues &values,
        sys::MessagePump &pump,
        QWidget *parent = nullptr);
    ~Frmmain() override;

    bool WebFocus = false;
    // The frame was asked to close (it goes once its events are done).
    bool isClosing() const { return m_closing; }

    const TabTable &tabs() const { return m_tabs; }
    const FrameLayout &layoutTwips() const { return m_layout; }
    const ClosedPages &closedPages() const { return m_closedPages; }
    const SlowScroll &slowScroll() const { return m_slowScroll; }
    const SearchWords &searchWords() const { return m_searchWords; }
    // The page window of a slot, of the active tab; nullptr when there is none.
    page::FormWeb *pageWindow(int slot) const;
    page::FormWeb *activePage() const { return pageWindow(m_tabs.activeSlot()); }
    QLineEdit *tabLabel(int slot) const;
    // The menu of that title ("文件(&F)", ..., the tab menu "标签(&B)") and one of its entries.
    QMenu *menu(const QString &title) const { return m_menus.value(title); }
    QAction *menuAction(const QString &menuTitle, const QString &text) const;
    QToolButton *toolbarButton(const QString &name) const { return m_buttons.value(name); }
    // The last text of the status line.
    QString statusText() const { return m_statusText; }

    // Controls the commands refer to.
    QWidget *Pict = nullptr;
    QComboBox *TextUrl = nullptr;
    QComboBox *CombSearch = nullptr;
    QToolButton *CmdGo = nullptr;
    QToolButton *CmdSearch = nullptr;
    QToolButton *Chk = nullptr;
    std::array<QToolButton *, 2> CmdPage {};
    QLabel *LabAdd = nullptr;
    QLabel *TextClose = nullptr;
    QLabel *Label1 = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    QMenu *tabMenu() const { return m_tabMenu; }

    // Opens an address in a new tab; answers its page window, nullptr when refused.
    // `generatedPage`: the address is a page the program wrote from web text (the history page).
    page::FormWeb *LoadNewForm(const QString &address, bool generatedPage = false);
    void PaiLie();
    void DelLine();
    // "关闭当前网页": closes the active tab.
    void closeActiveTab();
    void CloseTabsRight();
    void CloseTabsLeft();
    void closeOtherTabs();
    // A label was hovered: its tab becomes the target of the close commands.
    void hoverTab(int slot);
    // A label was clicked with the left button.
    void activateTab(int slot);
    void newBlankTab();
    void Go();
    void addressFromList(const QString &entry);
    void pictureSearch();
    void reopenClosedPage();
    void reopenMenuItem(int index);
    void clearClosedPages();
    void openHistoryPage();
    void fullScreen();
    void slowScrollClick(int index);
    void scrollActivePage(const ScrollCommand &command);
    void MoveUp_Click(int index);
    void Command6_Click();
    void Timer1_Timer();
    void Timer2_Timer();

    // Favorites: rebuilds the favorites menu from the list file.
    void AddFavor();
    void refreshFavorites();
    void openFavoritesDialog();
    void openFavoritesOrganizer();
    // A favorites menu item chosen: item n shows entry n of the list, from 0.
    void MyFavorites_Click(int index);
    // MyFavorites(0) is always there (hidden while the list is empty); nullptr past the end.
    QAction *MyFavorites(int index) const;
    int favoriteItemCount() const { return int(m_favoriteItems.size()); }
    // The page tools.
    void openBatchReader();
    void openAutoRefresher();
    // Reloads the page of the tab active now.
    void refreshActivePage();

    // The frame as a page window's host.
    bool isCurrentTab(const page::FormWeb *page) const override;
    void setTabLabel(int slot, const QString &text, const QString &toolTip) override;
    void showActivePage(const QString &frameCaption, const QString &addressText) override;
    void setAddressText(const QString &text) override;
    void setNavigationEnabled(bool back, bool forward) override;
    QWebEnginePage *openPopupTab(page::FormWeb *opener) override;
    void openInNewTab(const QString &address) override;
    void addAddressListEntry(const QString &entry) override;
    void pageViewFocused() override;
    void selectionTaken(const QString &text) override;
    void bringForward(page::FormWeb *page) override;
    void pageActivated(page::FormWeb *page) override;
    void openDownloadFolder() override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createToolbar();
    void createMenus();
    void createFavoritesList(QMenu *menu);
    void Form_Load();
    void Form_Resize();
    void Form_QueryUnload();
    QLineEdit *createLabel(int slot);
    void carryOut(const TabChange &change);
    void ReleaseTab(int slot);
    void showTabInFrame(int position);
    void rebuildClosedMenu();
    void openReopened(const ReopenResult &result);
    void focusTrick(QWidget *box);
    void showStatus(const QString &text);
    void newProgramWindow();
    void aboutBox();
    void helpMessage();
    page::FormWeb *openPageWindow(int slot, const QString &intoUrl, bool safeMode);
    QRect pageRect() const;
    int innerWidthTwips() const;

    const common::Services &m_services;
    common::RunningValues &m_values;
    sys::MessagePump &m_pump;
    TabTable m_tabs;
    FrameLayout m_layout;
    MouseWatcher m_mouseWatcher;
    SlowScroll m_slowScroll;
    ClosedPages m_closedPages;
    SearchWords m_searchWords;
    std::vector<QPointer<page::FormWeb>> m_pages;
    std::vector<QLineEdit *> m_labels;
    QWidget *m_central = nullptr;
    QWidget *m_client = nullptr;
    QMenu *m_tabMenu = nullptr;
    std::array<QAction *, ClosedPages::kMenuItems> m_closedItems {};
    std::array<QAction *, 2> m_slowScrollItems {};
    QHash<QString, QMenu *> m_menus;
    QHash<QString, QToolButton *> m_buttons;
    QString m_statusText;
    int m_scrollPending = 0;
    bool m_scrollInFlight = false;
    bool m_closing = false;
    QMenu *m_favoritesMenu = nullptr;
    std::vector<QAction *> m_favoriteItems;
};

}
