#pragma once

#include "browser/page/HeaderBlock.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace browser::page {

class PartFile;

// Fetches one address over HTTP or HTTPS into one file, with the response headers available
// before the body is read and progress reported by signals. Nothing here blocks the event loop:
// the transfer runs on libcurl's multi interface, driven by socket notifiers and a timer.
//
// Order of use: URL(), SaveFile(), Execute(); when executed(true) arrives the headers are read
// and GetHeader() answers; then StartDownLoad() transfers the body: GetData() after every read,
// one last GetData() with the final total when the body has ended, then DownLoadOver() once the
// file is in place. Cancel() may be called at any time, also from a GetData() handler.
//
// The body is written to a new file beside the target and renamed over it when complete, so the
// target appears whole and an older, longer file is replaced entirely. On a failure, a cancel or
// the size limit the new file is removed and the target stays as it was.
//
// Safety: only http and https, redirects included (at most 10); a 15 s connect timeout; a
// transfer slower than 1 byte/s for stallSeconds() is ended; certificates are verified; no
// proxy; every request goes to the server, never to a cache.
class DownLoad : public QObject {
    Q_OBJECT
public:
    explicit DownLoad(QObject *parent = nullptr);
    ~DownLoad() override;

    static inline const char *const kAgent = "Fetchr";
    static constexpr int kMaxRedirects = 10;
    static constexpr int kConnectTimeoutSeconds = 15;
    static constexpr int kDefaultStallSeconds = 30;
    // The limit for picture fetches.
    static constexpr qint64 kPictureByteLimit = qint64(200) * 1024 * 1024;

    void URL(const QString &address) { m_url = address; }
    void SaveFile(const QString &path) { m_saveFile = path; }
    // Keeps the body in memory (body()) instead of a file; SaveFile is then not used.
    void keepInMemory(bool on) { m_inMemory = on; }
    // The largest body accepted, in bytes; a negative value (the default) sets no limit.
    void setMaxBytes(qint64 bytes) { m_maxBytes = bytes; }
    // The time below 1 byte/s after which a transfer is ended.
    void setStallSeconds(int seconds) { m_stallSeconds = seconds; }
    int stallSeconds() const { return m_stallSeconds; }
    // A new file only: the body is not put in place when a file of that name exists by then.
    void setReplaceExisting(bool on) { m_replaceExisting = on; }

    // Opens the connection and reads the response headers; executed() tells the outcome, always
    // later from the event loop.
    void Execute();
    // One value of the headers read by Execute (see headerValue()). On an object that is not
    // active it cancels and answers "0".
    QString GetHeader(const QString &name);
    // Starts writing the body into the save file; false (after Cancel) when the object is not
    // active or the headers have not arrived yet. The file is opened here: when it cannot be,
    // ErrMassage() follows from the event loop.
    bool StartDownLoad();
    // Ends the transfer; a file being written is removed. No signal follows.
    void Cancel();

    bool isActive() const { return m_active; }
    // The body when kept in memory.
    const QByteArray &body() const { return m_body; }
    // Bytes of the body received so far.
    qint64 total() const { return m_total; }
    // The status code of the response whose headers were read (200, 404, ...); 0 before.
    int statusCode() const { return m_stage == Stage::Connecting ? 0 : m_status; }

    // The messages of ErrMassage().
    static QString noConnectionMessage() { return QStringLiteral("无法创建连接"); }
    static QString noServerMessage() { return QStringLiteral("无法连接服务器"); }
    static QString fileInUseMessage(const QString &path);
    static QString tooLargeMessage(qint64 limit);

signals:
    // Execute() ended: true with the headers read, false after ErrMassage().
    void executed(bool ok);
    // Bytes written so far, after every read.
    void GetData(qint64 Progress);
    void ErrMassage(QString Description);
    // The whole body is in the save file.
    void DownLoadOver();

private:
    enum class Stage { Idle, Connecting, HeadersRead, Transferring };

    friend struct CurlCallbacks;

    bool setUpTransfer();
    void watchSocket(int socket, int what);
    void drive(int socket, int eventMask);
    // Reports what the last round of libcurl work produced.
    void afterRound();
    void transferDone(int result);
    void finishBody();
    void fail(const QString &message);
    // Runs step from the event loop unless the transfer has ended or been replaced by then.
    void later(std::function<void()> step);
    // Ends the transfer: no queued step of it runs any more.
    void endTransfer();
    void releaseHandles();

    QString m_url;
    QString m_saveFile;
    bool m_active = false;
    void *m_multi = nullptr; // CURLM
    void *m_easy = nullptr; // CURL
    void *m_requestHeaders = nullptr; // curl_slist
    QString m_headers;
    int m_headerLength = 0;
    bool m_headersRead = false;

    HeaderBlockBuilder m_headerLines;
    Stage m_stage = Stage::Idle;
    bool m_inMemory = false;
    bool m_replaceExisting = true;
    qint64 m_maxBytes = -1;
    int m_stallSeconds = kDefaultStallSeconds;
    qint64 m_total = 0;
    qint64 m_reported = -1;
    bool m_tooLarge = false;
    bool m_writeFailed = false;
    bool m_doneWhilePaused = false;
    bool m_paused = false;
    bool m_headersComplete = false;
    int m_status = 0;
    // Counts Execute and Cancel calls, so steps queued for an older transfer do nothing.
    quint64 m_generation = 0;
    QByteArray m_body;
    std::unique_ptr<PartFile> m_file;
    QTimer *m_timer = nullptr;
    struct Watch {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };
    QHash<int, Watch> m_watches;
};

}
