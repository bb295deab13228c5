// The viewer's thumbnail page of 200 camera photos (24 MP JPEGs) on one page, in layouts 0 and 3:
// time to the first screen painted (every visible picture complete and the view's pixels stable),
// time to all painted, and peak memory summed over the process tree (PSS). Each run is a fresh
// process of this program ("--show"), driven and measured from outside. Routes: the originals
// handed to the engine (as before the scaled route), the scaled route with a cold cache and with
// a warm one. References in the same run: the same page of 200 KB photos, and the decode floor
// (scaled decodes of the first screen's pictures, one thread per core).
//
//   BenchThumbnailPage [--scaled-only] [folder-for-generated-photos]
//     (--scaled-only leaves out the originals, the slowest runs by far)
//   BenchThumbnailPage --shot page.htm scaled|originals zoom-percent delay-ms picture.png
#include "bench/ProcessTree.h"
#include "viewer/ThumbnailPageBuilder.h"
#include "viewer/thumbs/ScaledDecoder.h"
#include "viewer/ui/ScaledPictureRoute.h"
#include "web/ui/PageScripts.h"
#include "web/ui/PictureScheme.h"
#include "web/ui/SilentPage.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kCount = 200;
constexpr QSize kView(1040, 600);

// A photo-like picture: smooth shades with grain, so it codes to a camera-like size. Each variant
// has its shades in other colours.
QByteArray encodedPhoto(QSize size, int quality, int variant)
{
    QImage image(size, QImage::Format_RGB32);
    auto *random = QRandomGenerator::global();
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int grain = int(random->bounded(24));
            const int shades[3] = { (x * 255 / size.width() + grain) & 255,
                (y * 255 / size.height() + grain) & 255,
                ((x + y) / 7 + grain) & 255 };
            line[x] = qRgb(shades[variant % 3], shades[(variant + 1) % 3], shades[(variant + 2) % 3]);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}

