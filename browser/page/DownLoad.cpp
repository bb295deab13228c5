#include "browser/page/DownLoad.h"

#include <QFile>
#include <QPointer>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace browser::page {

// A new file beside the target that takes the body, put in place only when it is complete.
class PartFile {
public:
    PartFile() = default;
    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;
    ~PartFile() { discard(); }

    // False when the target is something other than a regular file, or its folder takes no
    // new file.
    bool open(const QString &target)
    {
        m_target = QFile::encodeName(target);
        if (m_target.isEmpty() || m_target.endsWith('/'))
            return false;
        struct stat st { };
        if (::stat(m_target.constData(), &st) == 0 && !S_ISREG(st.st_mode))
            return false;
        const qsizetype cut = m_target.lastIndexOf('/');
        const QByteArray folder = cut < 0 ? QByteArray("./") : m_target.left(cut + 1);
        const QByteArray name = m_target.mid(cut + 1).left(200);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray candidate = folder + '.' + name + '.'
                + QByteArray::number(QRandomGenerator::global()->bounded(0x7FFFFFFF), 36) + ".part";
            m_fd = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (m_fd >= 0) {
                m_path = candidate;
                return true;
            }
            if (errno != EEXIST)
                return false;
        }
        return false;
    }

    bool write(const char *data, size_t size)
    {
        while (size > 0) {
            const ssize_t written = ::write(m_fd, data, size);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            data += written;
            size -= size_t(written);
        }
        return true;
    }

    // Closes the file and renames it over the target; with replaceExisting false an existing
    // target is kept and the call fails.
    bool commit(bool replaceExisting)
    {
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0 && errno != EINTR)
            return false;
        if (replaceExisting) {
            if (::rename(m_path.constData(), m_target.constData()) != 0)
                return false;
        } else {
            // link() never replaces: a file that appeared meanwhile keeps its name.
            if (::link(m_path.constData(), m_target.constData()) != 0)
                return false;
            ::unlink(m_path.constData());
        }
        m_path.clear();
        return true;
    }

    void discard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        if (!m_path.isEmpty())
            ::unlink(m_path.constData());
        m_path.clear();
    }

private:
    QByteArray m_target;
    QByteArray m_path;
    int m_fd = -1;
};

struct CurlCallbacks {
    static int socket(CURL *, curl_socket_t socket, int what, void *self, void *)
    {
        static_cast<DownLoad *>(self)->watchSocket(int(socket), what);
        return 0;
    }

    static int timer(CURLM *, long timeoutMs, void *self)
    {
        QTimer *timer = static_cast<DownLoad *>(self)->m_timer;
        if (timeoutMs < 0)
            timer->stop();
        else
            timer->start(int(qMin<long>(timeoutMs, 24L * 3600 * 1000)));
        return 0;
    }

    static size_t header(char *data, size_t size, size_t count, void *selfPointer)
    {
        auto *self = static_cast<DownLoad *>(selfPointer);
        const size_t bytes = size * count;
        self->m_headerLines.addLine(std::string_view(data, bytes));
        if (self->m_headerLines.complete()) {
            const int status = self->m_headerLines.statusCode();
            // Interim answers and redirects that are followed are not the response.
            const bool interim = status >= 100 && status < 200;
            const bool followed = status >= 300 && status < 400 && self->m_headerLines.hasLocation();
            if (!interim && !followed)
                self->m_headersComplete = true;
        }
        return bytes;
    }

    static size_t body(char *data, size_t size, size_t count, void *selfPointer)
    {
        auto *self = static_cast<DownLoad *>(selfPointer);
        const size_t bytes = size * count;
        self->m_headersComplete = true;
        if (self->m_stage != DownLoad::Stage::Transferring) {
            // The body waits until StartDownLoad asks for it.
            self->m_paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        if (self->m_maxBytes >= 0 && self->m_total + qint64(bytes) > self->m_maxBytes) {
            self->m_tooLarge = true;
            return 0;
        }
        if (self->m_inMemory)
            self->m_body.append(data, qsizetype(bytes));
        else if (!self->m_file || !self->m_file->write(data, bytes)) {
            self->m_writeFailed = true;
            return 0;
        }
        self->m_total += qint64(bytes);
        return bytes;
    }
};

namespace {
    struct CurlGlobal {
        CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    };
}

DownLoad::DownLoad(QObject *parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
{
    static CurlGlobal global;
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] { drive(CURL_SOCKET_TIMEOUT, 0); });
}

DownLoad::~DownLoad()
{
    releaseHandles();
    if (m_multi)
        curl_multi_cleanup(static_cast<CURLM *>(m_multi));
}

