#include "web/ui/PageScripts.h"

#include "web/AppScripts.h"

#include <QWebEnginePage>
#include <QWebEngineScript>

namespace web {

void runAppScript(QWebEnginePage *page,
    const QString &name,
    const QVariantList &args,
    const std::function<void(const QVariant &)> &done)
{
    const QString call = appScriptCall(name, args);
    if (!page || call.isEmpty()) {
        if (done)
            done({});
        return;
    }
    page->runJavaScript(call, QWebEngineScript::ApplicationWorld, done);
}

void zoomPage(QWebEnginePage *page, int percent)
{
    runAppScript(page, QStringLiteral("zoom"), { percent });
}

void scrollPage(QWebEnginePage *page, int dx, int dy)
{
    runAppScript(page, QStringLiteral("scroll"), { dx, dy });
}

}
