// End-to-end run of "vistelle --browser" against a local HTTP server: the home page opens in the
// first tab and, after the program is ended with SIGTERM, today's day file holds the page's row
// and "CancelPage" holds its entry. Arguments: the program and a scratch folder. Exit code 77
// (skipped) when the program was killed by the signal instead of closing its windows.

#include "common/Registry.h"
#include "common/Settings.h"
#include "common/SettingsKeys.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>

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

QString hivePath(const QString &work)
{
    return work + QStringLiteral("/config/Velmora/registry.db");
}

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return fail(QStringLiteral("usage: nimbrow_start <vistelle> <scratch folder>"));
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

    // The home page answers with a redirect, as home pages often do: the page reached is
    // recorded, the start address itself is not.
    httplib::Server server;
    std::atomic<int> homeHits { 0 };
    server.Get("/start", [](const httplib::Request &, httplib::Response &response) { response.set_redirect("/home"); });
    server.Get("/home", [&homeHits](const httplib::Request &, httplib::Response &response) {
        ++homeHits;
        response.set_content(
            "<html><head><title>Nimbrow Home</title></head><body>home</body></html>", "text/html; charset=utf-8");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&server] { server.listen_after_bind(); });
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(port);
    const auto finish = [&](int code) {
        server.stop();
        serving.join();
        return code;
    };

    // A first start writes the default settings; the home page is then set to the local server.
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
        const auto hive = common::RegistryHive::open(hivePath(work));
        if (!hive)
            return finish(fail(QStringLiteral("no settings hive")));
        common::SettingsStore settings(*hive);
        settings.save(common::keys::kSetup, common::keys::kHomepage, base + QStringLiteral("/start"));
    }

    QProcess browser;
    browser.setProcessEnvironment(env);
    browser.start(program, { QStringLiteral("--browser") });
    if (!browser.waitForStarted(30000))
        return finish(fail(QStringLiteral("vistelle did not start")));
    for (int waited = 0; homeHits == 0 && waited < 60000; waited += 100)
        browser.waitForFinished(100);
    if (homeHits == 0) {
        browser.kill();
        browser.waitForFinished(10000);
        return finish(fail(QStringLiteral("the home page was never asked for")));
    }
    // Time for the page's title to arrive in its window.
    browser.waitForFinished(3000);
    browser.terminate();
    if (!browser.waitForFinished(60000)) {
        browser.kill();
        browser.waitForFinished(10000);
        return finish(fail(QStringLiteral("vistelle did not end after SIGTERM")));
    }
    if (browser.exitStatus() == QProcess::CrashExit) {
        std::fprintf(stderr, "vistelle was ended by the signal without closing its windows\n");
        return finish(77);
    }

    const QDate today = QDate::currentDate();
    const QString dayFile = work
        + QStringLiteral("/data/Velmora/History/%1-%2-%3.dat").arg(today.year()).arg(today.month()).arg(today.day());
    QFile day(dayFile);
    if (!day.open(QIODevice::ReadOnly))
        return finish(fail(QStringLiteral("no day file ") + dayFile));
    const QString rows = QString::fromUtf8(day.readAll());
    const QString address = base + QStringLiteral("/home");
    if (!rows.contains(QStringLiteral("<a href=\"") + address + QStringLiteral("\" target=_blank>Nimbrow Home</a>")))
        return finish(fail(QStringLiteral("the day file has no row for the home page:\n") + rows));

    const auto hive = common::RegistryHive::open(hivePath(work));
    common::SettingsStore settings(*hive);
    const QString count = settings.read(common::keys::kCancelPage, common::keys::kCount);
    const QString entry = settings.read(common::keys::kCancelPage, common::keys::kPagePrefix + count);
    if (entry != QStringLiteral("Nimbrow Home  ") + address)
        return finish(fail(QStringLiteral("CancelPage holds \"%1\" at Count %2").arg(entry, count)));
    std::printf("home page row and closed-page entry written\n");
    return finish(0);
}
