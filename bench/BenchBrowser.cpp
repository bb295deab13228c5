// The browser frame against the least a program needs to show the same pages, in the same run:
//   first tab: the frame opened with its first tab loaded, against one web view loading the page;
//   30 tabs:   thirty tabs of the page, in time and in memory (proportional set size summed over
//              the process and every process it started), against thirty web views on the same
//              profile.
// Each measurement runs in a fresh child process of this program; the two sides alternate and the
// side that starts a round alternates too. Each is timed at its last page's load-finished signal.
// Printed: the median and the least of each side, the ratio of the medians, and how much CPU time
// the main thread used until then (where the two sides' own work differs).
#include "bench/ProcessTree.h"
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
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr int kTabs = 30;

// Proportional set size, in kilobytes, of this process and all its descendants.
qint64 processTreePssKb()
{
    qint64 total = 0;
    for (qint64 pid : bench::processTree(::getpid()))
        total += bench::pssKilobytes(pid);
    return total;
}

// CPU time the calling thread has used, in milliseconds.
double threadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Runs one measurement in this process: `side` is "frame" or "minimal", `what` "first" or "tabs".
// Prints the milliseconds until the last wanted page reported its load finished, the memory of the
// process tree (only for "tabs", else 0) and the CPU milliseconds of the main thread until then.
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

    const bool tabs = what == QLatin1String("tabs");
    const int wanted = tabs ? kTabs : 1;
    int loadedPages = 0;
    QElapsedTimer clock;
    double ms = -1;
    double cpuMs = -1;
    double cpuStart = 0;
    // A loop of its own: the application's quit would close the windows before the memory is read.
    QEventLoop loop;
    auto pageLoaded = [&] {
        if (++loadedPages != wanted)
            return;
        ms = double(clock.nsecsElapsed()) / 1e6;
        cpuMs = threadCpuMs() - cpuStart;
        loop.quit();
    };
    std::vector<std::unique_ptr<QWebEngineView>> views;
    std::unique_ptr<browser::frame::Frmmain> frame;
    cpuStart = threadCpuMs();
    clock.start();
    if (side == QLatin1String("frame")) {
        frame = std::make_unique<browser::frame::Frmmain>(services, values, pump);
        frame->setAttribute(Qt::WA_DeleteOnClose, false);
        QObject::connect(frame->activePage()->page(), &QWebEnginePage::loadFinished, &loop, pageLoaded);
        for (int i = 1; i < wanted; ++i) {
            browser::page::FormWeb *tab = frame->LoadNewForm(page);
            QObject::connect(tab->page(), &QWebEnginePage::loadFinished, &loop, pageLoaded);
        }
    } else {
        for (int i = 0; i < wanted; ++i) {
            auto view = std::make_unique<QWebEngineView>();
            view->setPage(new QWebEnginePage(profile.engineProfile(), view.get()));
            QObject::connect(view->page(), &QWebEnginePage::loadFinished, &loop, pageLoaded);
            view->resize(1040, 700);
            view->load(QUrl(page));
            view->show();
            views.push_back(std::move(view));
        }
    }
    QTimer::singleShot(120000, &app, [] { std::_Exit(2); });
    loop.exec();
    qint64 kb = 0;
    if (tabs) {
        // Let the page processes settle before their memory is read, every tab still open.
        QTimer::singleShot(1500, &loop, &QEventLoop::quit);
        loop.exec();
        kb = processTreePssKb();
    }
    std::printf("%.1f %lld %.1f\n", ms, kb, cpuMs);
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
    double cpuMs = -1;
};

Sample runChild(const QString &self, const QString &what, const QString &side, const QString &page)
{
    QProcess child;
    child.setStandardErrorFile(QProcess::nullDevice());
    child.start(self, { QStringLiteral("--measure"), what, side, page });
    if (!child.waitForFinished(180000) || child.exitCode() != 0)
        return {};
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split('\n').last().split(' ');
    if (fields.size() != 3)
        return {};
    return { fields[0].toDouble(), fields[1].toDouble(), fields[2].toDouble() };
}

// The values of one quantity over the rounds of one side; failed runs are left out.
struct Series {
    std::vector<double> values;
    int failed = 0;

    void add(double value)
    {
        if (value >= 0)
            values.push_back(value);
        else
            ++failed;
    }
    double median() const
    {
        if (values.empty())
            return -1;
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    double min() const { return values.empty() ? -1 : *std::min_element(values.begin(), values.end()); }
};

struct Sides {
    Series ms, kb, cpuMs;
};

// Runs `rounds` rounds of one measurement, each a child of each side; the side that starts a round
// alternates, so a slow spell of the machine falls on both alike.
std::pair<Sides, Sides> runRounds(const QString &self, const QString &what, const QString &page, int rounds)
{
    Sides frame, minimal;
    const auto run = [&](bool frameSide) {
        const Sample s = runChild(self, what, frameSide ? QStringLiteral("frame") : QStringLiteral("minimal"), page);
        Sides &sides = frameSide ? frame : minimal;
        sides.ms.add(s.ms);
        sides.kb.add(s.kb >= 0 ? s.kb / 1024 : -1);
        sides.cpuMs.add(s.cpuMs);
    };
    for (int round = 0; round < rounds; ++round) {
        run(round % 2 == 0);
        run(round % 2 != 0);
    }
    return { frame, minimal };
}

void report(const char *name, const Series &value, const Series &floor, const char *unit, double aim)
{
    const double ratio = floor.median() > 0 ? value.median() / floor.median() : 0;
    std::printf("%-24s median %8.1f %s (min %8.1f)   floor median %8.1f %s (min %8.1f)   "
                "ratio of medians %.2f (aim <= %.1f)%s\n",
        name,
        value.median(),
        unit,
        value.min(),
        floor.median(),
        unit,
        floor.min(),
        ratio,
        aim,
        ratio > aim ? "  ABOVE AIM" : "");
    if (value.failed || floor.failed)
        std::printf("%-24s failed runs: %d, floor %d\n", "", value.failed, floor.failed);
}

void reportCpu(const char *name, const Series &value, const Series &floor)
{
    std::printf("%-24s main thread CPU median %6.1f ms, floor %6.1f ms\n", name, value.median(), floor.median());
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
    // Rounds of the first-tab measurement, then of the 30 tabs (which take longer each).
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const int tabRounds = argc > 2 ? std::max(1, atoi(argv[2])) : 5;

    // One warm-up of each, so both start from a filled page cache.
    runChild(self, QStringLiteral("first"), QStringLiteral("frame"), page);
    runChild(self, QStringLiteral("first"), QStringLiteral("minimal"), page);
    const auto [firstFrame, firstMinimal] = runRounds(self, QStringLiteral("first"), page, rounds);
    const auto [tabsFrame, tabsMinimal] = runRounds(self, QStringLiteral("tabs"), page, tabRounds);
    std::printf(
        "browser benchmarks: %d rounds of the first tab, %d of 30 tabs, the sides alternating\n", rounds, tabRounds);
    report("frame, first tab loaded", firstFrame.ms, firstMinimal.ms, "ms", 1.3);
    reportCpu("", firstFrame.cpuMs, firstMinimal.cpuMs);
    report("30 tabs, time", tabsFrame.ms, tabsMinimal.ms, "ms", 1.2);
    reportCpu("", tabsFrame.cpuMs, tabsMinimal.cpuMs);
    report("30 tabs, memory (PSS)", tabsFrame.kb, tabsMinimal.kb, "MB", 1.2);
    return 0;
}
