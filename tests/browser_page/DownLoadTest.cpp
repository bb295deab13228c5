#include "browser/page/DownLoad.h"

#include "browser/page/Fetch.h"
#include "browser_page/DownloadServer.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace browser::page;
using velmora::test::bodyOf;
using velmora::test::DownloadServer;

// What one download reported, in order.
struct Outcome {
    QStringList events; // "executed 1", "data 4096", "error ...", "over"
    QList<qint64> progress;
    QStringList errors;
    int overs = 0;
    QString headers;
};

// Runs URL, SaveFile, Execute, then StartDownLoad once the headers are read, until the transfer
// ends (or, after a cancel, a moment later). onData runs in every GetData handler.
Outcome runDownload(DownLoad &loader,
    const QString &url,
    const QString &file,
    const std::function<void(DownLoad &, qint64)> &onData = {},
    const QString &headerName = QString())
{
    Outcome outcome;
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(20000);
    QObject::connect(&loader, &DownLoad::executed, &loop, [&](bool ok) {
        outcome.events << QStringLiteral("executed %1").arg(ok);
        if (!ok)
            return;
        outcome.headers = loader.GetHeader(headerName);
        loader.StartDownLoad();
    });
    QObject::connect(&loader, &DownLoad::GetData, &loop, [&](qint64 progress) {
        outcome.events << QStringLiteral("data %1").arg(progress);
        outcome.progress << progress;
        if (onData)
            onData(loader, progress);
        if (!loader.isActive())
            guard.start(300);
    });
    QObject::connect(&loader, &DownLoad::ErrMassage, &loop, [&](const QString &message) {
        outcome.events << QStringLiteral("error");
        outcome.errors << message;
        guard.start(100);
    });
    QObject::connect(&loader, &DownLoad::DownLoadOver, &loop, [&] {
        outcome.events << QStringLiteral("over");
        ++outcome.overs;
        guard.start(100);
    });
    loader.URL(url);
    loader.SaveFile(file);
    loader.Execute();
    loop.exec();
    QObject::disconnect(&loader, nullptr, &loop, nullptr);
    return outcome;
}

// A loopback port nobody listens on.
int closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The names in a folder, hidden ones included: no partial file may be left behind.
QStringList folderNames(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

class DownLoadTest : public testing::Test {
protected:
    DownloadServer server;
    QTemporaryDir dir;
    QString target() const { return dir.filePath(QStringLiteral("out.bin")); }
};

TEST_F(DownLoadTest, WholeBodiesEndWithTheirTotalOnceMoreThenOver)
{
    struct Case {
        const char *path;
        qint64 size;
    };
    const Case cases[] = {
        { "/body", 4 * 1024 }, // whole kilobytes: the last read finds the end
        { "/body", 1000 },
        { "/body", 0 },
        { "/chunked", 3 * 1024 * 1024 + 5 },
        { "/hop", 2048 }, // after a redirect
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + std::to_string(c.size));
        DownLoad loader;
        const Outcome outcome =
            runDownload(loader, server.url(QStringLiteral("%1?n=%2").arg(QLatin1String(c.path)).arg(c.size)), target());
        ASSERT_TRUE(outcome.errors.isEmpty()) << outcome.errors.join(u',').toStdString();
        ASSERT_EQ(outcome.overs, 1);
        ASSERT_GE(outcome.progress.size(), c.size > 0 ? 2 : 1);
        EXPECT_EQ(outcome.events.first(), QStringLiteral("executed 1"));
        EXPECT_EQ(outcome.events.last(), QStringLiteral("over"));
        // The final report repeats the total, as a last read of no bytes would.
        EXPECT_EQ(outcome.progress.last(), c.size);
        if (c.size > 0) {
            EXPECT_EQ(outcome.progress[outcome.progress.size() - 2], c.size);
        }
        EXPECT_TRUE(std::is_sorted(outcome.progress.begin(), outcome.progress.end()));
        EXPECT_EQ(fileBytes(target()), QByteArray::fromStdString(bodyOf(size_t(c.size))));
        EXPECT_EQ(folderNames(dir.path()), QStringList { QStringLiteral("out.bin") });
        EXPECT_FALSE(loader.isActive());
    }
}

