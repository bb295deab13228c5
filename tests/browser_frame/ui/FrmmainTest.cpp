#include "FrameTestSupport.h"
#include "browser/frame/FrameCommands.h"
#include "browser/frame/FrameMenus.h"
#include "browser/frame/History.h"
#include "common/Settings.h"
#include "tests/TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineHistory>
#include <QWebEngineSettings>
#include <QWebEngineView>

using browser::frame::Frmmain;
using browser::page::FormWeb;
using velmora::test::appWorld;
using velmora::test::FrameFixture;
using velmora::test::waitFor;

namespace {

using FrameWindow = FrameFixture;

QString cancelPage(const common::SettingsStore &settings, const QString &key)
{
    return settings.read(common::keys::kCancelPage, key);
}

TEST_F(FrameWindow, OpensTheHomePageInTheFirstTabAndShowsIt)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    EXPECT_EQ(f.tabs().TabCount(), 1);
    EXPECT_EQ(f.tabs().ActivePos(), 0);
    EXPECT_EQ(whiteLabels(), 1);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Page One - Nimbrow "));
    EXPECT_EQ(f.TextUrl->currentText(), server().url("/one"));
    EXPECT_EQ(f.activePage()->windowTitle(), QStringLiteral("Page One"));
    // The folders of the frame are made at start.
    EXPECT_TRUE(QDir(s.values.DataFolder + QStringLiteral("History")).exists());
    EXPECT_TRUE(QDir(s.values.DataFolder + QStringLiteral("Favorites")).exists());
    // The active page window is the target of the wheel.
    EXPECT_EQ(pump.WheelBrowser.data(), f.activePage()->Web);
}

namespace {

    // Clicks the pop-up link of page one until a second tab opens: the web engine drops a click that
    // comes before the page's first frame is drawn, and the title may be known before that.
    bool clickPopUpLink(Frmmain &frame, FormWeb *opener)
    {
        if (!waitFor([&] { return opener->Web->focusProxy() != nullptr; }))
            return false;
        for (int attempt = 0; attempt < 20; ++attempt) {
            QTest::mouseClick(opener->Web->focusProxy(), Qt::LeftButton, {}, QPoint(60, 60));
            if (waitFor([&] { return frame.tabs().TabCount() == 2; }, 500))
                return true;
        }
        return false;
    }

}

TEST_F(FrameWindow, PopUpLinkOpensInANewActiveTab)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    FormWeb *opener = f.activePage();
    ASSERT_TRUE(clickPopUpLink(f, opener));
    ASSERT_TRUE(waitFor([&] { return f.tabs().TabCount() == 2 && loaded(1, QStringLiteral("Page Two")); }));
    EXPECT_EQ(f.tabs().ActivePos(), 1);
    EXPECT_EQ(whiteLabels(), 1);
    EXPECT_EQ(f.activePage()->LocationURL(), server().url("/two"));
    // The pop-up was given the opener's address and, opened by a page in safe mode, runs without
    // its own scripts.
    EXPECT_EQ(f.activePage()->Intourl, server().url("/one"));
    EXPECT_FALSE(f.activePage()->page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
}

TEST_F(FrameWindow, BackgroundTabsKeepTheOpenerActive)
{
    s.settings.save(common::keys::kSetup, common::keys::kUnderMe, QStringLiteral("1"));
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    FormWeb *opener = f.activePage();
    ASSERT_TRUE(clickPopUpLink(f, opener));
    ASSERT_TRUE(waitFor([&] { return f.tabs().TabCount() == 2 && loaded(1, QStringLiteral("Page Two")); }));
    // Give the new page's load watch time to see its address.
    velmora::test::serveEvents(600);
    EXPECT_EQ(f.tabs().ActivePos(), 0);
    EXPECT_EQ(f.activePage(), opener);
    EXPECT_EQ(f.TextUrl->currentText(), server().url("/one"));
    // A blank tab always opens in front.
    f.newBlankTab();
    EXPECT_EQ(f.tabs().ActivePos(), 1);
    EXPECT_EQ(f.TextUrl->currentText(), QStringLiteral("http://www."));
    EXPECT_EQ(f.windowTitle(), QStringLiteral(" Nimbrow "));
}

