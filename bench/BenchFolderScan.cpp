// Times the folder scan plus the first thumbnail page (natural-size layout, 200 per page, written
// to the page file) over a folder of 20,001 pictures, against `ls -U` of the same folder: the
// medians of 21 runs each, with their spread.
#include "viewer/FolderScan.h"
#include "viewer/ThumbnailPageBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// Times of `runs` calls in milliseconds, sorted; empty when a call fails.
std::vector<double> sortedTimesMs(int runs, const std::function<bool()> &run)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run())
            return {};
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times;
}

double median(const std::vector<double> &sorted)
{
    return sorted[sorted.size() / 2];
}

void printSpread(const char *what, const std::vector<double> &t)
{
    const size_t n = t.size();
    std::printf("  %-37s median %6.1f ms   (min %.1f, quartiles %.1f / %.1f, max %.1f; %zu runs)\n",
        what,
        median(t),
        t.front(),
        t[n / 4],
        t[(3 * n) / 4],
        t.back(),
        n);
}

bool listWithLs(const QByteArray &folder)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char ls[] = "ls", unsorted[] = "-U";
    QByteArray path = folder;
    char *arguments[] = { ls, unsorted, path.data(), nullptr };
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, "ls", &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}

int main(int argc, char **argv)
{
    QTemporaryDir sandbox;
    // The page file goes to the sandbox, not to the user's runtime folder; like that folder the
    // sandbox is on a tmpfs when there is one.
    QTemporaryDir runtime(QDir(QStringLiteral("/dev/shm")).exists()
            ? QStringLiteral("/dev/shm/velmora-bench-XXXXXX")
            : QDir::tempPath() + QStringLiteral("/velmora-XXXXXX"));
    if (!sandbox.isValid() || !runtime.isValid())
        return 1;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QCoreApplication app(argc, argv);

    const QString folder = sandbox.filePath(QStringLiteral("pictures"));
    if (!QDir().mkpath(folder))
        return 1;
    constexpr int kPictures = 20001;
    const QByteArray png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x03\x20\0\0\x02\x58\x08\x02\0\0\0", 29);
    for (int i = 0; i < kPictures; ++i) {
        QFile file(folder + QStringLiteral("/IMG_%1.png").arg(i, 5, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size())
            return 1;
    }

    int listed = 0;
    const auto ours = [&] {
        const viewer::FolderScanResult scan = viewer::scanFolder(folder, QString());
        viewer::ThumbnailPageInput input;
        input.ViewerList = scan.ViewerList;
        input.ViewerCount = scan.ViewerCount;
        input.CurrentPage = 1;
        input.PageSize = 200;
        input.LayoutMode = 0;
        input.webWidthTwips = 1280 * 15;
        input.CurrentFolder = scan.CurrentFolder;
        const viewer::ThumbnailPage page = viewer::BuildThumbnailPage(input);
        listed = scan.ViewerCount;
        return viewer::writeThumbnailPageFile(page.html);
    };
    const QByteArray encoded = QFile::encodeName(folder);
    const auto floor = [&] {
        return listWithLs(encoded);
    };

    // One launch of ls swings by half its time from run to run on a busy machine, so the floor
    // is the median of many. The two sets are timed apart: a run timed right after an ls launch
    // starts on caches the child process has just used, and pays for it.
    constexpr int kRuns = 21;
    floor(), ours(); // warm-up
    const std::vector<double> floorTimes = sortedTimesMs(kRuns, floor);
    const std::vector<double> ourTimes = sortedTimesMs(kRuns, ours);
    if (floorTimes.empty() || ourTimes.empty() || listed != kPictures) {
        std::printf("run failed (listed %d)\n", listed);
        return 1;
    }
    std::printf("Folder of %d pictures\n", kPictures);
    printSpread("floor (ls -U > /dev/null):", floorTimes);
    printSpread("scan + first page (layout 0, 200):", ourTimes);
    std::printf("  ratio of the medians: %.2f\n", median(ourTimes) / median(floorTimes));
    return 0;
}
