#include "web/ui/SilentPage.h"

#include "web/ui/Profile.h"

#include <QPointer>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineSettings>

#include <utility>

namespace web {

namespace {

    // Stands in for a refused new window just long enough to learn where it was sent.
    class AddressCatcher : public QWebEnginePage {
    public:
        AddressCatcher(QWebEngineProfile *profile, SilentPage *opener)
            : QWebEnginePage(profile, opener)
            , m_opener(opener)
        {
        }

    protected:
        bool acceptNavigationRequest(const QUrl &url, NavigationType, bool) override
        {
            if (m_opener && !m_reported) {
                m_reported = true;
                emit m_opener->newWindowRefused(url);
            }
            deleteLater();
            return false;
        }

    private:
        QPointer<SilentPage> m_opener;
        bool m_reported = false;
    };

}

SilentPage::SilentPage(QObject *parent)
    : QWebEnginePage(programProfile(), parent)
{
    setUp();
}

SilentPage::SilentPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile ? profile : programProfile(), parent)
{
    setUp();
}

void SilentPage::setUp()
{
    settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    // The engine names the address in this signal just before it asks createWindow() for a page.
    connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest &request) {
        m_requestedUrl = request.requestedUrl();
    });
}

QWebEnginePage *SilentPage::createWindow(WebWindowType type)
{
    const QUrl requested = std::exchange(m_requestedUrl, QUrl());
    if (m_newWindow) {
        if (QWebEnginePage *page = m_newWindow(type))
            return page;
    }
    if (requested.isValid()) {
        emit newWindowRefused(requested);
        return nullptr;
    }
    // Without a named address, a stand-in page learns it from its first navigation.
    return new AddressCatcher(profile(), this);
}

void SilentPage::javaScriptAlert(const QUrl &, const QString &) { }

bool SilentPage::javaScriptConfirm(const QUrl &, const QString &)
{
    return false;
}

bool SilentPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    return false;
}

void SilentPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int, const QString &) { }

}
