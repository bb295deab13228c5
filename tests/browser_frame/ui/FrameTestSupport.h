#pragma once

#include "LocalServer.h"
#include "ServicesUnderTest.h"
#include "TestSupport.h"
#include "browser/frame/ui/Frmmain.h"
#include "browser/page/ui/FormWeb.h"
#include "common/SettingsKeys.h"
#include "system/ui/MessagePump.h"
#include "tests/ModalWindows.h"
#include "web/ui/SilentPage.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineScript>

#include <functional>
#include <gtest/gtest.h>

namespace velmora::test {

// Pages every browser window test may open.
inline LocalServer &browserTestServer()
{
    static LocalServer *server = [] {
        auto *s = new LocalServer;
        s->page("/one",
            QStringLiteral("<html><head><title>Page One</title></head><body>"
                           "<a id=pop href='/two' target='_blank' style='display:block;width:400px;"
                           "height:200px;background:#cce'>pop-up</a><p>第一页的文字</p></body></html>"));
        s->page("/two", QStringLiteral("<html><head><title>Page Two</title></head><body>two</body></html>"));
        s->page("/three", QStringLiteral("<html><head><title>Page Three</title></head><body>three</body></html>"));
        s->page("/script",
            QStringLiteral("<html><head><title>Quiet</title></head><body>"
                           "<img src='/a.png' width=20 height=20><img src='/b.png' width=20 height=20>"
                           "<script>document.title = 'script ran';</script></body></html>"));
        s->page("/tall",
            QStringLiteral("<html><head><title>Tall</title></head><body>"
                           "<div style='height:20000px'>top</div>"
                           "</body></html>"));
        s->page("/video",
            QStringLiteral("<html><head><title>Film</title></head><body>"
                           "<video src='/film.mp4' autoplay muted preload=auto></video></body></html>"));
        s->page("/video2",
            QStringLiteral("<html><head><title>Film Two</title></head><body>"
                           "<video src='/film2.mp4' autoplay muted preload=auto></video>"
                           "<object data='/thing.swf' type='application/x-shockwave-flash'></object>"
                           "</body></html>"));
        s->serve("/film.mp4", std::string(4096, '\0'), "video/mp4");
        s->serve("/film2.mp4", std::string(4096, '\0'), "video/mp4");
        return s;
    }();
    return *server;
}

// Waits until `condition` holds, at most `ms` milliseconds, serving events meanwhile.
template <typename Condition> bool waitFor(Condition condition, int ms = 20000)
{
    return velmora::test::waitUntil(condition, ms);
}

// Runs `script` in the application world of `page` and answers its result.
inline QVariant appWorld(QWebEnginePage *page, const QString &script)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    waitFor([&] { return done; }, 10000);
    return result;
}

// A frame on the test server's pages with its own data folder.
class FrameFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(data.isValid());
        s.values.DataFolder = data.path() + QLatin1Char('/');
        s.values.DownloadFolder = s.values.DataFolder + QStringLiteral("Download/");
        QDir().mkpath(s.values.DownloadFolder);
        s.settings.save(common::keys::kSetup, common::keys::kHomepage, server().url("/one"));
    }
    void TearDown() override
    {
        if (frame) {
            frame->close();
            delete frame.data();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static LocalServer &server() { return browserTestServer(); }

    browser::frame::Frmmain &open()
    {
        frame = new browser::frame::Frmmain(s.services, s.values, pump);
        return *frame;
    }
    // The label text of the tab at `position`.
    QString labelAt(int position) const
    {
        const QLineEdit *label = frame->tabLabel(frame->tabs().slotAt(position));
        return label ? label->text() : QString();
    }
    bool loaded(int position, const QString &title) const { return labelAt(position) == title; }
    // Labels drawn white (the active one).
    int whiteLabels() const
    {
        int white = 0;
        for (int slot : frame->tabs().slotsInOrder()) {
            const QLineEdit *label = frame->tabLabel(slot);
            if (label && label->palette().color(QPalette::Base) == QColor(Qt::white))
                ++white;
        }
        return white;
    }

    ServicesUnderTest s;
    sys::MessagePump pump;
    QTemporaryDir data;
    QPointer<browser::frame::Frmmain> frame;
};

}
