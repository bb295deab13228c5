// The thumbnail page against hostile folders: names written to run script, and files too large
// to hand to the page.
#include "common/Paths.h"
#include "tests/TestSupport.h"
#include "tests/viewer/ui/ViewerUnderTest.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct ShownFolder : velmora::test::ViewerUnderTest {
    explicit ShownFolder(const QString &folder)
        : ViewerUnderTest(folder)
    {
    }
};

void makePicture(const QString &path, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkYellow);
    ASSERT_TRUE(image.save(path, "PNG")) << qPrintable(path);
}

TEST(ThumbnailPageSafety, ANameCannotAddAttributesOrRunScript)
{
    QTemporaryDir dir;
    const QStringList names = { QStringLiteral("x onerror=document.title='PWNED' .jpg"),
        QStringLiteral("y\tonload=document.title='PWNED'.png"),
        QStringLiteral("z`onmouseover=alert(1)`.png"),
        QStringLiteral("plain.png") };
    for (const QString &name : names)
        makePicture(dir.filePath(name), QSize(60, 40));
    // A broken picture, so an onerror attribute would fire.
    QFile broken(dir.filePath(QStringLiteral("w onerror=document.title='PWNED' .jpg")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(40000, 'x'));
    broken.close();

    ShownFolder v(dir.path());
    ASSERT_TRUE(v.waitForPictures());
    ASSERT_EQ(v.viewerState.ViewerCount, names.size() + 1);
    velmora::test::serveEvents(300);
    EXPECT_NE(v.form->Web->page()->title(), QStringLiteral("PWNED"));
    EXPECT_NE(v.evaluate(QStringLiteral("document.title")).toString(), QStringLiteral("PWNED"));
    EXPECT_EQ(v.evaluate(QStringLiteral("Array.from(document.querySelectorAll('*'))"
                                        ".filter(e => Array.from(e.attributes).some(a => a.name.startsWith('on')"
                                        " && a.name != 'oncontextmenu')).length"))
                  .toInt(),
        0);
    // Each name is one whole title, and each picture loaded its own file.
    for (int i = 0; i < v.viewerState.ViewerCount; ++i) {
        const QString name = v.viewerState.ViewerList[i].section(QLatin1Char('/'), -1);
        EXPECT_EQ(v.evaluate(QStringLiteral("document.images[%1].title").arg(i)).toString(), name);
        const int width = v.evaluate(QStringLiteral("document.images[%1].naturalWidth").arg(i)).toInt();
        EXPECT_EQ(width, name.startsWith(QLatin1Char('w')) ? 0 : 60) << qPrintable(name);
    }
}

TEST(ThumbnailPageSafety, ThePageRunsNoPageScriptButZoomAndScrollStillWork)
{
    QTemporaryDir dir;
    for (int i = 0; i < 12; ++i)
        makePicture(dir.filePath(QStringLiteral("p%1.png").arg(i)), QSize(50, 300));
    ShownFolder v(dir.path());
    ASSERT_TRUE(v.waitForPictures());

    // A page with an inline script, shown as the thumbnail page is.
    const QString pagePath = common::pageFilePath(QStringLiteral("script-test.htm"));
    QFile page(pagePath);
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><head><title>start</title></head><body><p id=p>text</p>"
               "<script>document.title='RAN';document.body.setAttribute('data-ran','1')</script>"
               "<div style=\"height:4000px\"></div></body></html>");
    page.close();
    QSignalSpy loaded(v.form->Web->page(), &QWebEnginePage::loadFinished);
    v.form->Web->setUrl(QUrl::fromLocalFile(pagePath));
    ASSERT_TRUE(loaded.wait(20000));
    velmora::test::serveEvents(200);
    EXPECT_EQ(v.form->Web->page()->title(), QStringLiteral("start"));
    EXPECT_FALSE(v.evaluate(QStringLiteral("document.body.hasAttribute('data-ran')")).toBool());
    EXPECT_EQ(
        v.evaluate(QStringLiteral("document.getElementById('p').textContent")).toString(), QStringLiteral("text"));

    // The viewer's own scripts run in the application world.
    v.form->ZOOMIE(130);
    QTRY_COMPARE_WITH_TIMEOUT(
        v.evaluate(QStringLiteral("document.body.style.zoom")).toString(), QStringLiteral("130%"), 5000);
    v.form->ZOOMIE(100);
    sys::MessagePump::scrollBy(v.form->Web, 0, 250);
    QTRY_COMPARE_WITH_TIMEOUT(v.evaluate(QStringLiteral("window.scrollY")).toInt(), 250, 5000);
    QFile::remove(pagePath);
}

TEST(ThumbnailPageSafety, AGiantSparseFileIsListedButShownBroken)
{
    QTemporaryDir dir;
    makePicture(dir.filePath(QStringLiteral("a.png")), QSize(60, 40));
    makePicture(dir.filePath(QStringLiteral("c.png")), QSize(60, 40));
    const QString giant = dir.filePath(QStringLiteral("b-giant.jpg"));
    const int fd = ::open(QFile::encodeName(giant).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t(qint64(10) << 30)), 0);
    ::close(fd);

    QElapsedTimer clock;
    clock.start();
    ShownFolder v(dir.path());
    ASSERT_TRUE(v.waitForPictures());
    EXPECT_LT(clock.elapsed(), 10000);
    ASSERT_EQ(v.viewerState.ViewerCount, 3);
    EXPECT_EQ(v.evaluate(QStringLiteral("Array.from(document.images).map(i => i.naturalWidth).join(' ')")).toString(),
        QStringLiteral("60 0 60"));
}

}