TEST_F(DownLoadTest, HeaderNamesInAnyCaseButTheServersSpellingCounts)
{
    struct Case {
        const char *path;
        const char *name;
        const char *value;
    };
    const Case cases[] = {
        { "/mixed", "server", "Mine/1.0" },
        { "/mixed", "LAST-MODIFIED", "Tue, 08 Dec 2026 10:00:00 GMT" },
        { "/mixed", "content-length", "2" },
        { "/mixed", "content-type", "text/plain" },
        { "/lower", "server", "0" },
        { "/lower", "Last-Modified", "0" },
        { "/lower", "Content-Length", "2" },
        { "/bigheader", "", "0" },
        { "/bigheader", "Content-Length", "0" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + c.name);
        DownLoad loader;
        const Outcome outcome =
            runDownload(loader, server.url(QLatin1String(c.path)), target(), {}, QString::fromLatin1(c.name));
        EXPECT_EQ(outcome.headers, QString::fromLatin1(c.value));
        EXPECT_EQ(outcome.overs, 1);
    }
}

TEST_F(DownLoadTest, EmptyNameGivesTheRawBlockWithNulSeparators)
{
    DownLoad loader;
    const Outcome outcome = runDownload(loader, server.url(QStringLiteral("/mixed")), target());
    const QStringList lines = outcome.headers.split(QChar(0));
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.first(), QStringLiteral("HTTP/1.1 200 OK"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Server: Mine/1.0")));
    EXPECT_TRUE(outcome.headers.endsWith(QChar(0)));
    EXPECT_TRUE(lines.last().isEmpty());
    // After the transfer the object is inactive: it answers "0".
    EXPECT_EQ(loader.GetHeader(QStringLiteral("Server")), QStringLiteral("0"));
}

TEST_F(DownLoadTest, FailuresSayWhy)
{
    const QString unreachable = QStringLiteral("http://127.0.0.1:%1/x").arg(closedPort());
    QFile regular(dir.filePath(QStringLiteral("regular.txt")));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    const QString belowFile = dir.filePath(QStringLiteral("regular.txt/out.bin"));
    struct Case {
        const char *name;
        QString url;
        QString file;
        QString message;
        bool executed;
    };
    const Case cases[] = {
        { "unreachable host", unreachable, target(), DownLoad::noServerMessage(), false },
        { "not http", QStringLiteral("ftp://127.0.0.1/x"), target(), DownLoad::noServerMessage(), false },
        { "redirect to a file address",
            server.url(QStringLiteral("/tofile")),
            target(),
            DownLoad::noServerMessage(),
            false },
        { "file below a regular file",
            server.url(QStringLiteral("/body?n=10")),
            belowFile,
            DownLoad::fileInUseMessage(belowFile),
            true },
        { "a device",
            server.url(QStringLiteral("/body?n=10")),
            QStringLiteral("/dev/full"),
            DownLoad::fileInUseMessage(QStringLiteral("/dev/full")),
            true },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DownLoad loader;
        const Outcome outcome = runDownload(loader, c.url, c.file);
        EXPECT_EQ(outcome.errors, QStringList { c.message });
        EXPECT_EQ(outcome.overs, 0);
        EXPECT_EQ(outcome.events.first(), c.executed ? QStringLiteral("executed 1") : QStringLiteral("error"));
        EXPECT_FALSE(loader.isActive());
    }
    EXPECT_EQ(folderNames(dir.path()), QStringList { QStringLiteral("regular.txt") });
}

TEST_F(DownLoadTest, CancelFromAProgressHandlerStopsAndRemovesTheFile)
{
    DownLoad loader;
    const Outcome outcome = runDownload(
        loader, server.url(QStringLiteral("/chunked?n=%1").arg(64 * 1024 * 1024)), target(), [](DownLoad &d, qint64) {
            d.Cancel();
        });
    EXPECT_EQ(outcome.progress.size(), 1);
    EXPECT_EQ(outcome.overs, 0);
    EXPECT_TRUE(outcome.errors.isEmpty());
    EXPECT_TRUE(folderNames(dir.path()).isEmpty());
}

TEST_F(DownLoadTest, BodiesOverTheLimitAreRefusedAndLeaveNothing)
{
    constexpr qint64 kLimit = 1024 * 1024;
    for (const char *path : { "/body", "/chunked" }) {
        SCOPED_TRACE(path);
        DownLoad loader;
        loader.setMaxBytes(kLimit);
        const Outcome outcome = runDownload(
            loader, server.url(QStringLiteral("%1?n=%2").arg(QLatin1String(path)).arg(3 * kLimit)), target());
        EXPECT_EQ(outcome.errors, QStringList { DownLoad::tooLargeMessage(kLimit) });
        EXPECT_EQ(outcome.overs, 0);
        EXPECT_TRUE(folderNames(dir.path()).isEmpty());
    }
    DownLoad exact;
    exact.setMaxBytes(kLimit);
    EXPECT_EQ(runDownload(exact, server.url(QStringLiteral("/chunked?n=%1").arg(kLimit)), target()).overs, 1);
}

TEST_F(DownLoadTest, StalledServerIsLeft)
{
    DownLoad loader;
    loader.setStallSeconds(1);
    const Outcome outcome = runDownload(loader, server.url(QStringLiteral("/stall")), target());
    EXPECT_EQ(outcome.errors, QStringList { DownLoad::noServerMessage() });
    EXPECT_EQ(outcome.overs, 0);
    EXPECT_TRUE(folderNames(dir.path()).isEmpty());
}

TEST_F(DownLoadTest, ExistingLongerFileIsReplacedWhole)
{
    QFile old(target());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(10000, 'x'));
    old.close();
    DownLoad loader;
    EXPECT_EQ(runDownload(loader, server.url(QStringLiteral("/body?n=100")), target()).overs, 1);
    EXPECT_EQ(fileBytes(target()), QByteArray::fromStdString(bodyOf(100)));
}