QString DownLoad::fileInUseMessage(const QString &path)
{
    return QStringLiteral("文件") + path + QStringLiteral("正在使用,无法进行操作");
}

QString DownLoad::tooLargeMessage(qint64 limit)
{
    return QStringLiteral("文件超过 %1 字节,已停止下载").arg(limit);
}

void DownLoad::Execute()
{
    Cancel();
    m_active = true;
    m_headers.clear();
    m_headerLength = 0;
    m_headersRead = false;
    m_headerLines = HeaderBlockBuilder();
    m_headersComplete = false;
    m_status = 0;
    m_total = 0;
    m_reported = -1;
    m_tooLarge = false;
    m_writeFailed = false;
    m_doneWhilePaused = false;
    m_paused = false;
    m_body.clear();
    m_stage = Stage::Connecting;
    if (!m_multi) {
        m_multi = curl_multi_init();
        if (m_multi) {
            curl_multi_setopt(static_cast<CURLM *>(m_multi), CURLMOPT_SOCKETFUNCTION, &CurlCallbacks::socket);
            curl_multi_setopt(static_cast<CURLM *>(m_multi), CURLMOPT_SOCKETDATA, this);
            curl_multi_setopt(static_cast<CURLM *>(m_multi), CURLMOPT_TIMERFUNCTION, &CurlCallbacks::timer);
            curl_multi_setopt(static_cast<CURLM *>(m_multi), CURLMOPT_TIMERDATA, this);
        }
    }
    if (!m_multi || !(m_easy = curl_easy_init())) {
        later([this] { fail(noConnectionMessage()); });
        return;
    }
    if (!setUpTransfer()) {
        later([this] { fail(noServerMessage()); });
        return;
    }
}

bool DownLoad::setUpTransfer()
{
    const QUrl url(m_url);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;
    CURL *easy = static_cast<CURL *>(m_easy);
    const QByteArray address = url.toEncoded();
    curl_easy_setopt(easy, CURLOPT_URL, address.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, long(kMaxRedirects));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kAgent);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, long(kConnectTimeoutSeconds));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, long(qMax(1, m_stallSeconds)));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 256L * 1024);
    if (m_maxBytes >= 0)
        curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(m_maxBytes));
    // Always from the server, never a cached copy on the way.
    curl_slist *headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    m_requestHeaders = headers;
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlCallbacks::header);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlCallbacks::body);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    return curl_multi_add_handle(static_cast<CURLM *>(m_multi), easy) == CURLM_OK;
}

QString DownLoad::GetHeader(const QString &name)
{
    if (!m_active) {
        Cancel();
        return QStringLiteral("0");
    }
    return headerValue(m_headers, name);
}

bool DownLoad::StartDownLoad()
{
    if (!m_active) {
        Cancel();
        return false;
    }
    if (m_stage != Stage::HeadersRead)
        return false;
    if (!m_inMemory) {
        m_file = std::make_unique<PartFile>();
        if (!m_file->open(m_saveFile)) {
            const QString message = fileInUseMessage(m_saveFile);
            Cancel();
            const quint64 generation = m_generation;
            QTimer::singleShot(0, this, [this, generation, message] {
                if (generation == m_generation)
                    emit ErrMassage(message);
            });
            return false;
        }
    }
    m_stage = Stage::Transferring;
    if (m_doneWhilePaused) {
        later([this] { finishBody(); });
        return true;
    }
    if (m_paused) {
        m_paused = false;
        // May hand over the held body at once; it is reported from the event loop.
        curl_easy_pause(static_cast<CURL *>(m_easy), CURLPAUSE_CONT);
    }
    later([this] { afterRound(); });
    return true;
}

void DownLoad::Cancel()
{
    m_active = false;
    m_stage = Stage::Idle;
    endTransfer();
}

void DownLoad::endTransfer()
{
    ++m_generation;
    releaseHandles();
    if (m_file)
        m_file->discard();
    m_file.reset();
}

void DownLoad::releaseHandles()
{
    if (m_easy) {
        // Removing the transfer tells the socket callback to stop watching its sockets.
        curl_multi_remove_handle(static_cast<CURLM *>(m_multi), static_cast<CURL *>(m_easy));
        curl_easy_cleanup(static_cast<CURL *>(m_easy));
        m_easy = nullptr;
    }
    if (m_requestHeaders) {
        curl_slist_free_all(static_cast<curl_slist *>(m_requestHeaders));
        m_requestHeaders = nullptr;
    }
    for (const Watch &watch : std::as_const(m_watches)) {
        for (QSocketNotifier *notifier : { watch.read, watch.write }) {
            if (notifier) {
                notifier->setEnabled(false);
                notifier->deleteLater();
            }
        }
    }
    m_watches.clear();
    m_timer->stop();
}