// kCount photos, each its own name and modification time, taking the given ones in turn. Three
// that differ keep every row of a page unlike the next, whether it holds one picture or four, so a
// scroll by one row always changes what the view shows.
QStringList makeFolder(const QString &folder, const QList<QByteArray> &photos)
{
    QDir().mkpath(folder);
    QStringList paths;
    for (int i = 0; i < kCount; ++i) {
        const QByteArray &photo = photos[i % photos.size()];
        const QString path = folder + QStringLiteral("/IMG_%1.jpg").arg(1000 + i);
        QFile file(path);
        if (!file.exists() || file.size() != photo.size()) {
            file.open(QIODevice::WriteOnly);
            file.write(photo);
            file.close();
        }
        file.open(QIODevice::ReadWrite);
        file.setFileTime(QDateTime::fromSecsSinceEpoch(1'700'000'000 + i), QFileDevice::FileModificationTime);
        paths << path;
    }
    return paths;
}

QString writePage(const QString &folder, const QStringList &paths, int layout)
{
    viewer::ThumbnailPageInput input;
    input.ViewerList = paths;
    input.ViewerCount = int(paths.size());
    input.PageSize = kCount;
    input.LayoutMode = layout;
    input.webWidthTwips = kView.width() * 15;
    const QString page = folder + QStringLiteral("/page-%1.htm").arg(layout);
    QFile file(page);
    file.open(QIODevice::WriteOnly);
    file.write(viewer::BuildThumbnailPage(input).html.toUtf8());
    return page;
}

// ---- the shown page, in its own process -------------------------------------------------------

// firstScreenPictures: how many pictures the first screen of the laid-out page shows. Once all
// is painted, the view jumps to the middle of the page and then scrolls down by one row; each is
// timed from the scroll to the first showing of the frame that then stays, with every picture in
// the view complete. Prints: first screen, all painted, jump, row (ms).
int showPage(const QString &page, bool scaled, int firstScreenPictures)
{
    QWebEngineView view;
    auto *silent = new web::SilentPage(QWebEngineProfile::defaultProfile(), &view);
    if (scaled)
        viewer::serveScaledPictures(silent);
    view.setPage(silent);
    view.resize(kView);
    view.show();
    QElapsedTimer clock;
    clock.start();
    enum class Phase { Loading, Jump, Row, Done };
    Phase phase = Phase::Loading;
    double firstScreen = -1;
    double allPainted = -1;
    double jump = -1;
    double scrolledAt = -1; // when the running scroll was asked for
    double frameSince = 0; // when the current frame first showed
    QImage previous;
    QImage beforeScroll;
    // Every look grabs the view, which takes the engine's time too: less often while loading.
    auto *poll = new QTimer(&view);
    poll->setInterval(25);
    const auto scroll = [&](const QString &script) {
        beforeScroll = previous;
        scrolledAt = -1;
        silent->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &) {
            scrolledAt = clock.nsecsElapsed() / 1e6;
        });
    };
    QObject::connect(poll, &QTimer::timeout, &view, [&] {
        silent->runJavaScript(
            QStringLiteral(
                "(function(){ if (location.protocol != 'file:' || document.readyState == 'loading') return null;"
                " var imgs = Array.from(document.images), done = i => i.complete && i.naturalWidth > 0;"
                " var inView = imgs.filter(i => { var r = i.getBoundingClientRect();"
                "   return r.bottom > 0 && r.top < innerHeight; });"
                " return [imgs.slice(0, %1).every(done), imgs.every(done), inView.every(done)]; })()")
                .arg(firstScreenPictures),
            QWebEngineScript::ApplicationWorld,
            [&](const QVariant &value) {
                const QVariantList state = value.toList();
                if (state.size() != 3 || phase == Phase::Done)
                    return;
                const double now = clock.nsecsElapsed() / 1e6;
                // A grab takes the engine's time too, so the view is only looked at once the
                // pictures that the awaited state needs are complete.
                if (phase == Phase::Loading && !state[firstScreen < 0 ? 0 : 1].toBool())
                    return;
                // The scroll bar is left out: it changes with every picture loaded further down.
                const QImage frame = view.grab().toImage().copy(0, 0, kView.width() - 24, kView.height());
                const bool stable = frame == previous;
                if (!stable)
                    frameSince = now;
                previous = frame;
                if (!stable)
                    return;
                if (phase == Phase::Loading) {
                    // The first screen was painted when the frame that stays first showed (a look
                    // later only confirms it).
                    if (firstScreen < 0 && state[0].toBool())
                        firstScreen = frameSince;
                    if (!state[1].toBool())
                        return;
                    allPainted = now;
                    phase = Phase::Jump;
                    poll->setInterval(10);
                    scroll(QStringLiteral("window.scrollTo(0, (document.body.scrollHeight - innerHeight) / 2)"));
                    return;
                }
                // A scroll that changes nothing (a page too short) is given up after a while.
                const bool settled = scrolledAt >= 0 && frame != beforeScroll && state[2].toBool();
                if (!settled && (scrolledAt < 0 || now - scrolledAt < 20'000))
                    return;
                const double took = settled ? std::max(0.0, frameSince - scrolledAt) : -1;
                if (phase == Phase::Jump) {
                    jump = took;
                    phase = Phase::Row;
                    // One row: down to the top of the first picture below the top one.
                    scroll(QStringLiteral(
                        "(function(){ var tops = Array.from(document.images).map(i => i.getBoundingClientRect().top);"
                        " var first = tops.find(t => t >= 0), next = tops.find(t => t > first + 1);"
                        " window.scrollBy(0, next === undefined ? innerHeight / 2 : next - first); })()"));
                    return;
                }
                phase = Phase::Done;
                // The order the pictures were made in, for a look by hand (the driver drops it).
                if (auto *handler = viewer::pictureSchemeHandler(silent->profile()))
                    std::fprintf(stderr,
                        "started: %s\n",
                        qPrintable(handler->startedOrder()
                                       .mid(0, 40)
                                       .replaceInStrings(QRegularExpression(QStringLiteral(".*/IMG_1?0*")), QString())
                                       .join(u' ')));
                std::printf("%.0f %.0f %.0f %.0f\n", firstScreen, allPainted, jump, took);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
    });
    poll->start();
    // A scroll that never settles still leaves the loading times.
    QTimer::singleShot(240'000, qApp, [&] {
        std::printf("%.0f %.0f %.0f -1\n", firstScreen, allPainted, jump);
        std::fflush(stdout);
        QCoreApplication::exit(allPainted < 0 ? 2 : 0);
    });
    view.setUrl(QUrl::fromLocalFile(page));
    return QApplication::exec();
}

// A picture of the view delayMs after the page starts loading, at a zoom in percent (the
// document's zoom, as the viewer's zoom buttons give it).
int shootPage(const QString &page, bool scaled, int zoom, int delayMs, const QString &target)
{
    QWebEngineView view;
    auto *silent = new web::SilentPage(QWebEngineProfile::defaultProfile(), &view);
    if (scaled)
        viewer::serveScaledPictures(silent);
    view.setPage(silent);
    view.resize(kView);
    view.show();
    // Zoomed as the viewer zooms: the document's own zoom, then larger copies asked for.
    QObject::connect(silent, &QWebEnginePage::loadFinished, &view, [&] {
        if (zoom == 100)
            return;
        web::zoomPage(silent, zoom);
        viewer::askCopiesAtZoom(silent, zoom);
    });
    QTimer::singleShot(delayMs, &view, [&] {
        view.grab().save(target);
        QCoreApplication::quit();
    });
    view.setUrl(QUrl::fromLocalFile(page));
    return QApplication::exec();
}

// ---- the driver ------------------------------------------------------------------------------

struct Run {
    double firstMs = -1;
    double allMs = -1;
    double jumpMs = -1; // jump to the middle, all painted before
    double rowMs = -1; // a row more by scrolling, all painted before
    double peakMb = 0;
};

Run measure(const QString &page, bool scaled, const QString &cache, int firstScreenPictures)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!environment.contains(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS")))
        environment.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--no-sandbox --disable-gpu"));
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--show"),
            page,
            scaled ? QStringLiteral("scaled") : QStringLiteral("originals"),
            QString::number(firstScreenPictures) });
    process.waitForStarted();
    Run run;
    qint64 peak = 0;
    while (!process.waitForFinished(50)) {
        qint64 sum = 0;
        for (qint64 pid : bench::processTree(process.processId()))
            sum += bench::pssKilobytes(pid);
        peak = std::max(peak, sum);
    }
    const QList<QByteArray> times = process.readAllStandardOutput().trimmed().split(' ');
    if (process.exitCode() == 0 && times.size() == 4) {
        run.firstMs = times[0].toDouble();
        run.allMs = times[1].toDouble();
        run.jumpMs = times[2].toDouble();
        run.rowMs = times[3].toDouble();
    }
    run.peakMb = peak / 1024.0;
    return run;
}

// Scaled decodes of the pictures of the first screen, one thread per core: by the general reader
// (the floor), or by the program's decoder.
double decodeMs(const QStringList &paths, int pictures, int edge, bool program = false)
{
    QThreadPool pool;
    pool.setMaxThreadCount(QThread::idealThreadCount());
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < pictures; ++i) {
        pool.start([path = paths[i], edge, program] {
            if (program) {
                viewer::thumbs::decodeScaled(path, edge);
                return;
            }
            QImageReader reader(path);
            reader.setScaledSize(viewer::thumbs::fitWithin(reader.size(), edge));
            reader.read();
        });
    }
    pool.waitForDone();
    return clock.nsecsElapsed() / 1e6;
}

