#pragma once

#include "viewer/thumbs/ThumbnailCache.h"
#include "web/ui/OversizedFileBlocker.h"

#include <QHash>
#include <QPointer>
#include <QThreadPool>
#include <QWebEngineUrlSchemeHandler>

class QWebEnginePage;
class QWebEngineProfile;

namespace viewer {

// The request side of the scaled-picture route, on one page: besides refusing oversized files,
// it reads each local page the frame loads for the width it draws every picture at, and sends
// the requests for those pictures to the picture scheme with the width in device pixels (page
// width x zoom x the screen's pixel ratio). Pictures drawn at natural size go there too (width
// 0), so that every picture of the page is checked against the decoding bound.
class ScaledPictureInterceptor : public web::OversizedFileBlocker {
    Q_OBJECT
public:
    explicit ScaledPictureInterceptor(QWebEnginePage *page);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    int redirectedCount() const { return m_redirected; }

private:
    qreal deviceScale() const;

    QPointer<QWebEnginePage> m_page;
    QHash<QString, int> m_widths;
    int m_redirected = 0;
};

// The serving side, one per profile: answers picture-scheme requests from a thread pool with the
// shared cache's scaled copy (made and written back on a miss) or the original.
class PictureSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    explicit PictureSchemeHandler(thumbs::ThumbnailCache cache, QObject *parent = nullptr);
    ~PictureSchemeHandler() override;

    void requestStarted(QWebEngineUrlRequestJob *job) override;

    QThreadPool &pool() { return m_pool; }
    int servedCopies() const { return m_copies; }
    int servedOriginals() const { return m_originals; }

private:
    thumbs::ThumbnailCache m_cache;
    QThreadPool m_pool;
    int m_copies = 0;
    int m_originals = 0;
};

// The scheme address for a picture drawn deviceWidth pixels wide, and back.
QUrl pictureSchemeUrl(const QString &path, int deviceWidth);
bool parsePictureSchemeUrl(const QUrl &url, QString *path, int *deviceWidth);

// Installs the route on page: its interceptor (which also refuses oversized files) and, once per
// profile, the scheme's handler. Answers the interceptor, owned by the page.
ScaledPictureInterceptor *serveScaledPictures(QWebEnginePage *page);
// The profile's handler, or nullptr before serveScaledPictures.
PictureSchemeHandler *pictureSchemeHandler(QWebEngineProfile *profile);

}
