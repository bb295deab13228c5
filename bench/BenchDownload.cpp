// 200 MB from a loopback HTTP server into a file: the program's downloader against `curl -o` and
// `wget -O` fetching the same body into the same folder, in the same run, rounds interleaved.
// Goals: at least 0.9x curl's throughput and at least 1.5x wget's.
#include "browser/page/DownLoad.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <httplib.h>
#include <thread>
#include <vector>

namespace {

constexpr size_t kBodyBytes = size_t(200) * 1024 * 1024;
constexpr int kRounds = 5;

// Serves kBodyBytes at /big from a 1 MB block, with its length.
class BodyServer {
public:
    BodyServer()
        : m_block(1024 * 1024, 'v')
    {
        m_server.Get("/big", [this](const httplib::Request &, httplib::Response &response) {
            response.set_content_provider(
                kBodyBytes, "application/octet-stream", [this](size_t offset, size_t length, httplib::DataSink &sink) {
                    const size_t at = offset % m_block.size();
                    return sink.write(m_block.data() + at, std::min(length, m_block.size() - at));
                });
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~BodyServer()
    {
        m_server.stop();
        m_thread.join();
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/big").arg(m_port); }

private:
    std::string m_block;
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Seconds for the program's downloader, or a negative value on failure.
double ourSeconds(const QString &url, const QString &file)
{
    browser::page::DownLoad loader;
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&loader, &browser::page::DownLoad::executed, &loop, [&](bool started) {
        if (started)
            loader.StartDownLoad();
    });
    QObject::connect(&loader, &browser::page::DownLoad::DownLoadOver, &loop, [&] {
        ok = true;
        loop.quit();
    });
    QObject::connect(&loader, &browser::page::DownLoad::ErrMassage, &loop, [&](const QString &message) {
        std::fprintf(stderr, "downloader: %s\n", qPrintable(message));
        loop.quit();
    });
    QElapsedTimer clock;
    clock.start();
    loader.URL(url);
    loader.SaveFile(file);
    loader.Execute();
    loop.exec();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    return ok && QFile(file).size() == qint64(kBodyBytes) ? seconds : -1;
}

// Seconds for a command-line tool, or a negative value when it is missing or failed.
double toolSeconds(const QString &tool, const QStringList &arguments, const QString &file)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return -1;
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        return -1;
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    return QFile(file).size() == qint64(kBodyBytes) ? seconds : -1;
}

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BodyServer server;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("big.bin"));
    const QString url = server.url();
    std::vector<double> ours, curl, wget;
    for (int round = 0; round < kRounds; ++round) {
        QFile::remove(file);
        ours.push_back(ourSeconds(url, file));
        QFile::remove(file);
        curl.push_back(
            toolSeconds(QStringLiteral("curl"), { QStringLiteral("-s"), QStringLiteral("-o"), file, url }, file));
        QFile::remove(file);
        wget.push_back(
            toolSeconds(QStringLiteral("wget"), { QStringLiteral("-q"), QStringLiteral("-O"), file, url }, file));
    }
    const double megabytes = double(kBodyBytes) / (1024 * 1024);
    const auto rate = [&](const std::vector<double> &times) {
        const double t = median(times);
        return std::any_of(times.begin(), times.end(), [](double v) { return v < 0; }) ? -1.0 : megabytes / t;
    };
    const double ourRate = rate(ours);
    const double curlRate = rate(curl);
    const double wgetRate = rate(wget);
    std::printf("200 MB over loopback into a file, median of %d rounds\n", kRounds);
    std::printf("  downloader %8.1f MB/s\n", ourRate);
    std::printf("  curl -o    %8.1f MB/s\n", curlRate);
    std::printf("  wget -O    %8.1f MB/s\n", wgetRate);
    if (ourRate <= 0) {
        std::printf("the downloader failed\n");
        return 1;
    }
    if (curlRate > 0)
        std::printf("ratio to curl: %.2fx (goal >= 0.9x)\n", ourRate / curlRate);
    else
        std::printf("curl not run\n");
    if (wgetRate > 0)
        std::printf("ratio to wget: %.2fx (goal >= 1.5x)\n", ourRate / wgetRate);
    else
        std::printf("wget not run\n");
    return 0;
}
