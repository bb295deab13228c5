#include "browser/page/ui/PagePictures.h"

#include "web/ui/PageScripts.h"

#include <QDateTime>
#include <QTimer>
#include <QWebEnginePage>

namespace browser::page {

void queryPageImages(QWebEnginePage *page, std::function<void(QList<PageImage>)> done)
{
    web::runAppScript(
        page, QStringLiteral("page-images"), {}, [done](const QVariant &answer) { done(parsePageImages(answer)); });
}

PagePictureFetcher::PagePictureFetcher(QWebEnginePage *page, QObject *parent)
    : QObject(parent)
    , m_page(page)
{
}

void PagePictureFetcher::fetch(const QString &src, std::function<void(const QByteArray &, bool)> done)
{
    if (!m_page) {
        done({}, false);
        return;
    }
    const int key = ++m_serial;
    web::runAppScript(m_page, QStringLiteral("picture-fetch"), { src, key });
    m_pending.push_back({ key, QDateTime::currentMSecsSinceEpoch(), std::move(done) });
    if (!m_asking && !m_waiting)
        poll();
}

void PagePictureFetcher::poll()
{
    m_waiting = false;
    if (m_pending.empty())
        return;
    if (!m_page) {
        // The page went: every fetch still on its way fails, in order.
        while (!m_pending.empty()) {
            auto done = std::move(m_pending.front().done);
            m_pending.pop_front();
            done({}, false);
        }
        return;
    }
    m_asking = true;
    const int key = m_pending.front().key;
    QPointer<PagePictureFetcher> self(this);
    web::runAppScript(m_page, QStringLiteral("picture-take"), { key }, [self, key](const QVariant &answer) {
        if (self)
            self->answered(key, answer);
    });
}

void PagePictureFetcher::answered(int key, const QVariant &answer)
{
    m_asking = false;
    if (m_pending.empty() || m_pending.front().key != key)
        return;
    Pending &head = m_pending.front();
    const bool onItsWay = answer.typeId() == QMetaType::Bool && !answer.toBool();
    if (onItsWay && QDateTime::currentMSecsSinceEpoch() - head.startedMs <= kTimeoutMs) {
        pollLater();
        return;
    }
    QByteArray bytes;
    if (answer.typeId() == QMetaType::QByteArray)
        bytes = answer.toByteArray();
    auto done = std::move(head.done);
    m_pending.pop_front();
    // The next fetch is asked for at once: it has usually arrived meanwhile.
    if (!m_pending.empty())
        poll();
    done(bytes, !bytes.isEmpty());
}

void PagePictureFetcher::pollLater()
{
    m_waiting = true;
    QTimer::singleShot(kPollMs, this, &PagePictureFetcher::poll);
}

}