TEST_F(FrameWindow, AFullTableRefusesNewTabsWithAStatusLine)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    FormWeb *first = f.activePage();
    browser::frame::TabTable &table = f.tabTableForTest();
    while (!table.isFull())
        ASSERT_FALSE(table.openTab(false, true).refused);
    ASSERT_EQ(table.TabCount(), browser::frame::TabTable::kSlotCount);
    const int windows = int(f.findChildren<FormWeb *>().size());

    EXPECT_EQ(f.LoadNewForm(server().url("/two")), nullptr);
    EXPECT_EQ(f.statusText(), browser::frame::kTabTableFullMessage);
    f.newBlankTab();
    EXPECT_EQ(table.TabCount(), browser::frame::TabTable::kSlotCount);
    EXPECT_EQ(int(f.findChildren<FormWeb *>().size()), windows);
    EXPECT_EQ(f.activePage(), first);
    // The frame goes on drawing and watching the mouse over a full table.
    velmora::test::serveEvents(400);
    EXPECT_EQ(f.statusText(), browser::frame::kTabTableFullMessage);
}

TEST_F(FrameWindow, ClosingTabsFollowsTheTable)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    f.LoadNewForm(server().url("/two"));
    f.LoadNewForm(server().url("/three"));
    ASSERT_TRUE(waitFor([&] { return loaded(2, QStringLiteral("Page Three")); }));
    ASSERT_TRUE(waitFor([&] { return loaded(1, QStringLiteral("Page Two")); }));

    // Closing the active tab at position 2 makes position 1 active, and the frame shows it.
    f.closeActiveTab();
    EXPECT_EQ(f.tabs().TabCount(), 2);
    EXPECT_EQ(f.tabs().ActivePos(), 1);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Page Two - Nimbrow "));
    EXPECT_EQ(f.TextUrl->currentText(), server().url("/two"));
    // The closed tab is in the "历史(&L)" menu and the address box's list.
    // With nothing restored at start the first entry is item 1.
    const int item = f.closedPages().ClosedMenuIndex();
    EXPECT_EQ(item, 1);
    EXPECT_EQ(f.closedPages().menuItems()[size_t(item)]->caption, QStringLiteral("Page Three"));
    QAction *item0 = f.menu(QStringLiteral("历史(&L)"))->actions().at(item);
    EXPECT_TRUE(item0->isVisible());
    EXPECT_EQ(item0->text(), QStringLiteral("Page Three"));
    EXPECT_EQ(f.TextUrl->itemText(f.TextUrl->count() - 1), QStringLiteral("Page Three  ") + server().url("/three"));

    // Closing the active tab at position 0 leaves no tab active: no label is white.
    f.activateTab(f.tabs().slotAt(0));
    EXPECT_EQ(f.tabs().ActivePos(), 0);
    f.closeActiveTab();
    EXPECT_EQ(f.tabs().TabCount(), 1);
    EXPECT_EQ(f.tabs().ActivePos(), -1);
    EXPECT_EQ(whiteLabels(), 0);
    EXPECT_EQ(f.activePage(), nullptr);
    // Label 0 was the closed tab's: it is hidden, not destroyed.
    EXPECT_FALSE(f.tabLabel(0)->isVisible());

    // The only tab is never closed, only blanked.
    f.activateTab(f.tabs().slotAt(0));
    f.closeActiveTab();
    EXPECT_EQ(f.tabs().TabCount(), 1);
    ASSERT_TRUE(waitFor([&] { return f.activePage()->LocationURL() == QStringLiteral("about:blank"); }));
}