void print(const char *name, const Run &run, double floorMs, double smallPeak)
{
    std::printf("  %-26s first screen %7.0f ms (%5.2fx floor)   all painted %7.0f ms   peak PSS %7.0f MB (%4.2fx small "
                "photos)   then: jump to middle %5.0f ms, new row on scroll %4.0f ms\n",
        name,
        run.firstMs,
        run.firstMs / floorMs,
        run.allMs,
        run.peakMb,
        run.peakMb / smallPeak,
        run.jumpMs,
        run.rowMs);
    std::fflush(stdout);
}

}

int main(int argc, char **argv)
{
    web::registerPictureScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 7 && args[1] == QLatin1String("--shot"))
        return shootPage(args[2], args[3] == QLatin1String("scaled"), args[4].toInt(), args[5].toInt(), args[6]);
    if (args.size() == 5 && args[1] == QLatin1String("--show"))
        return showPage(args[2], args[3] == QLatin1String("scaled"), args[4].toInt());

    QTemporaryDir scratch;
    QStringList rest = args.mid(1);
    const bool scaledOnly = rest.removeAll(QStringLiteral("--scaled-only")) > 0;
    const QString folder = rest.isEmpty() ? scratch.path() : rest.first();
    QElapsedTimer clock;
    clock.start();
    const auto photos = [](QSize size) {
        return QList<QByteArray> { encodedPhoto(size, 90, 0), encodedPhoto(size, 90, 1), encodedPhoto(size, 90, 2) };
    };
    const QStringList camera = makeFolder(folder + QStringLiteral("/camera"), photos({ 6000, 4000 }));
    const QStringList small = makeFolder(folder + QStringLiteral("/small"), photos({ 800, 533 }));
    std::printf("%d photos of 24 MP (%.1f MB each) and of 0.4 MP (%.0f KB each) made in %.1f s\n",
        kCount,
        QFileInfo(camera.first()).size() / 1e6,
        QFileInfo(small.first()).size() / 1e3,
        clock.elapsed() / 1000.0);

    const int W = viewer::pageContentWidth(kView.width() * 15);
    struct Layout {
        int mode;
        int visible; // pictures of the first screen
        int edge; // the size of their scaled decode
    };
    for (const Layout layout : { Layout { 3, 16, 256 }, Layout { 0, 1, 1024 } }) {
        std::printf("layout %d (%d x %d view, page width %d):\n", layout.mode, kView.width(), kView.height(), W);
        const double floorMs = decodeMs(camera, layout.visible, layout.edge);
        std::printf("  decode floor: %d pictures of the first screen, scaled to %d, %d threads: %.0f ms\n",
            layout.visible,
            layout.edge,
            QThread::idealThreadCount(),
            floorMs);
        {
            // The program's decoder (libjpeg from memory) against the general reader, taking turns.
            std::vector<double> ours;
            std::vector<double> floors;
            for (int run = 0; run < 3; ++run) {
                floors.push_back(decodeMs(camera, layout.visible, layout.edge));
                ours.push_back(decodeMs(camera, layout.visible, layout.edge, true));
            }
            std::sort(ours.begin(), ours.end());
            std::sort(floors.begin(), floors.end());
            std::printf("  the program's scaled decode of them: %.0f ms against the floor's %.0f ms (%.2fx)\n",
                ours[1],
                floors[1],
                ours[1] / floors[1]);
        }
        const QString cameraPage = writePage(folder + QStringLiteral("/camera"), camera, layout.mode);
        const QString smallPage = writePage(folder + QStringLiteral("/small"), small, layout.mode);
        const QString cache = folder + QStringLiteral("/cache-%1").arg(layout.mode);
        QDir(cache).removeRecursively();
        const Run smallRun = measure(smallPage, false, folder + QStringLiteral("/cache-small"), layout.visible);
        print("200 KB photos (reference)", smallRun, floorMs, smallRun.peakMb);
        if (!scaledOnly)
            print("originals (before)", measure(cameraPage, false, cache, layout.visible), floorMs, smallRun.peakMb);
        // The machine's load changes: the cold run is set against a floor measured just before it.
        const double coldFloorMs = decodeMs(camera, layout.visible, layout.edge);
        std::printf("  decode floor again, just before the cold run: %.0f ms\n", coldFloorMs);
        print("scaled, cold cache", measure(cameraPage, true, cache, layout.visible), coldFloorMs, smallRun.peakMb);
        print("scaled, warm cache", measure(cameraPage, true, cache, layout.visible), floorMs, smallRun.peakMb);
    }
    return 0;
}
