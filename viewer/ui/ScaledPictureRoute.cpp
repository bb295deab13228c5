#include "viewer/ui/ScaledPictureRoute.h"

#include "common/FileNames.h"
#include "viewer/thumbs/PagePictures.h"
#include "viewer/thumbs/ScaledCopies.h"
#include "viewer/thumbs/ScaledDecoder.h"
#include "web/AppScripts.h"
#include "web/ui/PageScripts.h"
#include "web/ui/PictureScheme.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QStringDecoder>
#include <QUrlQuery>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineView>

#include <algorithm>
#include <cmath>

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

    // The zoom in percent an address of the page asks its picture for (see setDocumentZoom).
    constexpr char kZoomKey[] = "velmora-zoom";

    // How many pictures of widths (CSS pixels) one view of size view shows, taking the pictures
    // as landscape photos (3:2) and adding a row below.
    int picturesPerScreen(const QHash<QString, int> &widths, QSize view)
    {
        int widest = 0;
        for (int width : widths)
            widest = std::max(widest, width);
        if (widest <= 0 || view.isEmpty())
            return 4;
        const int perRow = std::max(1, view.width() / widest);
        const int rows = view.height() / std::max(1, widest * 2 / 3) + 2;
        return perRow * rows;
    }

    // The shape of each picture the page draws at a width, as its file states it upright, by src
    // value ("width / height"); pictures whose header cannot be read or is out of bounds are left out.
    QVariantMap statedShapes(const QString &html)
    {
        QVariantMap shapes;
        for (const auto &[source, path] : thumbs::sourcesDrawnAtWidth(html)) {
            QImageReader reader(path);
            reader.setAutoTransform(true);
            QSize size = reader.size();
            if (!size.isValid() || size.isEmpty() || qint64(size.width()) * size.height() > thumbs::kMaxDecodedPixels)
                continue;
            if (reader.transformation().testFlag(QImageIOHandler::TransformationRotate90))
                size.transpose();
            shapes.insert(source, QStringLiteral("%1 / %2").arg(size.width()).arg(size.height()));
        }
        return shapes;
    }

    constexpr char kShapesScript[] = "velmora-picture-shapes";

    // Started pictures kept for a look at the order of the work.
    constexpr qsizetype kStartedKept = 1024;

    // Cache entries are written when a thread has no picture to make; beyond this many bytes of
    // copies waiting to be written, they are written in turn.
    constexpr qsizetype kDeferredStoreBytes = qsizetype(32) * 1024 * 1024;

    // Threads making pictures: one per core, and at least two. Idle threads: as many as the cores
    // kept for the engine while pictures out of view are made.
    int pictureThreads()
    {
        return std::max(2, QThread::idealThreadCount());
    }

    int idlePictureThreads()
    {
        return std::max(1, QThread::idealThreadCount() - 1);
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
    // Asked at most this often while the page scrolls or grows.
    m_inViewAsk.setSingleShot(true);
    m_inViewAsk.setInterval(40);
    connect(&m_inViewAsk, &QTimer::timeout, this, &ScaledPictureInterceptor::askPicturesInView);
    if (!page)
        return;
    const auto ask = [this] {
        if (!m_inViewAsk.isActive())
            m_inViewAsk.start();
    };
    connect(page, &QWebEnginePage::scrollPositionChanged, this, ask);
    connect(page, &QWebEnginePage::contentsSizeChanged, this, ask);
    connect(page, &QWebEnginePage::loadFinished, this, ask);
}

void ScaledPictureInterceptor::askPicturesInView()
{
    PictureSchemeHandler *handler = m_page ? pictureSchemeHandler(m_page->profile()) : nullptr;
    if (!handler || !handler->hasWaiting() || !m_page->url().isLocalFile())
        return;
    // Pictures within one screen above and below the view that have not arrived yet.
    web::runAppScript(
        m_page, QStringLiteral("pictures-in-view"), { 1 }, [handler = QPointer(handler)](const QVariant &answer) {
            if (!handler || answer.typeId() != QMetaType::QVariantList)
                return;
            QSet<QString> paths;
            for (const QVariant &address : answer.toList())
                paths.insert(common::localPathFromUrl(QUrl(address.toString())));
            paths.remove(QString());
            handler->setPicturesInView(std::move(paths));
        });
}

void ScaledPictureInterceptor::layOutBeforeArrival(const QVariantMap &shapes)
{
    QWebEngineScriptCollection &scripts = m_page->scripts();
    for (const QWebEngineScript &old : scripts.find(QString::fromLatin1(kShapesScript)))
        scripts.remove(old);
    if (shapes.isEmpty())
        return;
    QWebEngineScript script;
    script.setName(QString::fromLatin1(kShapesScript));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(web::appScriptCall(QStringLiteral("picture-ratios"), { shapes }));
    scripts.insert(script);
}