TEST_F(FrameWindow, TabMenuClosesLeftRightAndOthers)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    for (int i = 0; i < 4; ++i)
        f.LoadNewForm(QStringLiteral("about:blank"));
    ASSERT_EQ(f.tabs().TabCount(), 5);
    const QList<int> order = f.tabs().slotsInOrder();
    const auto trigger = [&](const QString &text) {
        QAction *action = f.menuAction(QStringLiteral("标签(&B)"), text);
        ASSERT_NE(action, nullptr) << text.toStdString();
        ASSERT_TRUE(action->isEnabled()) << text.toStdString();
        action->trigger();
    };
    // Target at position 2 of 5, position 4 active.
    f.hoverTab(order[2]);
    trigger(QStringLiteral("关闭左侧窗口"));
    EXPECT_EQ(f.tabs().slotsInOrder(), (QList<int> { order[2], order[3], order[4] }));
    EXPECT_EQ(f.tabs().ActivePos(), 2);
    EXPECT_EQ(f.pageWindow(order[0]), nullptr);
    EXPECT_EQ(f.tabLabel(order[1]), nullptr);
    f.hoverTab(order[3]);
    trigger(QStringLiteral("关闭右侧窗口"));
    EXPECT_EQ(f.tabs().slotsInOrder(), (QList<int> { order[2], order[3] }));
    EXPECT_EQ(f.tabs().ActivePos(), 1);
    f.hoverTab(order[2]);
    trigger(QStringLiteral("关闭其他窗口"));
    EXPECT_EQ(f.tabs().slotsInOrder(), (QList<int> { order[2] }));
    EXPECT_EQ(f.tabs().ActivePos(), 0);
    EXPECT_EQ(whiteLabels(), 1);
    // The hovered label's "X" stands at its right end.
    const QLineEdit *label = f.tabLabel(order[2]);
    f.hoverTab(order[2]);
    EXPECT_EQ(f.TextClose->x(), label->x() + label->width() - 19);
    // Copying the target's title and the address goes to the clipboard only when asked.
    velmora::test::clearSimulatedDesktopEffects();
    trigger(QStringLiteral("复制网站地址"));
    EXPECT_EQ(velmora::test::simulatedDesktopEffects().size(), 1);
}

