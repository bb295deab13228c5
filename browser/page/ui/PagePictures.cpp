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
    const int key = askPage(src);
    m_pending.push_back({ key, QDateTime::currentMSecsSinceEpoch(), src, false, std::move(done) });
    if (!m_polling) {
        m_polling = true;
        QTimer::singleShot(kPollMs, this, &PagePictureFetcher::poll);
    }
}

int PagePictureFetcher::askPage(const QString &src)
{
    const int key = ++m_serial;
    web::runAppScript(m_page, QStringLiteral("picture-fetch"), { src, key });
    return key;
}

void PagePictureFetcher::poll()
{
    QList<int> keys;
    QVariantList args;
    for (const Pending &pending : m_pending) {
        keys << pending.key;
        args << pending.key;
    }
    if (keys.isEmpty() || !m_page) {
        answered(keys, {});
        return;
    }
    QPointer<PagePictureFetcher> self(this);
    web::runAppScript(m_page, QStringLiteral("picture-take"), { QVariant(args) }, [self, keys](const QVariant &answer) {
        if (self)
            self->answered(keys, answer);
    });
}

void PagePictureFetcher::answered(const QList<int> &keys, const QVariant &answer)
{
    const QVariantList answers = answer.toList();
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    std::vector<std::pair<std::function<void(const QByteArray &, bool)>, QByteArray>> arrived;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        const qsizetype at = keys.indexOf(it->key);
        const QVariant one = at >= 0 && at < answers.size() ? answers[at] : QVariant();
        const bool onItsWay = at >= 0 && one.typeId() == QMetaType::Bool && !one.toBool();
        // A fetch asked for after the question was put waits for the next one.
        if ((at < 0 && m_page) || (onItsWay && nowMs - it->startedMs <= kTimeoutMs)) {
            ++it;
            continue;
        }
        QByteArray bytes = one.typeId() == QMetaType::QByteArray ? one.toByteArray() : QByteArray();
        if (bytes.isEmpty() && at >= 0 && !onItsWay && !it->retried && m_page) {
            it->retried = true;
            it->key = askPage(it->src);
            it->startedMs = nowMs;
            ++it;
            continue;
        }
        arrived.emplace_back(std::move(it->done), std::move(bytes));
        it = m_pending.erase(it);
    }
    m_polling = !m_pending.empty();
    if (m_polling)
        QTimer::singleShot(kPollMs, this, &PagePictureFetcher::poll);
    for (auto &[done, bytes] : arrived)
        done(bytes, !bytes.isEmpty());
}

}
