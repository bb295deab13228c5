#pragma once

#include "web/PagePolicy.h"

#include <QWebEngineUrlRequestInterceptor>

class QWebEnginePage;

namespace web {

// Refuses every local-file request of one page whose file is a regular file larger than a bound:
// the engine would read such a file whole (a sparse 10 GiB file named ".jpg" costs 10 GB). The
// page itself is unchanged; the picture shows as broken. Only the file's status is read.
class OversizedFileBlocker : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit OversizedFileBlocker(qint64 bound = kLargestPagePicture, QObject *parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    qint64 bound() const { return m_bound; }
    int blockedCount() const { return m_blocked; }

private:
    qint64 m_bound;
    int m_blocked = 0;
};

// Installs a blocker on page, owned by the page.
OversizedFileBlocker *blockOversizedFiles(QWebEnginePage *page, qint64 bound = kLargestPagePicture);

}
