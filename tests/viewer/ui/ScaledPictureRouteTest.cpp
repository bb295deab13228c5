#include "viewer/ui/ScaledPictureRoute.h"

#include "tests/TestSupport.h"
#include "tests/viewer/ui/ViewerUnderTest.h"
#include "viewer/ThumbnailPageBuilder.h"
#include "viewer/thumbs/ThumbnailCache.h"
#include "viewer/ui/FormPicture.h"
#include "web/ui/Profile.h"
#include "web/ui/SilentPage.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

using viewer::thumbs::ThumbSize;

struct RouteViewer : velmora::test::ViewerUnderTest {
    explicit RouteViewer(const QString &folder)
        : ViewerUnderTest(folder)
    {
    }

    void reloadAfter(const std::function<void()> &command)
    {
        QSignalSpy loaded(form->Web->page(), &QWebEnginePage::loadFinished);
        command();
        loaded.wait(20000);
        ASSERT_TRUE(waitForPictures(30000));
    }

    // For each picture: drawn width, height, natural width, natural height.
    QStringList sizes()
    {
        return evaluate(QStringLiteral("Array.from(document.images).map(i => [i.width, i.height, i.naturalWidth, "
                                       "i.naturalHeight].join('x')).join(' ')"))
            .toString()
            .split(QLatin1Char(' '));
    }
};

// The same page file shown by a plain page that hands the engine the original files.
QStringList sizesWithOriginals(const QString &pageFile, int width)
{
    QWebEngineView view;
    auto *page = new web::SilentPage(web::programProfile(), &view);
    view.setPage(page);
    view.resize(width, 600);
    view.show();
    QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
    view.setUrl(QUrl::fromLocalFile(pageFile));
    loaded.wait(20000);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000
        && !velmora::test::runScript(&view, QStringLiteral("Array.from(document.images).every(i => i.complete)"))
                .toBool())
        velmora::test::serveEvents(20);
    return velmora::test::runScript(&view,
        QStringLiteral("Array.from(document.images).map(i => [i.width, i.height, i.naturalWidth, "
                       "i.naturalHeight].join('x')).join(' ')"))
        .toString()
        .split(QLatin1Char(' '));
}

// Whether done() comes true within a few seconds, the event loop running meanwhile.
bool eventually(const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 10000)
            return false;
        velmora::test::serveEvents(20);
    }
    return true;
}

QImage photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    for (int y = 0; y < height; y += 50)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(230, 200, 20));
    return image;
}

class ScaledPictureRoute : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // Names sort in this order on the page.
        ASSERT_TRUE(photo(6000, 4000).save(dir.filePath(QStringLiteral("a-camera.jpg")), "JPEG", 80));
        ASSERT_TRUE(photo(1200, 1800).save(dir.filePath(QStringLiteral("b-upright.jpg")), "JPEG", 80));
        ASSERT_TRUE(photo(40, 30).save(dir.filePath(QStringLiteral("c-small.png")), "PNG"));
        QFile text(dir.filePath(QStringLiteral("d-broken.jpg")));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
    }

    QTemporaryDir dir;
};

