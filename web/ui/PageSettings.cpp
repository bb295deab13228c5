#include "web/ui/PageSettings.h"

#include <QWebEnginePage>
#include <QWebEngineSettings>

namespace web {

void applyGeneratedPagePolicy(QWebEnginePage *page, const GeneratedPagePolicy &policy)
{
    if (!page)
        return;
    QWebEngineSettings *settings = page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, policy.pageScripts);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, policy.localFilesReachable);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    if (!policy.textEncoding.isEmpty())
        settings->setDefaultTextEncoding(policy.textEncoding);
}

}
