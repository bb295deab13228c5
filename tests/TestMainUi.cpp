#include "TestSupport.h"
#include "web/ui/PictureScheme.h"
#include "web/ui/Profile.h"

#include <QApplication>
#include <QEvent>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    velmora::test::enterSandbox();
    web::registerPictureScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    int result = 0;
    {
        QApplication app(argc, argv);
        // The program's web profile, in the sandbox's folders, as the program makes it.
        web::Profile profile;
        testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
        // Pages a test let go of with deleteLater go before the profile they were made on.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    velmora::test::leaveSandbox();
    return result;
}