TEST_F(ScaledPictureRoute, FourARowGetsScaledCopiesWithTheSameLayoutAndTheOriginalNames)
{
    RouteViewer v(dir.path());
    ASSERT_TRUE(v.waitForPictures(30000));
    for (int i = 0; i < 3; ++i)
        v.reloadAfter([&] { v.form->Command7->click(); });
    ASSERT_EQ(v.form->LayoutMode, 3);

    const QStringList sizes = v.sizes();
    ASSERT_EQ(sizes.size(), 4);
    const int drawn = sizes[0].section(u'x', 0, 0).toInt();
    EXPECT_GT(drawn, 200);
    // The camera photo comes as a copy no smaller than drawn and at most x-large.
    const int served = sizes[0].section(u'x', 2, 2).toInt();
    EXPECT_GE(served, drawn);
    EXPECT_LE(served, 512);
    // The upright one is drawn as wide but twice as tall: it needs the next size up.
    EXPECT_GE(sizes[1].section(u'x', 2, 2).toInt(), drawn);
    EXPECT_LT(sizes[1].section(u'x', 2, 2).toInt(), 1200);
    // The small picture is its original, the broken file stays broken.
    EXPECT_EQ(sizes[2].section(u'x', 2, 3), QStringLiteral("40x30"));
    EXPECT_EQ(sizes[3].section(u'x', 2, 3), QStringLiteral("0x0"));

    // Drawn width and height are those of the originals.
    const QStringList originals = sizesWithOriginals(viewer::thumbnailPageFilePath(), v.form->Web->width());
    ASSERT_EQ(originals.size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(sizes[i].section(u'x', 0, 1), originals[i].section(u'x', 0, 1)) << i;

    // The page still names the original files.
    EXPECT_EQ(v.evaluate(QStringLiteral("document.images[0].src")).toString(),
        QUrl::fromLocalFile(dir.filePath(QStringLiteral("a-camera.jpg"))).toString());
    EXPECT_EQ(v.evaluate(QStringLiteral("document.links[0].href")).toString(),
        QUrl::fromLocalFile(dir.filePath(QStringLiteral("a-camera.jpg"))).toString());

    // Hovering and clicking the scaled picture give the original file.
    const QString original = QUrl::fromLocalFile(dir.filePath(QStringLiteral("a-camera.jpg"))).toString();
    const QVariantList box = v.evaluate(QStringLiteral("(function(){var r=document.images[0].getBoundingClientRect();"
                                                       "return [r.left+r.width/2, r.top+r.height/2];})()"))
                                 .toList();
    ASSERT_EQ(box.size(), 2);
    QWidget *target = v.form->Web->focusProxy() ? v.form->Web->focusProxy() : v.form->Web;
    const QPoint centre(box[0].toInt(), box[1].toInt());
    QTest::mouseMove(target, centre - QPoint(3, 3));
    QTest::mouseMove(target, centre);
    QElapsedTimer clock;
    clock.start();
    while (v.form->WebFilePath.isEmpty() && clock.elapsed() < 10000)
        velmora::test::serveEvents(20);
    EXPECT_EQ(v.form->WebFilePath, original);
    velmora::test::clearSimulatedDesktopEffects();
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, centre);
    clock.restart();
    while (velmora::test::simulatedDesktopEffects().isEmpty() && clock.elapsed() < 10000)
        velmora::test::serveEvents(20);
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(), QStringList { QStringLiteral("openWithDesktop\t") + original });

    // What was made went into the shared cache as a valid entry (written after the answer).
    const auto source = viewer::thumbs::describeSource(dir.filePath(QStringLiteral("a-camera.jpg")));
    ASSERT_TRUE(source);
    const viewer::thumbs::ThumbnailCache cache;
    EXPECT_TRUE(eventually([&] { return cache.lookupAtLeast(*source, ThumbSize::Large).has_value(); }));
    const auto broken = viewer::thumbs::describeSource(dir.filePath(QStringLiteral("d-broken.jpg")));
    EXPECT_FALSE(cache.lookupAtLeast(*broken, ThumbSize::Normal));
}

TEST_F(ScaledPictureRoute, AnotherProgramsEntryIsUsedAndATouchedFileGetsAFreshCopy)
{
    const QString camera = dir.filePath(QStringLiteral("a-camera.jpg"));
    const viewer::thumbs::ThumbnailCache cache;
    // Another program's x-large entry, recognisable by its colour and size.
    auto source = viewer::thumbs::describeSource(camera);
    ASSERT_TRUE(source);
    QImage other(510, 340, QImage::Format_RGB32);
    other.fill(Qt::red);
    for (ThumbSize size : { ThumbSize::Large, ThumbSize::XLarge })
        ASSERT_TRUE(
            cache.store(*source, size, other.scaled(QSize(viewer::thumbs::edgeOf(size), 340), Qt::KeepAspectRatio)));

    RouteViewer v(dir.path());
    ASSERT_TRUE(v.waitForPictures(30000));
    for (int i = 0; i < 3; ++i)
        v.reloadAfter([&] { v.form->Command7->click(); });
    const QString firstPixel = QStringLiteral(
        "(() => { const c = document.createElement('canvas'); const i = document.images[0];"
        " c.width = i.naturalWidth; c.height = i.naturalHeight; const g = c.getContext('2d');"
        " g.drawImage(i, 0, 0); return Array.from(g.getImageData(5, 5, 1, 1).data).slice(0, 3).join(','); })()");
    // Red within what the copy's JPEG coding changes.
    const auto isRed = [](const QString &rgb) {
        const QStringList parts = rgb.split(u',');
        return parts.size() == 3 && parts[0].toInt() >= 252 && parts[1].toInt() <= 3 && parts[2].toInt() <= 3;
    };
    EXPECT_TRUE(isRed(v.evaluate(firstPixel).toString())) << qPrintable(v.evaluate(firstPixel).toString());

    QFile file(camera);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    file.close();
    v.reloadAfter([&] { v.form->Command2->click(); });
    const QString pixel = v.evaluate(firstPixel).toString();
    EXPECT_FALSE(isRed(pixel)) << qPrintable(pixel);
    const auto touched = viewer::thumbs::describeSource(camera);
    EXPECT_TRUE(cache.lookupAtLeast(*touched, ThumbSize::Large));
}

