#pragma once

#include <QWebEnginePage>

namespace slideshow {

// The background-music page: silent (no script dialogs, no error pages) and never opens a
// new window.
class MusicPage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit MusicPage(QObject *parent = nullptr);

protected:
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(
        const QUrl &securityOrigin, const QString &msg, const QString &defaultValue, QString *result) override;
    void javaScriptConsoleMessage(
        JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber, const QString &sourceID) override;
};

}
