#pragma once

#include <QUrl>
#include <QWebEnginePage>

#include <functional>

class QWebEngineProfile;

namespace web {

// The page behind every web view of the suite: silent (script dialogs are answered at once as if
// cancelled, console messages are dropped, no error pages are shown) and it opens no new window
// unless its owner hands it one. A refused new window is reported with the address it asked for,
// so the owner can send that address elsewhere (the viewer opens a clicked thumbnail's picture
// with the desktop).
class SilentPage : public QWebEnginePage {
    Q_OBJECT
public:
    // A page on the program's profile (see Profile.h).
    explicit SilentPage(QObject *parent = nullptr);
    SilentPage(QWebEngineProfile *profile, QObject *parent);

    // Decides each new window the page asks for (a link with a target, a script's window.open):
    // answers the page that will show it, or nullptr to refuse it. Without a handler every new
    // window is refused.
    using NewWindowHandler = std::function<QWebEnginePage *(WebWindowType type)>;
    void setNewWindowHandler(NewWindowHandler handler) { m_newWindow = std::move(handler); }

signals:
    // A new window was refused; url is where it would have gone. Reported once per request, when
    // the engine names the address (a window opened without one reports nothing).
    void newWindowRefused(const QUrl &url);

protected:
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(
        const QUrl &securityOrigin, const QString &msg, const QString &defaultValue, QString *result) override;
    void javaScriptConsoleMessage(
        JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber, const QString &sourceID) override;

private:
    void setUp();

    NewWindowHandler m_newWindow;
    QUrl m_requestedUrl;
};

}
