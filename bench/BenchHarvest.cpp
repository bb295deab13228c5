// The picture harvester against the least the same work needs, in the same run:
//   query: the page's picture query over a page of 10,000 picture elements, from the call to the
//          parsed list, against the same query timed inside the page (performance.now()); the
//          route of one round trip per element is printed beside them as the peer.
//   save:  a saving pass of a page window over 40 pictures of 1600 x 1200 served by a loopback
//          server, against encoding those 40 decoded pictures with SaveAsJpeg alone; the longest
//          stall of the event loop during the pass is printed too, and the processor time the
//          pass took in this program and its page processes, which the machine's other work
//          changes far less than the wall time.
// "BenchHarvest save" runs the saving pass alone.
#include "bench/ProcessTree.h"
#include "browser/frame/ClosedPages.h"
#include "browser/page/PictureSaver.h"
#include "browser/page/ui/FormWeb.h"
#include "browser/page/ui/PageHost.h"
#include "browser/page/ui/PagePictures.h"
#include "common/Registry.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/Settings.h"
#include "common/platform/Desktop.h"
#include "viewer/JpegWriter.h"
#include "web/AppScripts.h"
#include "web/ui/Profile.h"
#include "web/ui/SilentPage.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <httplib.h>
#include <thread>
#include <vector>

namespace {

constexpr int kElements = 10000;
constexpr int kPictures = 40;
constexpr int kRuns = 7;

struct QuietHost : browser::page::PageHost {
    bool isCurrentTab(const browser::page::FormWeb *) const override { return true; }
    void setTabLabel(int, const QString &, const QString &) override { }
    void showActivePage(const QString &, const QString &) override { }
    void setAddressText(const QString &) override { }
    void setNavigationEnabled(bool, bool) override { }
    QWebEnginePage *openPopupTab(browser::page::FormWeb *) override { return nullptr; }
    void openInNewTab(const QString &) override { }
    void addAddressListEntry(const QString &) override { }
    void pageViewFocused() override { }
    void selectionTaken(const QString &) override { }
    void bringForward(browser::page::FormWeb *) override { }
    void pageActivated(browser::page::FormWeb *) override { }
    void openDownloadFolder() override { }
};

// CPU seconds used so far by this process and every process it started (the page processes).
double treeCpuSeconds()
{
    double total = 0;
    for (qint64 pid : bench::processTree(QCoreApplication::applicationPid()))
        total += bench::cpuSeconds(pid);
    return total;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Start> void runUntilDone(Start start)
{
    QEventLoop loop;
    start([&loop] { loop.quit(); });
    loop.exec();
}

QVariant runScript(QWebEnginePage *page, const QString &script)
{
    QVariant result;
    runUntilDone([&](auto quit) {
        page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&result, quit](const QVariant &v) {
            result = v;
            quit();
        });
    });
    return result;
}

