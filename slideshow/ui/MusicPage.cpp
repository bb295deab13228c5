#include "MusicPage.h"

#include <QWebEngineSettings>

namespace slideshow {

MusicPage::MusicPage(QObject *parent)
    : QWebEnginePage(parent)
{
    settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
}

QWebEnginePage *MusicPage::createWindow(WebWindowType)
{
    return nullptr;
}

void MusicPage::javaScriptAlert(const QUrl &, const QString &) { }

bool MusicPage::javaScriptConfirm(const QUrl &, const QString &)
{
    return false;
}

bool MusicPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    return false;
}

void MusicPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int, const QString &) { }

}