TEST_F(DownLoadTest, ReusedObjectStartsAfresh)
{
    DownLoad loader;
    EXPECT_EQ(runDownload(loader, server.url(QStringLiteral("/body?n=10")), target()).overs, 1);
    const Outcome second = runDownload(loader, server.url(QStringLiteral("/body?n=20")), target());
    EXPECT_EQ(second.overs, 1);
    EXPECT_EQ(second.progress.last(), 20);
    EXPECT_EQ(fileBytes(target()).size(), 20);
}

// Waits for one call of a callback.
template <typename T> T waitForCallback(const std::function<void(std::function<void(T)>)> &start)
{
    QEventLoop loop;
    T result {};
    start([&](T value) {
        result = value;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    return result;
}

TEST_F(DownLoadTest, FetchToFileTellsTheOutcome)
{
    QObject context;
    struct Case {
        const char *name;
        QString url;
        qint64 limit;
        bool replace;
        bool ok;
        QByteArray bytes;
    };
    const Case cases[] = {
        { "fetched", server.url(QStringLiteral("/body?n=50")), 100, true, true, QByteArray::fromStdString(bodyOf(50)) },
        { "over the limit",
            server.url(QStringLiteral("/body?n=500")),
            100,
            true,
            false,
            QByteArray::fromStdString(bodyOf(50)) },
        { "an existing file is kept",
            server.url(QStringLiteral("/body?n=20")),
            -1,
            false,
            false,
            QByteArray::fromStdString(bodyOf(50)) },
        { "replaced", server.url(QStringLiteral("/body?n=20")), -1, true, true, QByteArray::fromStdString(bodyOf(20)) },
        { "an error page is not the file",
            server.url(QStringLiteral("/files/missing.jpg")),
            -1,
            true,
            false,
            QByteArray::fromStdString(bodyOf(20)) },
        { "no server",
            QStringLiteral("http://127.0.0.1:%1/x").arg(closedPort()),
            -1,
            true,
            false,
            QByteArray::fromStdString(bodyOf(20)) },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const bool ok = waitForCallback<bool>([&](std::function<void(bool)> done) {
            fetchToFile(c.url, target(), c.limit, &context, std::move(done), c.replace);
        });
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(fileBytes(target()), c.bytes);
        EXPECT_EQ(folderNames(dir.path()), QStringList { QStringLiteral("out.bin") });
    }
}

TEST_F(DownLoadTest, HtmlStrDecodesThePageOrGivesNothing)
{
    QObject context;
    struct Case {
        QString url;
        QString text;
    };
    const Case cases[] = {
        { server.url(QStringLiteral("/gbk")), QStringLiteral("<p>中文</p>") },
        { server.url(QStringLiteral("/mixed")), QStringLiteral("ok") },
        // The program's own agent, and every request goes past caches to the server.
        { server.url(QStringLiteral("/echo")), QStringLiteral("Fetchr|no-cache|no-cache") },
        { QStringLiteral("http://127.0.0.1:%1/").arg(closedPort()), QString() },
        { QStringLiteral("file:///etc/hostname"), QString() },
    };
    for (const Case &c : cases) {
        const QString text = waitForCallback<QString>(
            [&](std::function<void(QString)> done) { HtmlStr(c.url, &context, std::move(done)); });
        EXPECT_EQ(text, c.text) << c.url.toStdString();
    }
}

TEST_F(DownLoadTest, EventsComeFromTheEventLoopNotFromTheCall)
{
    DownLoad loader;
    QStringList events;
    QObject::connect(&loader, &DownLoad::ErrMassage, [&](const QString &message) { events << message; });
    QObject::connect(&loader, &DownLoad::executed, [&](bool ok) { events << QString::number(ok); });
    loader.URL(QStringLiteral("gopher://127.0.0.1/x"));
    loader.Execute();
    EXPECT_TRUE(events.isEmpty());
    EXPECT_TRUE(loader.isActive());
    QEventLoop loop;
    QObject::connect(&loader, &DownLoad::executed, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(events, (QStringList { DownLoad::noServerMessage(), QStringLiteral("0") }));
    // Before the headers the body cannot start; an inactive object cancels and refuses.
    EXPECT_FALSE(loader.StartDownLoad());
    EXPECT_EQ(loader.GetHeader(QString()), QStringLiteral("0"));
}

TEST_F(DownLoadTest, RetryFromAnErrorHandlerRunsOnlyTheNewTransfer)
{
    DownLoad loader;
    QStringList events;
    bool retried = false;
    QObject::connect(&loader, &DownLoad::ErrMassage, [&](const QString &) {
        events << QStringLiteral("error");
        if (retried)
            return;
        retried = true;
        loader.URL(server.url(QStringLiteral("/body?n=64")));
        loader.Execute();
    });
    QObject::connect(&loader, &DownLoad::executed, [&](bool ok) {
        events << QStringLiteral("executed %1").arg(ok);
        if (ok)
            loader.StartDownLoad();
    });
    QEventLoop loop;
    QObject::connect(&loader, &DownLoad::DownLoadOver, &loop, [&] {
        events << QStringLiteral("over");
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loader.URL(QStringLiteral("http://127.0.0.1:%1/").arg(closedPort()));
    loader.SaveFile(target());
    loader.Execute();
    loop.exec();
    EXPECT_EQ(events, (QStringList { QStringLiteral("error"), QStringLiteral("executed 1"), QStringLiteral("over") }));
    EXPECT_EQ(fileBytes(target()).size(), 64);
}

TEST_F(DownLoadTest, BodyWaitsForAStartAskedLater)
{
    for (const qint64 size : { qint64(0), qint64(100), qint64(2 * 1024 * 1024) }) {
        DownLoad loader;
        QEventLoop loop;
        QList<qint64> progress;
        QObject::connect(&loader, &DownLoad::executed, [&] {
            QTimer::singleShot(150, &loader, [&] { EXPECT_TRUE(loader.StartDownLoad()); });
        });
        QObject::connect(&loader, &DownLoad::GetData, [&](qint64 total) { progress << total; });
        QObject::connect(&loader, &DownLoad::DownLoadOver, &loop, &QEventLoop::quit);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loader.URL(server.url(QStringLiteral("/chunked?n=%1").arg(size)));
        loader.SaveFile(target());
        loader.Execute();
        loop.exec();
        ASSERT_FALSE(progress.isEmpty()) << size;
        EXPECT_EQ(progress.last(), size);
        EXPECT_EQ(fileBytes(target()), QByteArray::fromStdString(bodyOf(size_t(size))));
    }
}

TEST_F(DownLoadTest, StatusOfTheResponseRead)
{
    DownLoad loader;
    int status = -1;
    QObject::connect(&loader, &DownLoad::executed, [&] { status = loader.statusCode(); });
    runDownload(loader, server.url(QStringLiteral("/files/none")), target());
    EXPECT_EQ(status, 404);
    runDownload(loader, server.url(QStringLiteral("/hop?n=1")), target());
    EXPECT_EQ(status, 200);
}

TEST_F(DownLoadTest, NoCallbackAfterTheContextIsGone)
{
    bool called = false;
    {
        QObject context;
        fetchToFile(server.url(QStringLiteral("/stall")), target(), -1, &context, [&](bool) { called = true; });
    }
    QEventLoop loop;
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_FALSE(called);
    EXPECT_TRUE(folderNames(dir.path()).isEmpty());
}

}