void ScaledPictureInterceptor::setDocumentZoom(int percent)
{
    if (percent <= m_askedZoom || !m_page)
        return;
    m_askedZoom = percent;
    QVariantList edges;
    for (auto size :
        { thumbs::ThumbSize::Normal, thumbs::ThumbSize::Large, thumbs::ThumbSize::XLarge, thumbs::ThumbSize::XXLarge })
        edges.append(thumbs::edgeOf(size));
    web::runAppScript(m_page, QStringLiteral("pictures-at-zoom"), { QString::fromLatin1(kZoomKey), percent, edges });
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
    PictureSchemeHandler *handler = m_page ? pictureSchemeHandler(m_page->profile()) : nullptr;
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame) {
        const QString html = readPage(common::localPathFromUrl(url));
        m_widths = thumbs::drawnWidths(html);
        if (handler) {
            handler->dropPreparations();
            handler->setPicturesInView({});
        }
        // The first screen's copies are started while the engine reads the page (and before the
        // headers of all its pictures are read here).
        const QWebEngineView *view = m_page ? QWebEngineView::forPage(m_page) : nullptr;
        m_firstScreenLeft = picturesPerScreen(m_widths, view ? view->size() : QSize(1040, 600));
        m_askedZoom = 100;
        if (handler) {
            const auto sources = thumbs::sourcesDrawnAtWidth(html);
            for (qsizetype i = 0; i < std::min<qsizetype>(sources.size(), m_firstScreenLeft); ++i) {
                const QString &path = sources[i].second;
                handler->prepare(path, int(std::ceil(m_widths.value(path) * deviceScale() - 1e-6)));
            }
        }
        if (m_page)
            layOutBeforeArrival(statedShapes(html));
        return;
    }
    if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeImage)
        return;
    const auto found = m_widths.constFind(common::localPathFromUrl(url));
    if (found == m_widths.constEnd())
        return;
    // A picture asked for again at a zoom (the page's own addresses never carry a query).
    const int zoom = std::clamp(QUrlQuery(url).queryItemValue(QString::fromLatin1(kZoomKey)).toInt(), 100, 1000);
    const int deviceWidth = int(std::ceil(found.value() * deviceScale() * zoom / 100.0 - 1e-6));
    info.redirect(pictureSchemeUrl(found.key(), deviceWidth));
    ++m_redirected;
    if (handler && m_firstScreenLeft > 0) {
        --m_firstScreenLeft;
        handler->addPictureInView(found.key());
    }
}

PictureSchemeHandler::PictureSchemeHandler(thumbs::ThumbnailCache cache, QObject *parent)
    : QWebEngineUrlSchemeHandler(parent)
    , m_cache(std::move(cache))
    , m_queue(pictureThreads(), idlePictureThreads())
{
    m_pool.setMaxThreadCount(pictureThreads());
    m_idlePool.setMaxThreadCount(idlePictureThreads());
    m_idlePool.setThreadPriority(QThread::IdlePriority);
}

PictureSchemeHandler::~PictureSchemeHandler()
{
    // Pictures not made yet are dropped; copies made are still written to the cache, and work
    // under way finishes before the cache it uses goes.
    for (const Pending &pending : std::as_const(m_jobs)) {
        if (pending.dropped)
            pending.dropped->store(true);
    }
    for (StoreLater &store : m_stores) {
        m_pool.start([this, entry = std::move(store.entry)] { m_cache.store(entry.source, entry.size, entry.image); });
    }
    m_idlePool.waitForDone();
    m_pool.waitForDone();
}

void PictureSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    QString path;
    Pending pending;
    if (!parsePictureSchemeUrl(job->requestUrl(), &path, &pending.deviceWidth)) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        return;
    }
    // The copy made ahead for this very request answers it: at once when it is done, else when it
    // is, in its place in the queue.
    if (const auto ready = m_ready.constFind(path);
        ready != m_ready.constEnd() && ready->deviceWidth == pending.deviceWidth) {
        const thumbs::ServedPicture served = ready->served;
        m_ready.erase(ready);
        reply(job, served);
        return;
    }
    if (Pending *prepared = untakenPreparation(path, pending.deviceWidth)) {
        prepared->job = job;
        prepared->prepared = false;
        connect(job, &QObject::destroyed, this, [dropped = prepared->dropped] { dropped->store(true); });
        return;
    }
    pending.job = job;
    pending.path = path;
    // A request the page gave up (it went to another page) is not decoded for nothing.
    pending.dropped = std::make_shared<std::atomic_bool>(false);
    connect(job, &QObject::destroyed, this, [dropped = pending.dropped] { dropped->store(true); });
    m_jobs.emplace(m_queue.add(path), std::move(pending));
    startWaiting();
}

PictureSchemeHandler::Pending *PictureSchemeHandler::untakenPreparation(const QString &path, int deviceWidth)
{
    for (Pending &pending : m_jobs) {
        if (pending.prepared && !pending.job && pending.path == path && pending.deviceWidth == deviceWidth
            && !pending.dropped->load())
            return &pending;
    }
    return nullptr;
}

bool PictureSchemeHandler::hasWaiting() const
{
    return m_queue.waiting() > 0;
}

