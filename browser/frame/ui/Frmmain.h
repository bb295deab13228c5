#pragma once

#include "browser/frame/AddressRules.h"
#include "browser/frame/ClosedPages.h"
#include "browser/frame/FrameCommands.h"
#include "browser/frame/FrameLayout.h"
#include "browser/frame/FrameTimers.h"
#include "browser/frame/PageCommands.h"
#include "browser/frame/TabTable.h"
#include "browser/page/ui/PageHost.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStyle>

#include <array>
#include <functional>
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

class FindBar;

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
    const common::Services &services() const { return m_services; }
    // The frame was asked to close (it goes once its events are done).
    bool isClosing() const { return m_closing; }

    const TabTable &tabs() const { return m_tabs; }
    // The table itself, so a test can fill its 5001 slots without as many page windows.
    TabTable &tabTableForTest() { return m_tabs; }
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
    // "成批下载图片": the active page's large pictures, then its ".jpg" files of 30000 bytes and more.
    void Command4_Click();
    // The gallery toggle: shows the active page's gallery (collected again) or the page.
    void Chk_Click(bool on);
    // "查看网页图片": the toggle on, then once more.
    void showPagePictures();
    // "页面刷新": the gallery is collected again while it shows, else the page reloads.
    void Command2_Click();
    // "提取全部图片 另存为(&S)": asks for a folder and saves the active page's pictures into it.
    void saveAllPictures();
    // Saves the active page's pictures into folder; the download folder is the previous one again
    // once the run has ended.
    void saveAllPicturesInto(const QString &folder);
    // Asks for the folder of "提取全部图片 另存为(&S)"; "" when cancelled.
    std::function<QString(QWidget *owner)> askPictureFolder;
    void Timer1_Timer();
    void Timer2_Timer();

    // Commands on the active page.
    void runPageAction(PageAction action);
    void refreshPage(); // "刷新(&R)"
    void refreshAll(); // "全部刷新"
    void stopPage();
    void findInPage();
    void clearAds(); // "清除网页广告"
    void allowMedia(); // "允许播放电影/音乐"
    void zoomPage(int index);
    void toggleEditMode();
    bool editMode() const;
    void savePage(); // "保存 网页(&A)": the source while edit mode is on
    void saveSource();
    void openSource(bool selectionOnly);
    void screenCapture();
    void openTraceCleaner();
    void openSlideshow();
    void toggleMute();
    void openWithOtherBrowser();
    void openMail();
    void openHomeFolder(); // "我的电脑"
    void dialUp();
    void openFolderHiding();
    // Melodesk starts hidden in the notification area; the frame steps aside.
    void openMelodesk();
    void screenOff();
    FindBar *findBar() const { return m_findBar; }

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
    void openPictureDetails(const QString &url) override;
    void galleryWritten(page::FormWeb *page) override;
    bool galleryToggleOn() const override;
    void setBatchSaveEnabled(bool enabled) override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createToolbar();
    void createMenus();
    // The parts of the frame the first page's load does not wait for: the search words, the
    // icons, the address box's drop-down height and the menus. Made right after the first page
    // has started loading, before the frame is first drawn.
    void finishFrame();
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
    void placeFindBar();
    void connectPageCommands();
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
    std::vector<std::pair<QToolButton *, QStyle::StandardPixmap>> m_buttonIcons;
    FindBar *m_findBar = nullptr;
    QString m_statusText;
    int m_scrollPending = 0;
    bool m_scrollInFlight = false;
    bool m_closing = false;
    QMenu *m_favoritesMenu = nullptr;
    std::vector<QAction *> m_favoriteItems;
};

}