TEST_F(FrameWindow, SafeModeStopsPageScriptsButNotTheProgramsOwn)
{
    s.settings.save(common::keys::kSetup, common::keys::kHomepage, server().url("/script"));
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Quiet")); }));
    FormWeb *page = f.activePage();
    ASSERT_NE(page->vCWebMe, nullptr);
    EXPECT_EQ(page->vCWebMe->DownloadCtrlEX(), 240);
    EXPECT_FALSE(page->page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
    // The page's own script never ran; the program's query in its own world sees both pictures.
    const QVariant pictures = appWorld(page->page(), QStringLiteral("Array.from(document.images).map(i => i.src)"));
    EXPECT_EQ(pictures.toStringList(), (QStringList { server().url("/a.png"), server().url("/b.png") }));
    EXPECT_EQ(appWorld(page->page(), QStringLiteral("document.title")).toString(), QStringLiteral("Quiet"));
    // A search site's page is not put into safe mode.
    FormWeb *search = f.LoadNewForm(QStringLiteral("https://www.baidu.com/s?wd=x"));
    EXPECT_EQ(search->vCWebMe, nullptr);
    EXPECT_TRUE(search->page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
}

TEST_F(FrameWindow, DisallowedVideoRequestsAreRefused)
{
    s.settings.save(common::keys::kSetup, common::keys::kHomepage, server().url("/video"));
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Film")); }));
    FormWeb *page = f.activePage();
    ASSERT_NE(page->vCWebMe, nullptr);
    // Allowed at first: the page asks for its film.
    ASSERT_TRUE(waitFor([&] { return server().hits("/film.mp4") > 0; }));
    EXPECT_EQ(page->requestFilter()->refused.load(), 0);
    // With videos refused, the next page's film is refused and never reaches the server.
    page->vCWebMe->setDL_Video(false);
    EXPECT_TRUE(page->requestFilter()->blockMedia);
    page->Navigate(server().url("/video2"));
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Film Two")); }));
    EXPECT_TRUE(waitFor([&] { return page->requestFilter()->refused.load() > 0; }));
    EXPECT_EQ(server().hits("/film2.mp4"), 0);
}

TEST_F(FrameWindow, F11TwiceRestoresTheTopBar)
{
    Frmmain &f = open();
    f.resize(900, 600);
    QAction *full = f.menuAction(QStringLiteral("查看(&V)"), QStringLiteral("全屏显示"));
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->shortcut(), QKeySequence(Qt::Key_F11));
    const QRect page = f.activePage()->geometry();
    const QRect url = f.TextUrl->geometry();
    const QPoint pageInFrame = f.activePage()->mapTo(&f, QPoint(0, 0));
    full->trigger();
    EXPECT_FALSE(f.Pict->isVisible());
    EXPECT_EQ(f.activePage()->mapTo(&f, QPoint(0, 0)).y(), pageInFrame.y() - 89);
    full->trigger();
    EXPECT_TRUE(f.Pict->isVisible());
    EXPECT_EQ(f.activePage()->geometry(), page);
    EXPECT_EQ(f.activePage()->mapTo(&f, QPoint(0, 0)), pageInFrame);
    EXPECT_EQ(f.TextUrl->geometry(), url);
}

TEST_F(FrameWindow, SlowScrollPairScrollsOneWayAtATime)
{
    s.settings.save(common::keys::kSetup, common::keys::kHomepage, server().url("/tall"));
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Tall")); }));
    QAction *up = f.menuAction(QStringLiteral("查看(&V)"), QStringLiteral("缓慢向上滚动"));
    QAction *down = f.menuAction(QStringLiteral("查看(&V)"), QStringLiteral("缓慢向下滚动"));
    ASSERT_TRUE(up && down);
    FormWeb *page = f.activePage();
    const auto scrollY = [&] {
        return appWorld(page->page(), QStringLiteral("window.scrollY")).toDouble();
    };

    ASSERT_TRUE(waitFor([&] {
        return appWorld(page->page(), QStringLiteral("document.readyState == 'complete' && document.body.scrollHeight"))
                   .toInt()
            > 10000;
    }));
    down->trigger();
    EXPECT_TRUE(down->isChecked());
    EXPECT_TRUE(f.Timer2->isActive());
    EXPECT_EQ(f.slowScroll().ScrollStep(), 1);
    ASSERT_TRUE(waitFor([&] { return scrollY() >= 5; }));

    up->trigger();
    EXPECT_TRUE(up->isChecked());
    EXPECT_FALSE(down->isChecked());
    EXPECT_EQ(f.slowScroll().ScrollStep(), -1);
    ASSERT_TRUE(waitFor([&] { return scrollY() == 0; }));

    up->trigger();
    EXPECT_FALSE(up->isChecked());
    EXPECT_FALSE(f.Timer2->isActive());
}

TEST_F(FrameWindow, ClosingTheFrameWritesTheDayFileAndTheClosedPages)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    // The start page gives no history row; the page reached from it does.
    f.TextUrl->setEditText(server().url("/two"));
    f.Go();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page Two")); }));
    f.close();
    const QString dayFile = browser::frame::dayFilePath(s.values.DataFolder, QDate::currentDate());
    QFile file(dayFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << dayFile.toStdString();
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(
        QStringLiteral("<a href=\"") + server().url("/two") + QStringLiteral("\" target=_blank>Page Two</a>")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Page One")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    EXPECT_EQ(cancelPage(s.settings, QStringLiteral("Count")), QStringLiteral("1"));
    EXPECT_EQ(cancelPage(s.settings, QStringLiteral("Page_1")), QStringLiteral("Page Two  ") + server().url("/two"));
}

TEST_F(FrameWindow, ClosedPagesComeBackAtStartAndRefuseUnsafeAddresses)
{
    s.settings.save(common::keys::kCancelPage, QStringLiteral("Count"), QStringLiteral("2"));
    s.settings.save(
        common::keys::kCancelPage, QStringLiteral("Page_0"), QStringLiteral("Two  ") + server().url("/two"));
    s.settings.save(
        common::keys::kCancelPage, QStringLiteral("Page_1"), QStringLiteral("A & B  javascript:alert(1)//http"));
    s.settings.save(
        common::keys::kCancelPage, QStringLiteral("Page_2"), QStringLiteral("Three  ") + server().url("/three"));
    Frmmain &f = open();
    QMenu *history = f.menu(QStringLiteral("历史(&L)"));
    const QList<QAction *> items = history->actions();
    EXPECT_EQ(items[0]->text(), QStringLiteral("Three"));
    // The "&" of a title is a character, not an access key.
    EXPECT_EQ(items[1]->text(), QStringLiteral("A && B  javascript:alert(1)"));
    EXPECT_EQ(items[2]->text(), QStringLiteral("Two"));
    EXPECT_FALSE(items[3]->isVisible());

    f.reopenClosedPage();
    ASSERT_TRUE(waitFor([&] { return loaded(1, QStringLiteral("Page Three")); }));
    f.reopenClosedPage();
    EXPECT_EQ(f.tabs().TabCount(), 2);
    EXPECT_TRUE(f.statusText().startsWith(browser::frame::kRefusedAddressMessage));
    f.reopenClosedPage();
    ASSERT_TRUE(waitFor([&] { return f.tabs().TabCount() == 3 && loaded(2, QStringLiteral("Page Two")); }));

    // "清除历史记录(&C)" empties the menu and the store.
    f.menuAction(QStringLiteral("历史(&L)"), QStringLiteral("清除历史记录(&C)"))->trigger();
    for (int i = 0; i < browser::frame::ClosedPages::kMenuItems; ++i)
        EXPECT_FALSE(history->actions()[i]->isVisible());
    EXPECT_TRUE(cancelPage(s.settings, QStringLiteral("Page_2")).isEmpty());
}

TEST_F(FrameWindow, HistoryPageShowsTodaysRowsEscaped)
{
    const QString dayFile = browser::frame::dayFilePath(s.values.DataFolder, QDate::currentDate());
    QDir().mkpath(s.values.DataFolder + QStringLiteral("History"));
    ASSERT_TRUE(browser::frame::appendToDayFile(dayFile,
        browser::frame::historyRow(QStringLiteral("2026-1-1 10:00"),
            server().url("/two"),
            QStringLiteral("<script>document.title='pwned'</script>风景"))));
    Frmmain &f = open();
    f.menuAction(QStringLiteral("工具(&T)"), QStringLiteral("网站访问历史(&H)"))->trigger();
    ASSERT_TRUE(waitFor([&] { return loaded(1, QStringLiteral("网站访问历史")); }));
    FormWeb *page = f.activePage();
    EXPECT_FALSE(page->page()->settings()->testAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls));
    EXPECT_FALSE(page->page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
    const QString rowText =
        appWorld(page->page(), QStringLiteral("document.querySelectorAll('tr')[1].innerText")).toString();
    EXPECT_TRUE(rowText.contains(QStringLiteral("<script>"))) << rowText.toStdString();
    EXPECT_TRUE(QFile::exists(browser::frame::historyPagePath(s.values.DataFolder, QDate::currentDate())));
    // The history page itself adds no history row.
    EXPECT_EQ(page->tabHistory().text(), QString()) << page->tabHistory().text().toStdString();
}

TEST_F(FrameWindow, AddressBoxGoesSearchesAndTakesListEntries)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    // A word without a dot is searched for.
    f.TextUrl->setEditText(QStringLiteral("风景"));
    f.Go();
    EXPECT_EQ(f.TextUrl->currentText(), QStringLiteral("https://www.baidu.com/s?wd=风景"));
    // A list entry is "title  address": its address is visited.
    f.TextUrl->addItem(QStringLiteral("Page Three  ") + server().url("/three"));
    f.addressFromList(f.TextUrl->itemText(f.TextUrl->count() - 1));
    f.Go();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page Three")); }));
    EXPECT_EQ(f.tabs().TabCount(), 1);
    // "about:blank" typed shows as "http://www.".
    f.TextUrl->setEditText(QStringLiteral("about:blank"));
    EXPECT_EQ(f.TextUrl->currentText(), QStringLiteral("http://www."));
    // A picture search adds its word and opens a tab.
    f.CombSearch->setEditText(QStringLiteral("城市夜景"));
    f.pictureSearch();
    EXPECT_EQ(f.tabs().TabCount(), 2);
    EXPECT_EQ(f.CombSearch->count(), 28);
    EXPECT_EQ(f.searchWords().words().count(QStringLiteral("城市夜景")), 2);
}

TEST_F(FrameWindow, SelectedTextGoesToTheBarNeverToTheClipboard)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    FormWeb *page = f.activePage();
    appWorld(page->page(),
        QStringLiteral("const r = document.createRange(); r.setStart(document.querySelector('p').firstChild, 0);"
                       "r.setEnd(document.querySelector('p').firstChild, 3); getSelection().removeAllRanges();"
                       "getSelection().addRange(r); true"));
    ASSERT_TRUE(waitFor([&] { return page->page()->hasSelection(); }));
    // The bar is made by the first selection; hiding it before then does nothing.
    EXPECT_EQ(page->PictMouse, nullptr);
    page->hideSelectionBar();
    velmora::test::clearSimulatedDesktopEffects();
    page->zhan(page->mapToGlobal(QPoint(300, 300)));
    EXPECT_EQ(page->SelectedText, QStringLiteral("第一页"));
    EXPECT_EQ(f.CombSearch->currentText(), QStringLiteral("第一页"));
    EXPECT_GE(page->PictMouse->x(), 0);
    EXPECT_TRUE(velmora::test::simulatedDesktopEffects().isEmpty());
    // "复制" puts it on the clipboard, and the bar goes.
    page->LabCopy_Click(1);
    ASSERT_EQ(velmora::test::simulatedDesktopEffects().size(), 1);
    EXPECT_TRUE(velmora::test::simulatedDesktopEffects()[0].contains(QStringLiteral("第一页")));
    EXPECT_LT(page->PictMouse->x(), 0);
}

