#include "viewer/ui/ScaledPictureRoute.h"

#include "common/FileNames.h"
#include "viewer/thumbs/PagePictures.h"
#include "viewer/thumbs/ScaledCopies.h"
#include "web/ui/PictureScheme.h"

#include <QBuffer>
#include <QFile>
#include <QStringDecoder>
#include <QUrlQuery>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineView>

#include <atomic>
#include <cmath>
#include <memory>

namespace viewer {

namespace {

    constexpr char kHost[] = "local";

    QString readPage(const QString &path)
    {
        QFile file(path);
        // A thumbnail page is small; anything far larger is not one to read for widths.
        if (!file.open(QIODevice::ReadOnly) || file.size() > qint64(64) * 1024 * 1024)
            return {};
        QStringDecoder decoder(QStringDecoder::System);
        return decoder.decode(file.readAll());
    }

}

QUrl pictureSchemeUrl(const QString &path, int deviceWidth)
{
    QUrl url = common::fileUrl(path);
    url.setScheme(QString::fromLatin1(web::kPictureScheme));
    url.setHost(QString::fromLatin1(kHost));
    url.setQuery(QStringLiteral("w=%1").arg(deviceWidth));
    return url;
}

bool parsePictureSchemeUrl(const QUrl &url, QString *path, int *deviceWidth)
{
    if (url.scheme() != QLatin1String(web::kPictureScheme) || url.host() != QLatin1String(kHost))
        return false;
    bool ok = false;
    const int width = QUrlQuery(url).queryItemValue(QStringLiteral("w")).toInt(&ok);
    QUrl file = url;
    file.setScheme(QStringLiteral("file"));
    file.setHost({});
    file.setQuery(QString());
    const QString local = common::localPathFromUrl(file);
    if (!ok || width < 0 || local.isEmpty())
        return false;
    *path = local;
    *deviceWidth = width;
    return true;
}

ScaledPictureInterceptor::ScaledPictureInterceptor(QWebEnginePage *page)
    : web::OversizedFileBlocker(web::kLargestPagePicture, page)
    , m_page(page)
{
}

qreal ScaledPictureInterceptor::deviceScale() const
{
    if (!m_page)
        return 1.0;
    qreal ratio = 1.0;
    if (QWebEngineView *view = QWebEngineView::forPage(m_page))
        ratio = view->devicePixelRatioF();
    return std::max<qreal>(m_page->zoomFactor(), 0.25) * ratio;
}

void ScaledPictureInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    const int blockedBefore = blockedCount();
    web::OversizedFileBlocker::interceptRequest(info);
    const QUrl url = info.requestUrl();
    if (blockedCount() != blockedBefore || !url.isLocalFile())
        return;
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame) {
        m_widths = thumbs::drawnWidths(readPage(common::localPathFromUrl(url)));
        return;
    }
    if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeImage)
        return;
    const auto found = m_widths.constFind(common::localPathFromUrl(url));
    if (found == m_widths.constEnd())
        return;
    const int deviceWidth = int(std::ceil(found.value() * deviceScale() - 1e-6));
    info.redirect(pictureSchemeUrl(found.key(), deviceWidth));
    ++m_redirected;
}

PictureSchemeHandler::PictureSchemeHandler(thumbs::ThumbnailCache cache, QObject *parent)
    : QWebEngineUrlSchemeHandler(parent)
    , m_cache(std::move(cache))
{
    m_pool.setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
}

PictureSchemeHandler::~PictureSchemeHandler()
{
    // Pending work is dropped; work under way finishes before the cache it uses goes.
    m_pool.clear();
    m_pool.waitForDone();
}

void PictureSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    QString path;
    int deviceWidth = 0;
    if (!parsePictureSchemeUrl(job->requestUrl(), &path, &deviceWidth)) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        return;
    }
    QPointer<QWebEngineUrlRequestJob> pending(job);
    // A request the page gave up (it went to another page) is not decoded for nothing.
    auto dropped = std::make_shared<std::atomic_bool>(false);
    connect(job, &QObject::destroyed, this, [dropped] { dropped->store(true); });
    // The handler outlives the work: its destructor waits for the pool.
    m_pool.start([this, pending, dropped, path, deviceWidth] {
        if (dropped->load())
            return;
        thumbs::ServedPicture served = thumbs::servePicture(m_cache, path, deviceWidth);
        // The answer is given on the thread the job lives on; a job the page gave up is gone.
        QMetaObject::invokeMethod(
            this,
            [this, pending, served = std::move(served)]() mutable {
                if (!pending)
                    return;
                if (served.kind == thumbs::ServedPicture::Kind::Refused) {
                    pending->fail(QWebEngineUrlRequestJob::RequestFailed);
                    return;
                }
                ++(served.kind == thumbs::ServedPicture::Kind::ScaledCopy ? m_copies : m_originals);
                auto *buffer = new QBuffer(pending);
                buffer->setData(served.bytes);
                buffer->open(QIODevice::ReadOnly);
                pending->reply(served.mimeType, buffer);
            },
            Qt::QueuedConnection);
    });
}

PictureSchemeHandler *pictureSchemeHandler(QWebEngineProfile *profile)
{
    if (!profile)
        return nullptr;
    return qobject_cast<PictureSchemeHandler *>(
        const_cast<QWebEngineUrlSchemeHandler *>(profile->urlSchemeHandler(QByteArray(web::kPictureScheme))));
}

ScaledPictureInterceptor *serveScaledPictures(QWebEnginePage *page)
{
    if (!page)
        return nullptr;
    QWebEngineProfile *profile = page->profile();
    if (!pictureSchemeHandler(profile))
        profile->installUrlSchemeHandler(
            QByteArray(web::kPictureScheme), new PictureSchemeHandler(thumbs::ThumbnailCache(), profile));
    auto *interceptor = new ScaledPictureInterceptor(page);
    page->setUrlRequestInterceptor(interceptor);
    return interceptor;
}

}