void PictureSchemeHandler::setPicturesInView(QSet<QString> paths)
{
    m_queue.setInView(std::move(paths));
    startWaiting();
}

void PictureSchemeHandler::addPictureInView(const QString &path)
{
    m_queue.addInView(path);
    startWaiting();
}

void PictureSchemeHandler::prepare(const QString &path, int deviceWidth)
{
    Pending pending;
    pending.path = path;
    pending.deviceWidth = deviceWidth;
    pending.prepared = true;
    pending.dropped = std::make_shared<std::atomic_bool>(false);
    m_jobs.emplace(m_queue.add(path), std::move(pending));
    m_queue.addInView(path);
    startWaiting();
}

void PictureSchemeHandler::dropPreparations()
{
    m_ready.clear();
    for (const Pending &pending : std::as_const(m_jobs)) {
        if (pending.prepared)
            pending.dropped->store(true);
    }
}

void PictureSchemeHandler::startWaiting()
{
    while (const auto request = m_queue.takeNext()) {
        const Pending pending = m_jobs.value(request->ticket);
        if ((!pending.job && !pending.prepared) || !pending.dropped || pending.dropped->load()) {
            m_jobs.remove(request->ticket);
            m_queue.finished(*request);
            continue;
        }
        m_started.append(request->path);
        if (m_started.size() > kStartedKept)
            m_started.remove(0, m_started.size() - kStartedKept);
        // The worker sees only values; the job is answered back on this thread. The handler
        // outlives the work: its destructor waits for the pool.
        QThreadPool &pool = request->idle ? m_idlePool : m_pool;
        pool.start([this, request = *request, deviceWidth = pending.deviceWidth, dropped = pending.dropped] {
            thumbs::ServedPicture served;
            if (!dropped->load())
                served = thumbs::servePicture(
                    m_cache, request.path, deviceWidth, thumbs::Encoding::Compact, thumbs::StoreTiming::AfterAnswer);
            QMetaObject::invokeMethod(
                this, [this, request, served = std::move(served)] { answer(request, served); }, Qt::QueuedConnection);
        });
    }
    startStores();
}

void PictureSchemeHandler::reply(QWebEngineUrlRequestJob *job, const thumbs::ServedPicture &served)
{
    if (served.kind == thumbs::ServedPicture::Kind::Refused) {
        job->fail(QWebEngineUrlRequestJob::RequestFailed);
        return;
    }
    ++(served.kind == thumbs::ServedPicture::Kind::ScaledCopy ? m_copies : m_originals);
    auto *buffer = new QBuffer(job);
    buffer->setData(served.bytes);
    buffer->open(QIODevice::ReadOnly);
    job->reply(served.mimeType, buffer);
}

void PictureSchemeHandler::answer(const thumbs::RequestQueue::Request &request, const thumbs::ServedPicture &served)
{
    const Pending pending = m_jobs.take(request.ticket);
    if (QWebEngineUrlRequestJob *job = pending.job) {
        reply(job, served);
    } else if (pending.prepared && pending.dropped && !pending.dropped->load()) {
        // Made ahead of its request: kept for it (a page's first screen of copies at most).
        thumbs::ServedPicture kept = served;
        kept.toStore.reset();
        m_ready.insert(pending.path, { pending.deviceWidth, std::move(kept) });
    }
    if (!served.toStore) {
        m_queue.finished(request);
        startWaiting();
        return;
    }
    // The cache's PNG is written when a thread has no picture to make, unless too many are
    // already waiting to be written; until then a later request for the picture waits for it.
    m_queue.setAside(request);
    m_storesWaitingBytes += served.toStore->image.sizeInBytes();
    m_stores.append({ request, *served.toStore });
    startWaiting();
}

void PictureSchemeHandler::startStores()
{
    // Held here rather than queued in the pool: a thread done with a picture would otherwise take
    // a waiting entry before the next picture reached the pool.
    while (!m_stores.isEmpty()
        && (m_queue.running() + m_storesRunning < m_pool.maxThreadCount()
            || m_storesWaitingBytes > kDeferredStoreBytes)) {
        StoreLater store = m_stores.takeFirst();
        m_storesWaitingBytes -= store.entry.image.sizeInBytes();
        ++m_storesRunning;
        m_pool.start([this, store = std::move(store)] {
            m_cache.store(store.entry.source, store.entry.size, store.entry.image);
            QMetaObject::invokeMethod(
                this,
                [this, request = store.request] {
                    --m_storesRunning;
                    m_queue.finished(request);
                    startWaiting();
                },
                Qt::QueuedConnection);
        });
    }
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

ScaledPictureInterceptor *scaledPictureInterceptor(QWebEnginePage *page)
{
    return page ? page->findChild<ScaledPictureInterceptor *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void askCopiesAtZoom(QWebEnginePage *page, int percent)
{
    if (ScaledPictureInterceptor *interceptor = scaledPictureInterceptor(page))
        interceptor->setDocumentZoom(percent);
}

}
