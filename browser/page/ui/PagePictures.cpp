#include "browser/page/ui/PagePictures.h"

#include "web/ui/PageScripts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThreadPool>
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
    poll(key, QDateTime::currentMSecsSinceEpoch(), std::move(done));
}

void PagePictureFetcher::poll(int key, qint64 startedMs, std::function<void(const QByteArray &, bool)> done)
{
    if (!m_page) {
        done({}, false);
        return;
    }
    QPointer<PagePictureFetcher> self(this);
    web::runAppScript(m_page, QStringLiteral("picture-take"), { key }, [self, key, startedMs, done](const QVariant &v) {
        if (!self)
            return;
        if (v.typeId() == QMetaType::Bool && !v.toBool()) {
            if (QDateTime::currentMSecsSinceEpoch() - startedMs > kTimeoutMs) {
                done({}, false);
                return;
            }
            QTimer::singleShot(kPollMs, self, [self, key, startedMs, done] { self->poll(key, startedMs, done); });
            return;
        }
        // A large picture's text is turned back into bytes beside the event loop.
        QThreadPool::globalInstance()->start([self, done, text = v.toString()] {
            QByteArray bytes;
            const qsizetype comma = text.indexOf(QLatin1Char(','));
            if (text.startsWith(QLatin1String("data:")) && comma >= 0
                && QStringView(text).left(comma).endsWith(QLatin1String(";base64"))) {
                const auto decoded = QByteArray::fromBase64Encoding(
                    QStringView(text).mid(comma + 1).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
                if (decoded)
                    bytes = decoded.decoded;
            }
            QMetaObject::invokeMethod(
                qApp,
                [self, done, bytes] {
                    if (self)
                        done(bytes, !bytes.isEmpty());
                },
                Qt::QueuedConnection);
        });
    });
}

}