void DownLoad::watchSocket(int socket, int what)
{
    Watch &watch = m_watches[socket];
    if (what == CURL_POLL_REMOVE) {
        for (QSocketNotifier *notifier : { watch.read, watch.write }) {
            if (notifier) {
                // This may run inside the notifier's own signal: it goes later.
                notifier->setEnabled(false);
                notifier->deleteLater();
            }
        }
        m_watches.remove(socket);
        return;
    }
    const auto want = [this, socket](QSocketNotifier *&notifier, QSocketNotifier::Type type, bool on, int mask) {
        if (!notifier && on) {
            notifier = new QSocketNotifier(qintptr(socket), type, this);
            connect(notifier, &QSocketNotifier::activated, this, [this, socket, mask] { drive(socket, mask); });
        }
        if (notifier)
            notifier->setEnabled(on);
    };
    want(watch.read, QSocketNotifier::Read, what == CURL_POLL_IN || what == CURL_POLL_INOUT, CURL_CSELECT_IN);
    want(watch.write, QSocketNotifier::Write, what == CURL_POLL_OUT || what == CURL_POLL_INOUT, CURL_CSELECT_OUT);
}

void DownLoad::drive(int socket, int eventMask)
{
    if (!m_multi || !m_easy)
        return;
    int running = 0;
    curl_multi_socket_action(static_cast<CURLM *>(m_multi), curl_socket_t(socket), eventMask, &running);
    afterRound();
}

void DownLoad::afterRound()
{
    if (!m_easy)
        return;
    const QPointer<DownLoad> alive(this);
    const quint64 generation = m_generation;
    const auto stillOn = [&] {
        return alive && generation == m_generation;
    };
    if (m_stage == Stage::Connecting && m_headersComplete) {
        m_stage = Stage::HeadersRead;
        m_headers = m_headerLines.block();
        m_headerLength = int(m_headers.size());
        m_headersRead = !m_headers.isEmpty();
        m_status = m_headerLines.statusCode();
        emit executed(true);
        if (!stillOn())
            return;
    }
    if (m_stage == Stage::Transferring && m_total != m_reported && m_total > 0) {
        m_reported = m_total;
        emit GetData(m_total);
        if (!stillOn())
            return;
    }
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(static_cast<CURLM *>(m_multi), &left)) {
        if (message->msg == CURLMSG_DONE) {
            transferDone(int(message->data.result));
            return;
        }
    }
}

void DownLoad::transferDone(int result)
{
    switch (m_stage) {
    case Stage::Idle:
        return;
    case Stage::Connecting:
        fail(result == CURLE_FILESIZE_EXCEEDED && m_maxBytes >= 0 ? tooLargeMessage(m_maxBytes) : noServerMessage());
        return;
    case Stage::HeadersRead:
        if (result == CURLE_OK) {
            // A body that needed no read: it is written when asked for.
            m_doneWhilePaused = true;
            return;
        }
        break;
    case Stage::Transferring:
        if (result == CURLE_OK) {
            finishBody();
            return;
        }
        break;
    }
    if (m_tooLarge || result == CURLE_FILESIZE_EXCEEDED)
        fail(tooLargeMessage(m_maxBytes));
    else if (m_writeFailed)
        fail(fileInUseMessage(m_saveFile));
    else
        fail(noServerMessage());
}

void DownLoad::finishBody()
{
    const QPointer<DownLoad> alive(this);
    const quint64 generation = m_generation;
    // The last read found the end of the body: its total is reported once more.
    m_reported = m_total;
    emit GetData(m_total);
    if (!alive || generation != m_generation)
        return;
    releaseHandles();
    if (m_file && !m_file->commit(m_replaceExisting)) {
        fail(fileInUseMessage(m_saveFile));
        return;
    }
    m_file.reset();
    m_active = false;
    m_stage = Stage::Idle;
    endTransfer();
    emit DownLoadOver();
}

void DownLoad::fail(const QString &message)
{
    const bool wasConnecting = m_stage == Stage::Connecting;
    Cancel();
    const QPointer<DownLoad> alive(this);
    const quint64 generation = m_generation;
    emit ErrMassage(message);
    // Unless a handler has started another transfer meanwhile.
    if (wasConnecting && alive && generation == m_generation)
        emit executed(false);
}

void DownLoad::later(std::function<void()> step)
{
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, step = std::move(step)] {
        if (generation == m_generation)
            step();
    });
}

}
