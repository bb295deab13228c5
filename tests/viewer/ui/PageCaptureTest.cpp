#include "web/ui/PageCapture.h"

#include "tests/TestSupport.h"
#include "viewer/JpegWriter.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

// No doctype: the thumbnail pages are written the same way. Red at the top, blue at the bottom,
// so a picture cut at the window's height shows no blue.
const QString kTallPage =
    QStringLiteral("<html><body style=\"margin:0\"><div style=\"width:300px;height:1500px;background:#ff0000\"></div>"
                   "<div style=\"width:300px;height:1500px;background:#0000ff\"></div></body></html>");

// The viewer writes its captures as JPEG files of quality 80.
bool viewerJpeg(const QImage &page, const QString &target)
{
    return viewer::SaveAsJpeg(page, target, 80);
}

class PageCaptureTest : public testing::TestWithParam<int> {
protected:
    void load(const QString &html, QSize size)
    {
        view.resize(size);
        view.show();
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.setHtml(html);
        ASSERT_TRUE(loaded.wait(20000));
    }

    QWebEngineView view;
    QTemporaryDir dir;
};

TEST_P(PageCaptureTest, WholePageIsCapturedAtScrollSizePlusFourWhateverTheWindowHeight)
{
    load(kTallPage, QSize(600, GetParam()));
    web::PageCapture capture(&view, viewerJpeg);
    QList<bool> busy;
    capture.busyHook = [&busy](bool on) {
        busy.append(on);
    };
    QSignalSpy captured(&capture, &web::PageCapture::captured);
    const QString target = dir.filePath("截图.jpg");
    capture.captureToFile(target);
    EXPECT_TRUE(capture.isBusy());
    ASSERT_TRUE(captured.wait(30000));
    EXPECT_TRUE(captured.first().first().toBool());

    QImageReader reader(target);
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage page = reader.read();
    EXPECT_EQ(page.size(), QSize(604, 3004));
    const QColor top = page.pixelColor(150, 100);
    const QColor bottom = page.pixelColor(150, 2900);
    EXPECT_GT(top.red(), 200);
    EXPECT_LT(top.blue(), 60);
    EXPECT_GT(bottom.blue(), 200);
    EXPECT_LT(bottom.red(), 60);

    EXPECT_EQ(busy, (QList<bool> { true, false }));
    EXPECT_FALSE(capture.isBusy());
    EXPECT_EQ(view.size(), QSize(600, GetParam()));
}

INSTANTIATE_TEST_SUITE_P(WindowHeights, PageCaptureTest, testing::Values(300, 700, 3600));

TEST(PageCapture, ASecondRequestWhileBusyIsRefused)
{
    QWebEngineView view;
    view.resize(200, 200);
    view.show();
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    view.setHtml(QStringLiteral("<html><body>x</body></html>"));
    ASSERT_TRUE(loaded.wait(20000));
    web::PageCapture capture(&view, viewerJpeg);
    QTemporaryDir dir;
    QSignalSpy captured(&capture, &web::PageCapture::captured);
    capture.captureToFile(dir.filePath("a.jpg"));
    bool refused = false;
    capture.grabWholePage([&refused](const QImage &page) { refused = page.isNull(); });
    EXPECT_TRUE(refused);
    ASSERT_TRUE(captured.wait(30000));
    EXPECT_TRUE(captured.first().first().toBool());
}

TEST(PageCapture, UnwritableTargetIsReportedAsNotWritten)
{
    QWebEngineView view;
    view.resize(200, 200);
    view.show();
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    view.setHtml(QStringLiteral("<html><body>x</body></html>"));
    ASSERT_TRUE(loaded.wait(20000));
    web::PageCapture capture(&view, viewerJpeg);
    QSignalSpy captured(&capture, &web::PageCapture::captured);
    capture.captureToFile(QStringLiteral("/dev/full"));
    ASSERT_TRUE(captured.wait(30000));
    EXPECT_FALSE(captured.first().first().toBool());
}

}

namespace {

TEST(PageCapture, DocumentWindowIsTheViewInsideTheForm)
{
    QWidget form;
    EXPECT_EQ(web::FindDocumentWindow(&form), nullptr);
    EXPECT_EQ(web::FindDocumentWindow(nullptr), nullptr);
    auto *frame = new QWidget(&form);
    auto *view = new QWebEngineView(frame);
    EXPECT_EQ(web::FindDocumentWindow(&form), view);
    EXPECT_EQ(web::FindDocumentWindow(view), view);
}

}

