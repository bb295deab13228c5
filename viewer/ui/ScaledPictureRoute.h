#pragma once

#include "viewer/thumbs/RequestQueue.h"
#include "viewer/thumbs/ScaledCopies.h"
#include "viewer/thumbs/ThumbnailCache.h"
#include "web/ui/OversizedFileBlocker.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QThreadPool>
#include <QTimer>
#include <QWebEngineUrlSchemeHandler>

#include <atomic>
#include <memory>

class QWebEnginePage;
class QWebEngineProfile;

namespace viewer {

// The request side of the scaled-picture route, on one page: besides refusing oversized files,
// it reads each local page the frame loads for the width it draws every picture at, and sends
// the requests for those pictures to the picture scheme with the width in device pixels (page
// width x zoom x the screen's pixel ratio). Pictures drawn at natural size go there too (width
// 0), so that every picture of the page is checked against the decoding bound.
//
// Until a picture arrives, the page lays it out at the shape its file states, so that rows keep
// their places while pictures come. It also tells the scheme's handler which pictures the page shows in and near its
// view, so that those are made first: the first requests of a page that can fill one screen until the page has been
// laid out, then what the page answers, after each scroll or change of its size, when asked which of its unfinished
// pictures lie within a screen of the view.
class ScaledPictureInterceptor : public web::OversizedFileBlocker {
    Q_OBJECT
public:
    explicit ScaledPictureInterceptor(QWebEnginePage *page);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    int redirectedCount() const { return m_redirected; }

    // The document is now drawn at percent of its size (its body's zoom). Above 100, every
    // picture drawn at a given width is asked for again, so that it gets a copy as large as it is
    // now drawn; the page's addresses and layout stay as they are.
    void setDocumentZoom(int percent);

private:
    qreal deviceScale() const;
    void askPicturesInView();
    // Lays the page's pictures out at the shapes their files state until they arrive.
    void layOutBeforeArrival(const QVariantMap &shapes);

    QPointer<QWebEnginePage> m_page;
    QHash<QString, int> m_widths;
    int m_redirected = 0;
    int m_firstScreenLeft = 0; // requests still taken as the first screen's
    int m_askedZoom = 100;
    QTimer m_inViewAsk;
};

// The serving side, one per profile: answers picture-scheme requests from a thread pool with the
// shared cache's scaled copy (made and written back on a miss) or the original.
class PictureSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    explicit PictureSchemeHandler(thumbs::ThumbnailCache cache, QObject *parent = nullptr);
    ~PictureSchemeHandler() override;

    void requestStarted(QWebEngineUrlRequestJob *job) override;

    int servedCopies() const { return m_copies; }
    int servedOriginals() const { return m_originals; }
    // Paths in the order their pictures were started, the last 1024 (to look at the order of work).
    const QStringList &startedOrder() const { return m_started; }

    // The pictures now in or near a page's view: waiting requests for them go first, in the order
    // they came. Replaces the last set given.
    void setPicturesInView(QSet<QString> paths);
    // Adds one picture to that set (a request taken as the first screen's).
    void addPictureInView(const QString &path);
    // Whether requests wait for a free thread.
    bool hasWaiting() const;

    // Makes the copy of a picture a page is about to ask for, before it asks, so that its request
    // finds it in the cache (or waits for it). Taken as in view.
    void prepare(const QString &path, int deviceWidth);
    // Drops the preparations not started yet, and those made that no request took (the page they
    // were for is gone).
    void dropPreparations();

private:
    struct Pending {
        QPointer<QWebEngineUrlRequestJob> job;
        std::shared_ptr<std::atomic_bool> dropped;
        QString path;
        int deviceWidth = 0;
        bool prepared = false; // made before any request, answered to nobody (yet)
    };
    // A preparation of path at deviceWidth, waiting or under way, that no request has taken yet.
    Pending *untakenPreparation(const QString &path, int deviceWidth);
    void startWaiting();
    void startStores();
    void reply(QWebEngineUrlRequestJob *job, const thumbs::ServedPicture &served);
    // The copy is made: its request is answered, and its cache entry written once threads are idle.
    void answer(const thumbs::RequestQueue::Request &request, const thumbs::ServedPicture &served);

    thumbs::ThumbnailCache m_cache;
    QThreadPool m_pool;
    QThreadPool m_idlePool; // of the lowest priority: pictures out of view, in time nothing else wants
    thumbs::RequestQueue m_queue;
    QHash<quint64, Pending> m_jobs; // by ticket, waiting or under way
    struct Ready {
        int deviceWidth = 0;
        thumbs::ServedPicture served;
    };
    QHash<QString, Ready> m_ready; // preparations done before their request came, by path
    QStringList m_started;
    int m_copies = 0;
    int m_originals = 0;
    struct StoreLater {
        thumbs::RequestQueue::Request request;
        thumbs::EntryToStore entry;
    };
    QList<StoreLater> m_stores; // cache entries to write, in the order made
    qsizetype m_storesWaitingBytes = 0;
    int m_storesRunning = 0;
};

// The scheme address for a picture drawn deviceWidth pixels wide, and back.
QUrl pictureSchemeUrl(const QString &path, int deviceWidth);
bool parsePictureSchemeUrl(const QUrl &url, QString *path, int *deviceWidth);

// Installs the route on page: its interceptor (which also refuses oversized files) and, once per
// profile, the scheme's handler. Answers the interceptor, owned by the page.
ScaledPictureInterceptor *serveScaledPictures(QWebEnginePage *page);
// The route's interceptor on page (nullptr without one), and its setDocumentZoom.
ScaledPictureInterceptor *scaledPictureInterceptor(QWebEnginePage *page);
void askCopiesAtZoom(QWebEnginePage *page, int percent);
// The profile's handler, or nullptr before serveScaledPictures.
PictureSchemeHandler *pictureSchemeHandler(QWebEngineProfile *profile);

}
