// Times the folder scan plus the first thumbnail page (natural-size layout, 200 per page, written
// to the page file) over a folder of 20,001 pictures, against `ls -U` of the same folder.
#include "viewer/FolderScan.h"
#include "viewer/ThumbnailPageBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

double bestOfTwoMs(const std::function<bool()> &run)
{
    double best = 1e300;
    for (int i = 0; i < 2; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run())
            return -1;
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
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

    floor(), ours(); // warm-up
    const double floorMs = bestOfTwoMs(floor);
    const double oursMs = bestOfTwoMs(ours);
    if (floorMs < 0 || oursMs < 0 || listed != kPictures) {
        std::printf("run failed (listed %d)\n", listed);
        return 1;
    }
    std::printf("Folder of %d pictures\n", kPictures);
    std::printf("  floor (ls -U > /dev/null):           %8.1f ms\n", floorMs);
    std::printf("  scan + first page (layout 0, 200):   %8.1f ms   ratio to floor %.2f\n", oursMs, oursMs / floorMs);
    return 0;
}
