// End-to-end run of "vistelle --browser" with automatic picture saving on: the home page on a local
// HTTP server holds three large pictures (one of them twice) and five small ones. Within 15 seconds
// of the page's first request the download folder must hold exactly three JPEG files of quality 80,
// each of its picture's own size, and nothing else. Arguments: the program and a scratch folder.

#include "common/Registry.h"
#include "common/Settings.h"
#include "common/SettingsKeys.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QSet>

#include <atomic>
#include <cstdio>
#include <httplib.h>
#include <thread>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    return 1;
}

std::string png(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// The first two entries of the first quantization table: 6 and 4 for the standard luminance
// table scaled to quality 80.
QPair<int, int> firstQuantizers(const QByteArray &jpeg)
{
    const qsizetype at = jpeg.indexOf(QByteArray("\xFF\xDB", 2));
    if (at < 0 || at + 7 > jpeg.size())
        return { -1, -1 };
    return { quint8(jpeg[at + 5]), quint8(jpeg[at + 6]) };
}

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return fail(QStringLiteral("usage: nimbrow_pictures <vistelle> <scratch folder>"));
    const QString program = args[1];
    const QString work = args[2];
    QDir(work).removeRecursively();
    for (const char *folder : { "/config/Velmora", "/data", "/runtime", "/cache" })
        QDir().mkpath(work + QLatin1String(folder));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), work);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), work + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), work + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), work + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), work + QStringLiteral("/cache"));
    env.insert(QStringLiteral("VELMORA_SIMULATE_DESKTOP"), work + QStringLiteral("/desktop.log"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!env.contains(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS")))
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--no-sandbox --disable-gpu"));

    const QList<QSize> large { { 800, 600 }, { 640, 700 }, { 1024, 768 } };
    httplib::Server server;
    std::atomic<int> homeHits { 0 };
    QString body = QStringLiteral("<html><head><title>Pictures</title></head><body>");
    for (int i = 0; i < large.size(); ++i) {
        const std::string picture = png(large[i].width(), large[i].height(), qRgb(40 * i, 120, 200));
        server.Get("/large" + std::to_string(i) + ".png",
            [picture](const httplib::Request &, httplib::Response &r) { r.set_content(picture, "image/png"); });
        body += QStringLiteral("<img src='/large%1.png'>").arg(i);
    }
    body += QStringLiteral("<img src='/large1.png'>");
    for (int i = 0; i < 5; ++i) {
        const std::string picture = png(100 + i, 500, qRgb(200, 20 * i, 0));
        server.Get("/small" + std::to_string(i) + ".png",
            [picture](const httplib::Request &, httplib::Response &r) { r.set_content(picture, "image/png"); });
        body += QStringLiteral("<img src='/small%1.png'>").arg(i);
    }
    body += QStringLiteral("</body></html>");
    const std::string home = body.toStdString();
    server.Get("/home", [&homeHits, home](const httplib::Request &, httplib::Response &response) {
        ++homeHits;
        response.set_content(home, "text/html; charset=utf-8");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&server] { server.listen_after_bind(); });
    const auto finish = [&](int code) {
        server.stop();
        serving.join();
        return code;
    };

    QProcess first;
    first.setProcessEnvironment([&] {
        QProcessEnvironment e = env;
        e.insert(QStringLiteral("VELMORA_QUIT_WHEN_READY"), QStringLiteral("1"));
        return e;
    }());
    first.start(program, {});
    if (!first.waitForFinished(120000) || first.exitCode() != 0)
        return finish(
            fail(QStringLiteral("the first start failed: ") + QString::fromUtf8(first.readAllStandardError())));
    {
        const auto hive = common::RegistryHive::open(work + QStringLiteral("/config/Velmora/registry.db"));
        if (!hive)
            return finish(fail(QStringLiteral("no settings hive")));
        common::SettingsStore settings(*hive);
        settings.save(
            common::keys::kSetup, common::keys::kHomepage, QStringLiteral("http://127.0.0.1:%1/home").arg(port));
        settings.save(common::keys::kSetup, common::keys::kAutoDownload, QStringLiteral("1"));
    }

    QProcess browser;
    browser.setProcessEnvironment(env);
    browser.start(program, { QStringLiteral("--browser") });
    if (!browser.waitForStarted(30000))
        return finish(fail(QStringLiteral("vistelle did not start")));
    const auto stop = [&browser] {
        browser.terminate();
        if (!browser.waitForFinished(60000)) {
            browser.kill();
            browser.waitForFinished(10000);
        }
    };
    for (int waited = 0; homeHits == 0 && waited < 60000; waited += 100)
        browser.waitForFinished(100);
    if (homeHits == 0) {
        stop();
        return finish(fail(QStringLiteral("the home page was never asked for")));
    }

    const QString downloads = work + QStringLiteral("/data/Velmora/Download/");
    QElapsedTimer clock;
    clock.start();
    QStringList files;
    while (clock.elapsed() < 15000) {
        files = QDir(downloads).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        if (files.size() >= 3)
            break;
        browser.waitForFinished(100);
    }
    // A moment more: nothing else may follow.
    browser.waitForFinished(1000);
    files = QDir(downloads).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    stop();
    if (files.size() != 3)
        return finish(fail(QStringLiteral("the download folder holds: ") + files.join(QLatin1Char(' '))));
    QSet<QString> sizes;
    for (const QString &name : files) {
        QFile file(downloads + name);
        if (!name.endsWith(QLatin1String(".jpg")) || !file.open(QIODevice::ReadOnly))
            return finish(fail(QStringLiteral("not a picture file: ") + name));
        const QByteArray bytes = file.readAll();
        if (firstQuantizers(bytes) != qMakePair(6, 4))
            return finish(fail(QStringLiteral("not quality 80: ") + name));
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer, "jpeg");
        const QSize size = reader.size();
        sizes.insert(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
    }
    for (const QSize &size : large) {
        if (!sizes.contains(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())))
            return finish(fail(QStringLiteral("no picture of %1x%2").arg(size.width()).arg(size.height())));
    }
    std::printf("three pictures saved in %lld ms\n", static_cast<long long>(clock.elapsed()));
    return finish(0);
}
