// The browser frame against the least a program needs to show the same pages, in the same run:
//   first tab: the frame opened with its first tab loaded, against one web view loading the page;
//   30 tabs:   thirty tabs of the page, in time and in memory (proportional set size summed over
//              the process and every process it started), against thirty web views on the same
//              profile.
// Each measurement runs in a fresh child process of this program, the two sides alternating.
#include "browser/frame/ui/Frmmain.h"
#include "browser/page/ui/FormWeb.h"
#include "common/Registry.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/Settings.h"
#include "common/SettingsKeys.h"
#include "common/platform/Desktop.h"
#include "system/ui/MessagePump.h"
#include "web/ui/Profile.h"
#include "web/ui/SilentPage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kTabs = 30;

// Proportional set size, in kilobytes, of this process and all its descendants.
qint64 processTreePssKb()
{
    std::map<int, std::vector<int>> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const int close = text.lastIndexOf(')');
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (fields.size() > 1)
            children[fields[1].toInt()].push_back(pid);
    }
    qint64 total = 0;
    std::vector<int> pending { int(::getpid()) };
    while (!pending.empty()) {
        const int pid = pending.back();
        pending.pop_back();
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (rollup.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : rollup.readAll().split('\n')) {
                if (line.startsWith("Pss:"))
                    total += line.mid(4).trimmed().split(' ').value(0).toLongLong();
            }
        }
        for (int child : children[pid])
            pending.push_back(child);
    }
    return total;
}

// Runs one measurement in this process: `side` is "frame" or "minimal", `what` "first" or "tabs".
int measure(int argc, char **argv, const QString &what, const QString &side, const QString &page)
{
    QApplication app(argc, argv);
    web::Profile profile;
    QTemporaryDir data;
    auto hive = common::RegistryHive::openInMemory();
    common::SettingsStore settings(*hive);
    const auto desktop = common::platform::createDesktop();
    const common::Services services { *hive, settings, *desktop, *profile.engineProfile() };
    common::RunningValues values;
    values.DataFolder = data.path() + QLatin1Char('/');
    values.DownloadFolder = values.DataFolder + QStringLiteral("Download/");
    settings.save(common::keys::kSetup, common::keys::kHomepage, page);
    sys::MessagePump pump;

    const int wanted = what == QLatin1String("first") ? 1 : kTabs;
    int loadedPages = 0;
    QElapsedTimer clock;
    auto pageLoaded = [&loadedPages, wanted, &app] {
        if (++loadedPages == wanted)
            app.quit();
    };
    std::vector<std::unique_ptr<QWebEngineView>> views;
    std::unique_ptr<browser::frame::Frmmain> frame;
    clock.start();
    if (side == QLatin1String("frame")) {
        frame = std::make_unique<browser::frame::Frmmain>(services, values, pump);
        frame->setAttribute(Qt::WA_DeleteOnClose, false);
        QObject::connect(frame->activePage()->page(), &QWebEnginePage::loadFinished, &app, pageLoaded);
        for (int i = 1; i < wanted; ++i) {
            browser::page::FormWeb *tab = frame->LoadNewForm(page);
            QObject::connect(tab->page(), &QWebEnginePage::loadFinished, &app, pageLoaded);
        }
    } else {
        for (int i = 0; i < wanted; ++i) {
            auto view = std::make_unique<QWebEngineView>();
            view->setPage(new QWebEnginePage(profile.engineProfile(), view.get()));
            QObject::connect(view->page(), &QWebEnginePage::loadFinished, &app, pageLoaded);
            view->resize(1040, 700);
            view->load(QUrl(page));
            view->show();
            views.push_back(std::move(view));
        }
    }
    QTimer::singleShot(120000, &app, [] { std::_Exit(2); });
    app.exec();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    // Let the page processes settle before their memory is read.
    QTimer::singleShot(1500, &app, &QCoreApplication::quit);
    app.exec();
    std::printf("%.1f %lld\n", ms, processTreePssKb());
    std::fflush(stdout);
    if (frame)
        frame->close();
    frame.reset();
    views.clear();
    return 0;
}

struct Sample {
    double ms = -1;
    double kb = -1;
};

Sample runChild(const QString &self, const QString &what, const QString &side, const QString &page)
{
    QProcess child;
    child.setStandardErrorFile(QProcess::nullDevice());
    child.start(self, { QStringLiteral("--measure"), what, side, page });
    if (!child.waitForFinished(180000) || child.exitCode() != 0)
        return {};
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split('\n').last().split(' ');
    return { fields.value(0).toDouble(), fields.value(1).toDouble() };
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

void report(const char *name, double value, double floor, const char *unit, double aim)
{
    const double ratio = floor > 0 ? value / floor : 0;
    std::printf("%-28s %10.1f %s   floor %10.1f %s   ratio %.2f (aim <= %.1f)%s\n",
        name,
        value,
        unit,
        floor,
        unit,
        ratio,
        aim,
        ratio > aim ? "  ABOVE AIM" : "");
}

}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    if (argc == 5 && QByteArray(argv[1]) == "--measure")
        return measure(
            1, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));

    QTemporaryDir home;
    for (const char *variable : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR" })
        qputenv(variable, home.path().toLocal8Bit());
    qputenv("VELMORA_SIMULATE_DESKTOP", home.filePath(QStringLiteral("desktop.log")).toLocal8Bit());
    const QString pagePath = home.filePath(QStringLiteral("page.html"));
    {
        QFile file(pagePath);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        QByteArray html = "<html><head><title>Bench page</title></head><body>";
        for (int i = 0; i < 200; ++i)
            html += "<p>Landscape pictures, paragraph " + QByteArray::number(i) + ".</p>";
        file.write(html + "</body></html>");
    }
    const QString page = QUrl::fromLocalFile(pagePath).toString();
    const QString self = QString::fromLocal8Bit(argv[0]);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    std::vector<double> firstFrame, firstMinimal, tabsFrame, tabsMinimal, memFrame, memMinimal;
    // One warm-up of each, so both start from a filled page cache.
    runChild(self, QStringLiteral("first"), QStringLiteral("frame"), page);
    runChild(self, QStringLiteral("first"), QStringLiteral("minimal"), page);
    for (int round = 0; round < rounds; ++round) {
        firstFrame.push_back(runChild(self, QStringLiteral("first"), QStringLiteral("frame"), page).ms);
        firstMinimal.push_back(runChild(self, QStringLiteral("first"), QStringLiteral("minimal"), page).ms);
        const Sample frame = runChild(self, QStringLiteral("tabs"), QStringLiteral("frame"), page);
        const Sample minimal = runChild(self, QStringLiteral("tabs"), QStringLiteral("minimal"), page);
        tabsFrame.push_back(frame.ms);
        memFrame.push_back(frame.kb);
        tabsMinimal.push_back(minimal.ms);
        memMinimal.push_back(minimal.kb);
    }
    std::printf("browser benchmarks, median of %d rounds\n", rounds);
    report("frame, first tab loaded", median(firstFrame), median(firstMinimal), "ms", 1.3);
    report("30 tabs, time", median(tabsFrame), median(tabsMinimal), "ms", 1.2);
    report("30 tabs, memory (PSS)", median(memFrame) / 1024, median(memMinimal) / 1024, "MB", 1.2);
    return 0;
}
