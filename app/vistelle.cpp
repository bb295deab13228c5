#include "app/Startup.h"
#include "common/Paths.h"
#include "common/Registry.h"
#include "common/Services.h"
#include "common/Settings.h"
#include "common/platform/Desktop.h"
#include "common/platform/TerminationSignals.h"
#include "system/ui/MessagePump.h"
#include "viewer/CommandLine.h"
#include "viewer/ViewerState.h"
#include "viewer/ui/FormPicture.h"
#include "web/EngineLogging.h"
#include "web/ui/PictureScheme.h"
#include "web/ui/Profile.h"

#include <QApplication>
#include <QWebEngineView>

#include <unistd.h>

int main(int argc, char **argv)
{
    // The page view's browser engine refuses to run as root without its sandbox switched off.
    if (::geteuid() == 0) {
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        if (!flags.contains("--no-sandbox"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --no-sandbox").trimmed());
    }
    web::quietEngineLogging();
    web::registerPictureScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vistelle"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    // Closing the viewer ends the program; other windows never keep it running alone.
    QApplication::setQuitOnLastWindowClosed(false);
    // Asked to end (logout, Ctrl+C, kill): every window's close request runs, the viewer's last,
    // as when the user closes them; closing the viewer ends the program.
    QWidget *viewerWindow = nullptr;
    common::platform::onTerminationSignal([&viewerWindow] {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window != viewerWindow && window->isWindow() && window->isVisible())
                window->close();
        if (viewerWindow)
            viewerWindow->close();
    });

    common::RegistryHive &hive = common::processHive();
    common::SettingsStore settings(hive);
    const auto desktop = common::platform::createDesktop();
    // Made after the application object, and destroyed after every window that shows a page.
    web::Profile webProfile;
    const common::Services services { hive, settings, *desktop, *webProfile.engineProfile() };

    common::RunningValues values = app::startProgram(services, common::programPath());
    viewer::ViewerState viewerState;

    sys::MessagePump pump;
    app.installEventFilter(&pump);

    // "--browser" opens the browser at once, as the viewer's browser button does; every other
    // argument keeps its viewer meaning.
    QStringList arguments = app.arguments().mid(1);
    const bool openBrowser = arguments.removeAll(QStringLiteral("--browser")) > 0;
    viewer::FormPicture viewer(services, values, viewerState, pump, viewer::commandLineText(arguments));
    pump.setViewer(
        &viewer, viewer.Web, [&viewer] { return viewer.WebFilePath; }, viewer.WebRigft);
    viewerWindow = &viewer;
    viewer.show();
    if (openBrowser)
        viewer.openBrowser();
    // For start-up measurements: quit as soon as the window shows its first page.
    if (qEnvironmentVariableIsSet("VELMORA_QUIT_WHEN_READY"))
        QObject::connect(viewer.Web, &QWebEngineView::loadFinished, &app, &QCoreApplication::quit);
    return app.exec();
}
