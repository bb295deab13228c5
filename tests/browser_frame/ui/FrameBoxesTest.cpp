#include "FrameTestSupport.h"
#include "browser/frame/FrameCommands.h"
#include "desktop/ui/FormDesktop.h"
#include "tests/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

using browser::frame::Frmmain;
using velmora::test::FrameFixture;
using velmora::test::waitFor;

namespace {

using FrameBoxes = FrameFixture;

struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Triggers `action` and answers what the modal box it opens shows, closing the box.
ShownBox boxOf(QAction *action)
{
    ShownBox shown;
    QTimer::singleShot(0, [&shown] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown = { box->windowTitle(), box->text(), box->icon() };
        box->accept();
    });
    action->trigger();
    return shown;
}

TEST_F(FrameBoxes, HelpAndAboutShowTheirTexts)
{
    Frmmain &f = open();
    struct Case {
        const char16_t *entry;
        QString title;
        QString text;
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        { u"帮助主题(&S)", browser::frame::kHelpTitle, browser::frame::helpMessageText(), QMessageBox::Information },
        { u"关于(&A)", QStringLiteral("Nimbrow (v9.0)"), QStringLiteral("Nimbrow (v9.0)"), QMessageBox::NoIcon },
    };
    for (const Case &c : cases) {
        QAction *action = f.menuAction(QStringLiteral("帮助(&H)"), QString::fromUtf16(c.entry));
        ASSERT_NE(action, nullptr);
        const ShownBox shown = boxOf(action);
        EXPECT_EQ(shown.title, c.title);
        EXPECT_EQ(shown.text, c.text);
        EXPECT_EQ(shown.icon, c.icon);
    }
    EXPECT_TRUE(browser::frame::helpMessageText().startsWith(QStringLiteral("《Nimbrow》")));
}

TEST_F(FrameBoxes, TabCloseMarkGoesWhenTheCursorLeavesTheTopBar)
{
    Frmmain &f = open();
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    const int shownAt = 200;
    struct Case {
        int cursorY; // screen pixels
        bool stays;
    };
    for (const Case c : { Case { 130, true }, Case { 131, false } }) {
        f.TextClose->move(shownAt, f.TextClose->y());
        QCursor::setPos(QPoint(300, c.cursorY));
        // The watcher looks every 300 ms; two looks are enough either way.
        velmora::test::serveEvents(700);
        EXPECT_EQ(f.TextClose->x() == shownAt, c.stays) << c.cursorY;
    }
}

TEST_F(FrameBoxes, HiddenMelodeskEntryLoadsItHiddenAndTheFrameStepsAside)
{
    Frmmain &f = open();
    f.show();
    QAction *entry = f.menuAction(QStringLiteral("工具(&T)"), QStringLiteral("Melodesk"));
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->isVisible());
    // A hidden entry cannot be triggered: show it to reach its command.
    entry->setVisible(true);
    entry->trigger();
    QPointer<desktop::FormDesktop> melodesk;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<desktop::FormDesktop *>(widget))
            melodesk = window;
    }
    ASSERT_FALSE(melodesk.isNull());
    EXPECT_FALSE(melodesk->isVisible());
    EXPECT_TRUE(f.isMinimized());
    melodesk->mExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(melodesk.isNull());
}

}
