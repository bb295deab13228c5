#pragma once

#include "app/Startup.h"
#include "common/Paths.h"
#include "system/ui/MessagePump.h"
#include "tests/ServicesUnderTest.h"
#include "tests/TestSupport.h"
#include "viewer/ViewerState.h"
#include "viewer/ui/FormPicture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <memory>

namespace velmora::test {

// Runs a script in the application world of the page a view shows (the thumbnail page runs no
// page script) and waits (at most 10 s) for its result.
inline QVariant runScript(QWebEngineView *view, const QString &script)
{
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 10000)
        velmora::test::serveEvents(5);
    return result;
}

// A shown viewer started as the program starts it, with its own in-memory settings and the
// recorded desktop. With routeEvents the message pump also takes the application's wheel and
// right-button events, as in the program.
struct ViewerUnderTest : ServicesUnderTest {
    explicit ViewerUnderTest(
        const QString &commandLine, const QString &pageFileCount = QString(), bool routeEvents = false)
    {
        if (!pageFileCount.isNull())
            settings.save(QStringLiteral("Main"), QStringLiteral("PageFileCount"), pageFileCount);
        values = app::startProgram(services, common::programPath());
        pump = std::make_unique<sys::MessagePump>();
        if (routeEvents)
            qApp->installEventFilter(pump.get());
        form = std::make_unique<viewer::FormPicture>(services, values, viewerState, *pump, commandLine);
        if (routeEvents)
            pump->setViewer(
                form.get(), form->Web, [this] { return form->WebFilePath; }, form->WebRigft);
        form->resize(1100, 700);
        form->show();
    }
    ~ViewerUnderTest()
    {
        form.reset();
        qApp->removeEventFilter(pump.get());
    }

    // Runs a script in the viewer's page (in the application world) and waits for its result.
    QVariant evaluate(const QString &script) { return runScript(form->Web, script); }

    // Waits until the page file shows with every picture either loaded or broken.
    bool waitForPictures(int timeoutMs = 20000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            if (evaluate(QStringLiteral("location.protocol == 'file:' && document.readyState == 'complete'"
                                        " && Array.from(document.images).every(i => i.complete)"))
                    .toBool())
                return true;
            velmora::test::serveEvents(20);
        }
        return false;
    }

    viewer::ViewerState viewerState;
    std::unique_ptr<sys::MessagePump> pump;
    std::unique_ptr<viewer::FormPicture> form;
};

}
