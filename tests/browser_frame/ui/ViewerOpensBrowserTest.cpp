#include "FrameTestSupport.h"
#include "browser/frame/History.h"
#include "viewer/ViewerState.h"
#include "viewer/ui/FormPicture.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QToolButton>

using velmora::test::waitFor;

namespace {

using ViewerOpensBrowser = velmora::test::FrameFixture;

TEST_F(ViewerOpensBrowser, ButtonAndMenuOpenOneFrameAndClosingTheViewerClosesItFirst)
{
    viewer::ViewerState state;
    auto viewer = std::make_unique<viewer::FormPicture>(s.services, s.values, state, pump, QString());
    viewer->show();
    QAction *entry = viewer->menuEntry(QStringLiteral("Fliulanqi"));
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(entry->isEnabled());
    ASSERT_TRUE(viewer->Command6->isEnabled());

    entry->trigger();
    QPointer<browser::frame::Frmmain> opened = viewer->browserFrame();
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->isVisible());
    EXPECT_FALSE(opened->isModal());
    // One instance: the button brings the same frame forward.
    viewer->Command6->click();
    EXPECT_EQ(viewer->browserFrame(), opened.data());
    frame = opened;
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    opened->TextUrl->setEditText(server().url("/two"));
    opened->Go();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page Two")); }));

    // Closing the viewer closes the frame first, and its page records itself.
    viewer->close();
    EXPECT_TRUE(opened.isNull() || opened->isClosing());
    EXPECT_EQ(s.settings.read(common::keys::kCancelPage, QStringLiteral("Page_1")),
        QStringLiteral("Page Two  ") + server().url("/two"));
    EXPECT_TRUE(QFile::exists(browser::frame::dayFilePath(s.values.DataFolder, QDate::currentDate())));
    frame = nullptr;
    viewer.reset();
}

}