TEST_F(ScaledPictureRoute, AZoomAbove100AsksForCopiesAsLargeAsDrawnKeepingNamesAndLayout)
{
    RouteViewer v(dir.path());
    ASSERT_TRUE(v.waitForPictures(30000));
    for (int i = 0; i < 3; ++i)
        v.reloadAfter([&] { v.form->Command7->click(); });
    ASSERT_EQ(v.form->LayoutMode, 3);
    const QString shape = QStringLiteral("Array.from(document.images).map(i => [i.getAttribute('src'), "
                                         "i.getAttribute('width'), i.width, i.height].join(' ')).join('|')");
    const QString before = v.evaluate(shape).toString();
    // The shapes the pictures were laid out at before they came are gone with their arrival.
    EXPECT_EQ(v.evaluate(QStringLiteral("document.querySelectorAll('img[style]').length")).toInt(), 0);
    const QStringList sizes = v.sizes();
    const int drawn = sizes[0].section(u'x', 0, 0).toInt();
    // The landscape camera photo's copy for a width: as wide as the cache size that covers it.
    const auto copyFor = [](int width) {
        return viewer::thumbs::edgeOf(
            *viewer::thumbs::smallestSizeFor(viewer::thumbs::neededEdge({ 6000, 4000 }, width)));
    };
    ASSERT_EQ(sizes[0].section(u'x', 2, 2).toInt(), copyFor(drawn));

    struct Case {
        int percent;
        int natural; // natural width of the camera photo once its copy came
    };
    const Case cases[] = {
        { 90, copyFor(drawn) }, // below 100: the copy already there serves
        { 200, copyFor(2 * drawn) },
        { 150, copyFor(2 * drawn) }, // a smaller zoom again keeps the larger copy
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.percent);
        v.form->ZOOMIE(c.percent);
        QElapsedTimer clock;
        clock.start();
        int natural = 0;
        while (clock.elapsed() < 20000) {
            natural = v.evaluate(QStringLiteral("document.images[0].naturalWidth")).toInt();
            if (natural >= c.natural)
                break;
            velmora::test::serveEvents(20);
        }
        EXPECT_EQ(natural, c.natural);
        // The small picture is still its original; the broken file still broken.
        EXPECT_EQ(v.sizes()[2].section(u'x', 2, 3), QStringLiteral("40x30"));
        EXPECT_EQ(v.sizes()[3].section(u'x', 2, 3), QStringLiteral("0x0"));
        v.form->ZOOMIE(100);
        // At 100% again, the page names and lays out its pictures exactly as before.
        EXPECT_EQ(v.evaluate(shape).toString(), before);
    }
}

TEST(ScaledPictureRouteOrder, EachPictureOfAColdPageIsMadeOnceAndItsEntryWritten)
{
    // Twelve photos in four a row: the first screen's copies are made ahead of the page's
    // requests, which take them instead of making them again.
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < 12; ++i) {
        paths << dir.filePath(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
        ASSERT_TRUE(photo(1600, 1000 + i).save(paths.last(), "JPEG", 80));
    }
    viewer::ThumbnailPageInput input;
    input.ViewerList = paths;
    input.ViewerCount = int(paths.size());
    input.PageSize = 100;
    input.LayoutMode = 3;
    input.webWidthTwips = 1040 * 15;
    const QString pageFile = dir.filePath(QStringLiteral("page.htm"));
    QFile file(pageFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(viewer::BuildThumbnailPage(input).html.toUtf8());
    file.close();

    QWebEngineView view;
    auto *page = new web::SilentPage(web::programProfile(), &view);
    viewer::serveScaledPictures(page);
    view.setPage(page);
    view.resize(1040, 600);
    view.show();
    QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
    view.setUrl(QUrl::fromLocalFile(pageFile));
    ASSERT_TRUE(loaded.wait(20000));
    QElapsedTimer clock;
    clock.start();
    const QString complete =
        QStringLiteral("Array.from(document.images).every(i => i.complete && i.naturalWidth == 256)");
    while (clock.elapsed() < 30000 && !velmora::test::runScript(&view, complete).toBool())
        velmora::test::serveEvents(20);
    ASSERT_TRUE(velmora::test::runScript(&view, complete).toBool());

    viewer::PictureSchemeHandler *handler = viewer::pictureSchemeHandler(page->profile());
    ASSERT_TRUE(handler);
    for (const QString &path : paths)
        EXPECT_EQ(handler->startedOrder().count(path), 1) << path.toStdString();
    // The cache entries are written after the answers, all of them once the work is done.
    const viewer::thumbs::ThumbnailCache cache;
    for (const QString &path : paths) {
        const auto source = viewer::thumbs::describeSource(path);
        ASSERT_TRUE(source);
        EXPECT_TRUE(eventually([&] { return cache.lookup(*source, ThumbSize::Large).has_value(); }))
            << path.toStdString();
    }
}

TEST(ScaledPictureUrl, RoundTripsEveryName)
{
    for (const QString &path :
        { QStringLiteral("/a/b c.jpg"), QStringLiteral("/x/%23#?.jpg"), QString::fromUtf8("/图片/照片.jpg") }) {
        QString back;
        int width = 0;
        ASSERT_TRUE(viewer::parsePictureSchemeUrl(viewer::pictureSchemeUrl(path, 257), &back, &width));
        EXPECT_EQ(back, path);
        EXPECT_EQ(width, 257);
    }
}

}