std::string picturePng(int index)
{
    QImage image(1600, 1200, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb((x * 7 + index * 13) & 0xFF, (y * 3 + x) & 0xFF, (x ^ y) & 0xFF);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes.toStdString();
}

void benchQuery(QWebEnginePage *page)
{
    QString html = QStringLiteral("<html><body>");
    for (int i = 0; i < kElements; ++i)
        html += QStringLiteral("<img src='p%1.png' width=%2 height=%3>").arg(i).arg(400 + i % 300).arg(300 + i % 400);
    html += QStringLiteral("</body></html>");
    runUntilDone([&](auto quit) {
        QObject::connect(page, &QWebEnginePage::loadFinished, page, quit, Qt::SingleShotConnection);
        page->setHtml(html, QUrl(QStringLiteral("http://127.0.0.1:9/")));
    });
    const QString inside =
        QStringLiteral("(function(){var t=performance.now();var r=(%1)();return performance.now()-t;})()")
            .arg(web::appScriptText(QStringLiteral("page-images")));
    std::vector<double> program;
    std::vector<double> pageTimes;
    int found = 0;
    for (int run = 0; run < kRuns; ++run) {
        pageTimes.push_back(runScript(page, inside).toDouble());
        QElapsedTimer clock;
        clock.start();
        runUntilDone([&](auto quit) {
            browser::page::queryPageImages(page, [&found, quit](QList<browser::page::PageImage> images) {
                found = int(images.size());
                quit();
            });
        });
        program.push_back(clock.nsecsElapsed() / 1e6);
    }
    // The peer: one round trip per element.
    QElapsedTimer clock;
    clock.start();
    int answered = 0;
    runUntilDone([&](auto quit) {
        for (int i = 0; i < kElements; ++i) {
            page->runJavaScript(
                QStringLiteral("(function(e){return [e.src,e.width,e.height];})(document.images[%1])").arg(i),
                QWebEngineScript::ApplicationWorld,
                [&answered, quit](const QVariant &) {
                    if (++answered == kElements)
                        quit();
                });
        }
    });
    const double perElement = clock.nsecsElapsed() / 1e6;
    const double ours = median(program);
    const double floor = median(pageTimes);
    std::printf("query   %d elements (%d found): program %.1f ms, inside the page %.1f ms, ratio %.2f (aim <= 1.25)\n",
        kElements,
        found,
        ours,
        floor,
        ours / floor);
    std::printf(
        "query   peer, one round trip per element: %.1f ms (%.1fx the program)\n", perElement, perElement / ours);
}

void benchSave(const common::Services &services, const QString &folder)
{
    httplib::Server server;
    std::vector<std::string> pictures;
    for (int i = 0; i < kPictures; ++i)
        pictures.push_back(picturePng(i));
    QString html = QStringLiteral("<html><body>");
    for (int i = 0; i < kPictures; ++i) {
        server.Get("/p" + std::to_string(i) + ".jpg", [&pictures, i](const httplib::Request &, httplib::Response &r) {
            r.set_header("Cache-Control", "max-age=3600");
            r.set_content(pictures[size_t(i)], "image/jpeg");
        });
        html += QStringLiteral("<img src='/p%1.jpg'>").arg(i);
    }
    html += QStringLiteral("</body></html>");
    const std::string page = html.toStdString();
    server.Get("/page", [&page](const httplib::Request &, httplib::Response &r) { r.set_content(page, "text/html"); });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&server] { server.listen_after_bind(); });

    std::vector<QImage> decoded;
    for (const std::string &bytes : pictures)
        decoded.push_back(QImage::fromData(QByteArray::fromStdString(bytes)));
    // The pass decodes JPEGs into 24-bit rows, which the encoder takes without converting them:
    // the same encoding from such rows is printed beside the floor.
    std::vector<QImage> rows24;
    for (const QImage &picture : decoded)
        rows24.push_back(picture.convertToFormat(QImage::Format_RGB888));

    common::RunningValues values;
    values.DataFolder = folder + QStringLiteral("/");
    values.DownloadFolder = folder + QStringLiteral("/Download/");
    QDir().mkpath(values.DownloadFolder);
    QuietHost host;
    browser::frame::ClosedPages closed(services.settings);
    auto *window = new browser::page::FormWeb(
        host, services, values, closed, 0, QStringLiteral("http://127.0.0.1/"), false, nullptr);
    window->resize(1000, 700);
    window->show();
    runUntilDone([&](auto quit) {
        QObject::connect(window->page(), &QWebEnginePage::loadFinished, window, quit, Qt::SingleShotConnection);
        window->Navigate(QStringLiteral("http://127.0.0.1:%1/page").arg(port));
    });
    // The pictures of a loaded page are decoded by the page before anything is saved.
    runScript(window->page(),
        QStringLiteral(
            "Promise.all(Array.from(document.images).map(function(i){return i.decode();})).then(function(){})"));
    window->Timer3->stop();

    // The two sides alternate, three times each: the machine's other work falls on both.
    std::vector<double> floors;
    std::vector<double> floors24;
    std::vector<double> passes;
    std::vector<double> cpuPerPicture;
    qint64 longestStall = 0;
    int saved = 0;
    for (int run = 0; run < 3; ++run) {
        QTemporaryDir floorDir;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kPictures; ++i)
            viewer::SaveAsJpeg(decoded[size_t(i)], floorDir.filePath(QStringLiteral("%1.jpg").arg(i)), 80);
        floors.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        for (int i = 0; i < kPictures; ++i)
            viewer::SaveAsJpeg(rows24[size_t(i)], floorDir.filePath(QStringLiteral("%1-24.jpg").arg(i)), 80);
        floors24.push_back(clock.nsecsElapsed() / 1e6);

        QDir(values.DownloadFolder).removeRecursively();
        QDir().mkpath(values.DownloadFolder);
        window->BeforeDownload();
        window->Timer3->stop();
        QElapsedTimer beat;
        QTimer heart;
        heart.setInterval(1);
        QObject::connect(&heart, &QTimer::timeout, [&] { longestStall = std::max(longestStall, beat.restart()); });
        const double cpuBefore = treeCpuSeconds();
        clock.restart();
        beat.start();
        heart.start();
        runUntilDone([&](auto quit) {
            QObject::connect(
                &window->saver(), &browser::page::PictureSaver::passEnded, window, quit, Qt::SingleShotConnection);
            window->SavePictureDisk(values.DownloadFolder);
        });
        passes.push_back(clock.nsecsElapsed() / 1e6);
        cpuPerPicture.push_back((treeCpuSeconds() - cpuBefore) * 1000 / kPictures);
        heart.stop();
        saved = int(QDir(values.DownloadFolder).entryList(QDir::Files).size());
    }
    const double pass = median(passes);
    const double floor = median(floors);
    std::printf("save    %d pictures of 1600 x 1200 (%d saved): pass %.0f ms, SaveAsJpeg alone %.0f ms, ratio %.2f "
                "(aim <= 1.5)\n",
        kPictures,
        saved,
        pass,
        floor,
        pass / floor);
    std::printf("save    SaveAsJpeg alone from 24-bit rows, as the pass decodes JPEGs: %.0f ms (pass / this %.2f)\n",
        median(floors24),
        pass / median(floors24));
    std::printf("save    processor time of the pass: %.1f ms per picture, this program and its page processes\n",
        median(cpuPerPicture));
    std::printf("save    longest event-loop stall during the passes: %lld ms (aim <= 50)\n",
        static_cast<long long>(longestStall));
    delete window;
    server.stop();
    serving.join();
}

}

int main(int argc, char **argv)
{
    QTemporaryDir sandbox;
    for (const char *name : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR" }) {
        const QString path = sandbox.filePath(QString::fromLatin1(name));
        QDir().mkpath(path);
        qputenv(name, QFile::encodeName(path));
    }
    qputenv("VELMORA_SIMULATE_DESKTOP", QFile::encodeName(sandbox.filePath(QStringLiteral("desktop.log"))));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    {
        web::Profile profile;
        auto hive = common::RegistryHive::openInMemory();
        common::SettingsStore settings(*hive);
        auto desktop = common::platform::createDesktop();
        const common::Services services { *hive, settings, *desktop, *web::programProfile() };
        // "save" as the argument runs the saving pass alone.
        if (QCoreApplication::arguments().value(1) != QLatin1String("save")) {
            auto *view = new QWebEngineView;
            auto *page = new web::SilentPage(web::programProfile(), view);
            view->setPage(page);
            view->resize(1000, 700);
            view->show();
            benchQuery(page);
            delete view;
        }
        benchSave(services, sandbox.filePath(QStringLiteral("data")));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return 0;
}
