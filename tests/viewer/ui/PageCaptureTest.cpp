#include "web/ui/PageCapture.h"

#include "viewer/JpegWriter.h"

#include <QImage>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
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