// The frame makes part of itself after its first page has started loading: all of it is there
// when the constructor returns, before anything is drawn.
TEST_F(FrameWindow, IsWholeWhenItsConstructorReturns)
{
    Frmmain &f = open();
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(f.windowIcon().isNull());
    for (const browser::frame::ToolbarButton &button : browser::frame::toolbarButtons()) {
        const QToolButton *control = f.toolbarButton(button.name);
        ASSERT_NE(control, nullptr) << button.name.toStdString();
        // The two text buttons carry no icon, every other one has its picture.
        const bool textButton = button.name == QLatin1String("CmdGo") || button.name == QLatin1String("CmdSearch");
        EXPECT_EQ(control->icon().isNull(), textButton) << button.name.toStdString();
        EXPECT_TRUE(control->isVisible()) << button.name.toStdString();
    }
    EXPECT_EQ(f.CombSearch->count(), f.searchWords().words().size());
    EXPECT_EQ(f.CombSearch->currentText(), QStringLiteral("城市夜景"));
    EXPECT_GT(f.TextUrl->maxVisibleItems(), 1);
    EXPECT_EQ(f.menuBar()->actions().size(), int(browser::frame::frameMenus().size()) - 1);
    EXPECT_NE(f.tabMenu(), nullptr);
    // The first tab was opened before the menus were made; the closed-pages entries were made too.
    EXPECT_EQ(f.tabs().TabCount(), 1);
    EXPECT_NE(f.menu(QStringLiteral("历史(&L)"))->findChild<QAction *>(QStringLiteral("LiHistory(0)")), nullptr);
}

