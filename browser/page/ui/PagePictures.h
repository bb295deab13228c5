#pragma once

#include "browser/page/Harvester.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include <deque>
#include <functional>

class QWebEnginePage;

namespace browser::page {

// Asks the page for its picture elements in one round trip; done receives them (none when the page
// does not answer).
void queryPageImages(QWebEnginePage *page, std::function<void(QList<PageImage>)> done);

// Takes pictures as the page has them: fetched inside the page with its cookies and referrer, from
// the engine's cache when the page holds the picture there, so the server is not asked again. The
// bytes come over as they are, without a text encoding. Pictures of another site that does not
// allow the page to read them are not had this way.
class PagePictureFetcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 30000;
    static constexpr int kPollMs = 5;

    explicit PagePictureFetcher(QWebEnginePage *page, QObject *parent = nullptr);

    // done(bytes, true) with the picture's bytes, or ({}, false). Called once, on this thread.
    // Several fetches may be on their way at once; one question to the page collects every one
    // that has arrived. A fetch the page answers with a failure is tried once more, since one can
    // fail for a moment, as when the server closes a kept-alive connection just as the page asks.
    void fetch(const QString &src, std::function<void(const QByteArray &, bool)> done);

private:
    struct Pending {
        int key = 0;
        qint64 startedMs = 0;
        QString src;
        bool retried = false;
        std::function<void(const QByteArray &, bool)> done;
    };
    // Has the page start fetching src; answers the fetch's key.
    int askPage(const QString &src);
    void poll();
    void answered(const QList<int> &keys, const QVariant &answer);

    QPointer<QWebEnginePage> m_page;
    std::deque<Pending> m_pending;
    // A question is on its way to the page, or waits on the timer.
    bool m_polling = false;
    int m_serial = 0;
};

}
