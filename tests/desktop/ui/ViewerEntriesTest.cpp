// The viewer's two entries that open this subsystem's windows.
#include "desktop/ui/FormDesktop.h"
#include "desktop/ui/FormDir.h"
#include "tests/viewer/ui/ViewerUnderTest.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

namespace desktop {

namespace {

    template <typename T> T *openWindow()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<T *>(widget))
                return window;
        }
        return nullptr;
    }

}

TEST(ViewerEntries, MelodeskLoadsHiddenAndTheViewerMinimises)
{
    velmora::test::ViewerUnderTest v { QString() };
    QAction *entry = v.form->menuEntry(QStringLiteral("AutoDesktop"));
    ASSERT_NE(entry, nullptr);
    // A hidden entry cannot be triggered: show it to reach its command.
    EXPECT_FALSE(entry->isVisible());
    entry->setVisible(true);
    entry->trigger();
    QPointer<FormDesktop> melodesk = openWindow<FormDesktop>();
    ASSERT_FALSE(melodesk.isNull());
    EXPECT_FALSE(melodesk->isVisible());
    EXPECT_TRUE(v.form->isMinimized());
    // A second time it is the same window.
    entry->trigger();
    int windows = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        windows += qobject_cast<FormDesktop *>(widget) ? 1 : 0;
    EXPECT_EQ(windows, 1);
    melodesk->mExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(melodesk.isNull());
}

TEST(ViewerEntries, FolderHidingOpensModal)
{
    velmora::test::ViewerUnderTest v { QString() };
    QAction *entry = v.form->menuEntry(QStringLiteral("DirHide"));
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->isEnabled());
    bool seen = false;
    // The dialog runs its own loop: look at it and close it from there.
    std::function<void()> answer = [&] {
        auto *dialog = qobject_cast<FormDir *>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(20, answer);
            return;
        }
        seen = dialog->isModal() && dialog->windowTitle() == QStringLiteral("文件夹加密");
        dialog->reject();
    };
    QTimer::singleShot(20, answer);
    entry->trigger();
    EXPECT_TRUE(seen);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openWindow<FormDir>(), nullptr);
}

}