TEST_F(FrameWindow, MenusToolbarAndShortcutsFollowTheTables)
{
    Frmmain &f = open();
    const QList<QAction *> barMenus = f.menuBar()->actions();
    int barIndex = 0;
    for (const browser::frame::FrameMenu &spec : browser::frame::frameMenus()) {
        QMenu *menu = f.menu(spec.title);
        ASSERT_NE(menu, nullptr) << spec.title.toStdString();
        if (spec.hidden) {
            EXPECT_EQ(menu, f.tabMenu());
        } else {
            ASSERT_LT(barIndex, barMenus.size());
            EXPECT_EQ(barMenus[barIndex++]->text(), spec.title);
        }
        // The entries in order: separators where the table has them, hidden ones hidden.
        const QList<QAction *> actions = menu->actions();
        int a = 0;
        for (const browser::frame::FrameMenuItem &item : spec.items) {
            if (item.kind == browser::frame::FrameMenuItem::List) {
                // Entries made while the browser runs: the two outside sites, the 22 closed-page
                // items, the version check, and the favorites' first item (hidden while there are no
                // favorites, as here).
                switch (item.list) {
                case browser::frame::FrameMenuItem::OutsideSites:
                    a += 2;
                    break;
                case browser::frame::FrameMenuItem::ClosedPagesList:
                    a += browser::frame::ClosedPages::kMenuItems;
                    break;
                case browser::frame::FrameMenuItem::VersionCheck:
                    a += 1;
                    break;
                case browser::frame::FrameMenuItem::FavoritesList:
                    EXPECT_FALSE(actions.value(a) && actions.value(a)->isVisible());
                    a += 1;
                    break;
                default:
                    break;
                }
                continue;
            }
            ASSERT_LT(a, actions.size()) << spec.title.toStdString();
            QAction *action = actions[a++];
            EXPECT_EQ(action->isSeparator(), item.kind == browser::frame::FrameMenuItem::Separator);
            EXPECT_EQ(action->isVisible(), !item.hidden) << item.text.toStdString();
            if (item.kind == browser::frame::FrameMenuItem::Command) {
                EXPECT_EQ(action->text(), item.text);
                EXPECT_EQ(action->isChecked(), item.checked) << item.text.toStdString();
                // Every shown entry has its command (a hidden action always reports disabled).
                if (!item.hidden) {
                    EXPECT_TRUE(action->isEnabled()) << spec.title.toStdString() << " " << item.text.toStdString();
                }
            }
        }
        EXPECT_EQ(a, actions.size()) << spec.title.toStdString();
    }
    EXPECT_EQ(barIndex, barMenus.size());
    for (const browser::frame::Shortcut &shortcut : browser::frame::frameShortcuts()) {
        bool found = false;
        for (QMenu *menu : f.findChildren<QMenu *>()) {
            for (QAction *action : menu->actions()) {
                if (action->text() == shortcut.menuItem) {
                    EXPECT_EQ(action->shortcut(), QKeySequence(shortcut.key)) << shortcut.menuItem.toStdString();
                    found = true;
                }
            }
        }
        EXPECT_TRUE(found) << shortcut.menuItem.toStdString();
    }
    for (const browser::frame::ToolbarButton &button : browser::frame::toolbarButtons()) {
        QToolButton *control = f.toolbarButton(button.name);
        ASSERT_NE(control, nullptr) << button.name.toStdString();
        EXPECT_EQ(control->toolTip(), button.toolTip);
    }
    // Every button has its command; back and forward wait for a page history.
    for (const browser::frame::ToolbarButton &button : browser::frame::toolbarButtons()) {
        if (!button.name.startsWith(QLatin1String("CmdPage("))) {
            EXPECT_TRUE(f.toolbarButton(button.name)->isEnabled()) << button.name.toStdString();
        }
    }
}

TEST_F(FrameWindow, DesktopCommandsGoThroughThePlatformLayer)
{
    Frmmain &f = open();
    velmora::test::clearSimulatedDesktopEffects();
    f.menuAction(QStringLiteral("文件(&F)"), QStringLiteral("开启新窗口(&N)"))->trigger();
    f.menuAction(QStringLiteral("文件(&F)"), QStringLiteral("立即关闭电脑(&C)"))->trigger();
    f.toolbarButton(QStringLiteral("Command6"))->click();
    const QStringList effects = velmora::test::simulatedDesktopEffects();
    ASSERT_EQ(effects.size(), 3) << effects.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(effects[0].startsWith(QStringLiteral("startProgram")));
    EXPECT_TRUE(effects[0].endsWith(QStringLiteral("--browser")));
    EXPECT_TRUE(effects[1].startsWith(QStringLiteral("powerOff")));
    EXPECT_TRUE(effects[2].contains(QStringLiteral("Download")));
}

}
