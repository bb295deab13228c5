#include "web/ui/OversizedFileBlocker.h"

#include <QWebEnginePage>

namespace web {

OversizedFileBlocker::OversizedFileBlocker(qint64 bound, QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent)
    , m_bound(bound)
{
}

void OversizedFileBlocker::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    const QUrl url = info.requestUrl();
    if (!url.isLocalFile())
        return;
    if (isOversizedFile(url.toLocalFile(), m_bound)) {
        info.block(true);
        ++m_blocked;
    }
}

OversizedFileBlocker *blockOversizedFiles(QWebEnginePage *page, qint64 bound)
{
    if (!page)
        return nullptr;
    auto *blocker = new OversizedFileBlocker(bound, page);
    page->setUrlRequestInterceptor(blocker);
    return blocker;
}

}
