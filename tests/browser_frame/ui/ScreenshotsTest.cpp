// Pictures of the browser for people to look at: written only when VELMORA_SCREENSHOT_DIR names a
// folder (the frame with three tabs, the tab menu, each menu of the bar opened, the history page).
#include "FrameTestSupport.h"
#include "browser/frame/History.h"
#include "tests/TestSupport.h"

#include <QMenu>
#include <QMenuBar>
#include <QPainter>

using velmora::test::FrameFixture;
using velmora::test::waitFor;

namespace {

using BrowserScreenshots = FrameFixture;

// The frame with `menu` drawn where it opened.
QImage frameWithMenu(QWidget &frame, QMenu *menu, QPoint globalAt)
{
    menu->popup(globalAt);
    velmora::test::serveEvents(300);
    QImage image = frame.grab().toImage();
    QPainter painter(&image);
    painter.drawPixmap(frame.mapFromGlobal(globalAt), menu->grab());
    painter.end();
    menu->hide();
    return image;
}

TEST_F(BrowserScreenshots, Browser)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "VELMORA_SCREENSHOT_DIR is not set";
    QDir().mkpath(folder);
    browser::frame::Frmmain &f = open();
    f.resize(1100, 700);
    f.LoadNewForm(server().url("/two"));
    f.LoadNewForm(server().url("/three"));
    ASSERT_TRUE(
        waitFor([&] { return loaded(0, QStringLiteral("Page One")) && loaded(2, QStringLiteral("Page Three")); }));
    f.activateTab(f.tabs().slotAt(1));
    ASSERT_TRUE(waitFor([&] { return loaded(1, QStringLiteral("Page Two")); }));
    velmora::test::serveEvents(1500);
    EXPECT_TRUE(f.grab().save(folder + QStringLiteral("/browser-three-tabs.png")));

    const QLineEdit *label = f.tabLabel(f.tabs().slotAt(1));
    f.hoverTab(f.tabs().slotAt(1));
    EXPECT_TRUE(frameWithMenu(f, f.tabMenu(), label->mapToGlobal(QPoint(20, label->height())))
                    .save(folder + QStringLiteral("/browser-tab-menu.png")));

    // A closed tab for the "历史(&L)" menu.
    f.LoadNewForm(server().url("/one"));
    ASSERT_TRUE(waitFor([&] { return loaded(f.tabs().ActivePos(), QStringLiteral("Page One")); }));
    f.closeActiveTab();
    f.activateTab(f.tabs().slotAt(1));
    int index = 0;
    for (QAction *title : f.menuBar()->actions()) {
        const QRect at = f.menuBar()->actionGeometry(title);
        EXPECT_TRUE(frameWithMenu(f, title->menu(), f.menuBar()->mapToGlobal(at.bottomLeft()))
                        .save(folder + QStringLiteral("/browser-menu-%1.png").arg(++index)));
    }

    QDir().mkpath(s.values.DataFolder + QStringLiteral("History"));
    browser::frame::appendToDayFile(browser::frame::dayFilePath(s.values.DataFolder, QDate::currentDate()),
        browser::frame::historyRow(
            QStringLiteral("2026-12-8 09:30"), server().url("/two"), QStringLiteral("城市夜景 <b>图片</b> & 风景")));
    f.openHistoryPage();
    ASSERT_TRUE(waitFor([&] { return loaded(f.tabs().ActivePos(), QStringLiteral("网站访问历史")); }));
    velmora::test::serveEvents(1500);
    EXPECT_TRUE(f.grab().save(folder + QStringLiteral("/browser-history-page.png")));
}

}
