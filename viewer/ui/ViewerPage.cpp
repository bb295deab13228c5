#include "viewer/ui/ViewerPage.h"

#include <QPointer>

namespace viewer {

namespace {

    // Stands in for the new window just long enough to learn where it was sent.
    class AddressCatcher : public QWebEnginePage {
    public:
        AddressCatcher(QWebEngineProfile *profile, ViewerPage *opener)
            : QWebEnginePage(profile, opener)
            , m_opener(opener)
        {
        }

    protected:
        bool acceptNavigationRequest(const QUrl &url, NavigationType, bool) override
        {
            if (m_opener && !m_reported) {
                m_reported = true;
                emit m_opener->newWindowRequested(url);
            }
            deleteLater();
            return false;
        }

    private:
        QPointer<ViewerPage> m_opener;
        bool m_reported = false;
    };

}

QWebEnginePage *ViewerPage::createWindow(WebWindowType)
{
    return new AddressCatcher(profile(), this);
}

void ViewerPage::javaScriptAlert(const QUrl &, const QString &) { }

bool ViewerPage::javaScriptConfirm(const QUrl &, const QString &)
{
    return false;
}

bool ViewerPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    return false;
}

void ViewerPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int, const QString &) { }

}