namespace {

QString stripes(int width, const QList<std::pair<int, const char *>> &parts)
{
    QString html = QStringLiteral("<html><body style=\"margin:0\">");
    for (const auto &[height, colour] : parts)
        html += QStringLiteral("<div style=\"width:%1px;height:%2px;background:%3\"></div>")
                    .arg(width)
                    .arg(height)
                    .arg(QLatin1String(colour));
    return html + QStringLiteral("</body></html>");
}

struct ShownPage {
    explicit ShownPage(const QString &html)
    {
        view.resize(400, 300);
        view.show();
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.setHtml(html);
        ok = loaded.wait(20000);
    }
    QWebEngineView view;
    bool ok = false;
};

TEST(PageCapture, APageTallerThanOneViewIsCapturedInBandsAndJoined)
{
    ShownPage shown(stripes(300, { { 20000, "#ff0000" }, { 20000, "#0000ff" } }));
    ASSERT_TRUE(shown.ok);
    web::PageCapture capture(&shown.view, viewerJpeg);
    QImage page;
    bool done = false;
    capture.grabWholePage([&](const QImage &grabbed) {
        page = grabbed;
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 120000)
        velmora::test::serveEvents(20);
    ASSERT_TRUE(done);
    ASSERT_EQ(page.size(), QSize(404, 40004));
    EXPECT_TRUE(capture.lastError().isEmpty());
    for (int y : { 100, 15990, 16010, 19990 })
        EXPECT_GT(page.pixelColor(150, y).red(), 200) << y;
    for (int y : { 20010, 24010, 32010, 39990 })
        EXPECT_GT(page.pixelColor(150, y).blue(), 200) << y;
    EXPECT_EQ(shown.view.size(), QSize(400, 300));
}

TEST(PageCapture, FailuresAreToldInAMessageNotAsSuccess)
{
    struct Case {
        const char *what;
        QString html;
        QString target;
        QString message;
    };
    QTemporaryDir dir;
    const Case cases[] = {
        { "taller than a JPEG holds",
            stripes(300, { { 70000, "#00ff00" } }),
            dir.filePath("tall.jpg"),
            QStringLiteral("页面太大，无法截图：404 × 70004 像素（最大 32000 × 65535 像素）。") },
        { "an unwritable target",
            stripes(300, { { 200, "#00ff00" } }),
            QStringLiteral("/dev/full"),
            QStringLiteral("无法写入截图文件：/dev/full") },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ShownPage shown(c.html);
        ASSERT_TRUE(shown.ok);
        web::PageCapture capture(&shown.view, viewerJpeg);
        QSignalSpy captured(&capture, &web::PageCapture::captured);
        QSignalSpy failed(&capture, &web::PageCapture::failed);
        capture.captureToFile(c.target);
        ASSERT_TRUE(captured.wait(30000));
        EXPECT_FALSE(captured.first().first().toBool());
        ASSERT_EQ(failed.size(), 1);
        EXPECT_EQ(failed.first().first().toString(), c.message);
        EXPECT_EQ(capture.lastError(), c.message);
        const auto boxes = shown.view.findChildren<QMessageBox *>();
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_TRUE(boxes.first()->isVisible());
        EXPECT_EQ(boxes.first()->text(), c.message);
        EXPECT_EQ(shown.view.size(), QSize(400, 300));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("tall.jpg")));
    }
}

TEST(PageCapture, TheWaitGrowsWithThePageAndItsPictures)
{
    struct Case {
        QSize page;
        int pictures;
        int ms;
    };
    const Case cases[] = {
        { { 600, 400 }, 0, 10'060 },
        { { 1044, 30000 }, 200, 10'000 + 7'830 + 20'000 },
        { { 32000, 65535 }, 5000, 180'000 },
        { { -1, 5 }, -3, 10'000 },
    };
    for (const Case &c : cases)
        EXPECT_EQ(web::PageCapture::paintTimeoutMs(c.page, c.pictures), c.ms)
            << c.page.width() << "x" << c.page.height();
}

}
