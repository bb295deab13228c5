// Start-up of the viewer to its window shown with the blank page loaded, against a program that
// only shows a web view with about:blank, launched alternately in the same run.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double launchMs(const QString &program, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    // The web engine's start-up chatter would drown the results.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s did not finish cleanly\n", qPrintable(program));
        return -1;
    }
    return double(clock.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *variable : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
        environment.insert(QString::fromLatin1(variable), home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    environment.insert(QStringLiteral("VELMORA_SIMULATE_DESKTOP"), home.filePath(QStringLiteral("desktop.log")));
    environment.insert(QStringLiteral("VELMORA_QUIT_WHEN_READY"), QStringLiteral("1"));
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!environment.contains(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS")))
        environment.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--no-sandbox --disable-gpu"));

    const QString viewer = QStringLiteral(VELMORA_VISTELLE_PATH);
    const QString minimal = QStringLiteral(VELMORA_MINIMAL_PATH);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    // One warm-up of each so both start from a filled page cache.
    launchMs(viewer, environment);
    launchMs(minimal, environment);
    std::vector<double> viewerTimes, minimalTimes;
    for (int i = 0; i < rounds; ++i) {
        minimalTimes.push_back(launchMs(minimal, environment));
        viewerTimes.push_back(launchMs(viewer, environment));
    }
    const double v = median(viewerTimes);
    const double m = median(minimalTimes);
    std::printf("start-up to blank page loaded (median of %d)\n", rounds);
    std::printf("  vistelle         %8.1f ms\n", v);
    std::printf("  minimal web view %8.1f ms\n", m);
    std::printf("  ratio            %8.2f\n", v / m);
    return 0;
}
