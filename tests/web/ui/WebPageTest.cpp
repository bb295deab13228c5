#include "tests/TestSupport.h"
#include "web/PagePolicy.h"
#include "web/ui/OversizedFileBlocker.h"
#include "web/ui/PageCapture.h"
#include "web/ui/PageScripts.h"
#include "web/ui/PageSettings.h"
#include "web/ui/Profile.h"
#include "web/ui/SilentPage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Waits (at most 10 s) for a script's answer in the given world.
QVariant evaluate(QWebEnginePage *page, const QString &script, quint32 world = QWebEngineScript::ApplicationWorld)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, world, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 10000)
        velmora::test::serveEvents(5);
    return result;
}

QVariant runApp(QWebEnginePage *page, const QString &name, const QVariantList &args = {})
{
    QVariant result;
    bool done = false;
    web::runAppScript(page, name, args, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 10000)
        velmora::test::serveEvents(5);
    return result;
}

bool load(QWebEngineView &view, const QUrl &url)
{
    QSignalSpy loaded(view.page(), &QWebEnginePage::loadFinished);
    view.load(url);
    return loaded.wait(20000);
}

bool loadHtml(QWebEngineView &view, const QString &html)
{
    QSignalSpy loaded(view.page(), &QWebEnginePage::loadFinished);
    view.setHtml(html);
    return loaded.wait(20000);
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QString writePicture(const QString &path, QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    EXPECT_TRUE(picture.save(path, "PNG"));
    return path;
}

// A view showing a generated page of the given kind on the program's profile.
struct GeneratedView {
    explicit GeneratedView(web::PageText text)
        : page(new web::SilentPage(&view))
    {
        web::applyGeneratedPagePolicy(page, web::generatedPagePolicy(text));
        view.setPage(page);
        view.resize(500, 400);
        view.show();
    }
    QWebEngineView view;
    web::SilentPage *page;
};

TEST(WebProfile, OnePersistentProfileInTheDataAndCacheFolders)
{
    web::Profile *profile = web::Profile::current();
    ASSERT_NE(profile, nullptr);
    QWebEngineProfile *engine = profile->engineProfile();
    EXPECT_EQ(web::programProfile(), engine);
    EXPECT_FALSE(engine->isOffTheRecord());
    EXPECT_EQ(engine->storageName(), QStringLiteral("Velmora"));
    const QString root = velmora::test::sandboxRoot();
    EXPECT_EQ(QDir::cleanPath(engine->persistentStoragePath()),
        QDir::cleanPath(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Velmora/web")));
    EXPECT_EQ(QDir::cleanPath(engine->cachePath()),
        QDir::cleanPath(qEnvironmentVariable("XDG_CACHE_HOME") + QStringLiteral("/Velmora/web")));
    EXPECT_TRUE(engine->persistentStoragePath().startsWith(root));
    for (const QString &folder : { profile->folders().storage, profile->folders().cache })
        EXPECT_EQ(QFile::permissions(folder) & 0x0777, QFileDevice::Permissions(0x0700)) << qPrintable(folder);

    web::SilentPage page;
    EXPECT_EQ(page.profile(), engine);
    EXPECT_FALSE(page.settings()->testAttribute(QWebEngineSettings::ErrorPageEnabled));
}

// With page scripts off, a script in the page's own world answers nothing, while the suite's
// scripts in the application world still read and change the document.
TEST(AppWorld, WorksWithPageScriptsOffWhereThePageWorldAnswersNothing)
{
    GeneratedView v(web::PageText::Local);
    ASSERT_TRUE(loadHtml(v.view,
        QStringLiteral("<html><head><title>start</title></head><body><p id=p>hello</p>"
                       "<script>document.title='RAN'; document.body.setAttribute('data-ran', '1');</script>"
                       "<img src=x onerror=\"document.title='ERR'\"></body></html>")));
    EXPECT_FALSE(evaluate(v.page, QStringLiteral("1 + 1"), QWebEngineScript::MainWorld).isValid());
    EXPECT_EQ(evaluate(v.page, QStringLiteral("document.getElementById('p').textContent")).toString(),
        QStringLiteral("hello"));
    velmora::test::serveEvents(200);
    EXPECT_EQ(v.page->title(), QStringLiteral("start"));
    EXPECT_FALSE(evaluate(v.page, QStringLiteral("document.body.hasAttribute('data-ran')")).toBool());

    EXPECT_EQ(runApp(v.page, QStringLiteral("zoom"), { 110 }).toString(), QStringLiteral("110%"));
    EXPECT_EQ(evaluate(v.page, QStringLiteral("document.body.style.zoom")).toString(), QStringLiteral("110%"));
    EXPECT_FALSE(runApp(v.page, QStringLiteral("no-such-script")).isValid());
}

TEST(AppWorld, ZoomAndScrollScripts)
{
    GeneratedView v(web::PageText::Local);
    ASSERT_TRUE(loadHtml(
        v.view, QStringLiteral("<html><body style=\"margin:0\"><div style=\"height:5000px\"></div></body></html>")));
    struct Step {
        int dy;
        int expectedY;
    };
    const Step steps[] = { { 300, 300 }, { -150, 150 }, { -1000, 0 }, { 30150, 5000 - 400 } };
    for (const Step &step : steps) {
        web::scrollPage(v.page, 0, step.dy);
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(v.page, QStringLiteral("window.scrollY")).toInt(), step.expectedY, 5000);
    }
    web::zoomPage(v.page, 5);
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluate(v.page, QStringLiteral("document.body.style.zoom")).toString(), QStringLiteral("5%"), 5000);
    // Nothing happens on a missing page.
    web::zoomPage(nullptr, 50);
    web::scrollPage(nullptr, 0, 10);
}

TEST(SilentPage, ScriptDialogsAreAnsweredAtOnce)
{
    QWebEngineView view;
    auto *page = new web::SilentPage(&view);
    view.setPage(page);
    ASSERT_TRUE(loadHtml(view, QStringLiteral("<html><body>x</body></html>")));
    const QVariantList answers =
        evaluate(page, QStringLiteral("alert('a'); [confirm('b'), prompt('c', 'd')]"), QWebEngineScript::MainWorld)
            .toList();
    ASSERT_EQ(answers.size(), 2);
    EXPECT_FALSE(answers[0].toBool());
    EXPECT_FALSE(answers[1].isValid() && !answers[1].isNull() && !answers[1].toString().isEmpty());
}

TEST(SilentPage, AFailedLoadShowsNoErrorPage)
{
    QTemporaryDir dir;
    QWebEngineView view;
    auto *page = new web::SilentPage(&view);
    view.setPage(page);
    QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
    view.load(QUrl::fromLocalFile(dir.filePath(QStringLiteral("missing.htm"))));
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_FALSE(loaded.first().first().toBool());
    EXPECT_EQ(evaluate(page, QStringLiteral("document.body ? document.body.innerText.trim().length : 0")).toInt(), 0);
}

TEST(SilentPage, NewWindowsAreRefusedAndReportedUnlessTheOwnerHandsOneOver)
{
    QWebEngineView view;
    auto *page = new web::SilentPage(&view);
    page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    view.setPage(page);
    ASSERT_TRUE(loadHtml(view, QStringLiteral("<html><body>x</body></html>")));
    QSignalSpy refused(page, &web::SilentPage::newWindowRefused);
    int asked = 0;
    page->setNewWindowHandler([&](QWebEnginePage::WebWindowType) {
        ++asked;
        return nullptr;
    });
    evaluate(page,
        QStringLiteral("window.open('https://example.invalid/%E5%9B%BE%20a.jpg'); 1"),
        QWebEngineScript::MainWorld);
    QTRY_COMPARE_WITH_TIMEOUT(refused.size(), 1, 10000);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(refused.first().first().toUrl(), QUrl(QStringLiteral("https://example.invalid/图 a.jpg")));

    QWebEnginePage *opened = nullptr;
    page->setNewWindowHandler([&](QWebEnginePage::WebWindowType) {
        opened = new web::SilentPage(page->profile(), page);
        return opened;
    });
    evaluate(page, QStringLiteral("window.open('about:blank#second'); 1"), QWebEngineScript::MainWorld);
    QTRY_VERIFY_WITH_TIMEOUT(opened != nullptr, 10000);
    velmora::test::serveEvents(100);
    EXPECT_EQ(refused.size(), 1);
}

// A file:// page of local names reaches the local pictures it shows; a page that shows web text
// reaches no other local file, not even a picture.
TEST(GeneratedPage, OnlyAPageOfLocalNamesReachesLocalPictures)
{
    QTemporaryDir dir;
    writePicture(dir.filePath(QStringLiteral("a.png")), QSize(60, 40));
    const QString pagePath = writeFile(dir.filePath(QStringLiteral("page.htm")),
        QByteArray("<html><body><img id=i src=\"")
            + QUrl::fromLocalFile(dir.filePath(QStringLiteral("a.png"))).toEncoded() + "\"></body></html>");
    for (const web::PageText text : { web::PageText::Local, web::PageText::FromWeb }) {
        GeneratedView v(text);
        ASSERT_TRUE(load(v.view, QUrl::fromLocalFile(pagePath)));
        QTRY_VERIFY_WITH_TIMEOUT(
            evaluate(v.page, QStringLiteral("document.getElementById('i').complete")).toBool(), 5000);
        const int width = evaluate(v.page, QStringLiteral("document.getElementById('i').naturalWidth")).toInt();
        EXPECT_EQ(width, text == web::PageText::Local ? 60 : 0) << (text == web::PageText::Local ? "local" : "web");
    }
}

TEST(OversizedFileBlocker, AGiantSparsePictureIsBrokenAndTheOthersLoad)
{
    QTemporaryDir dir;
    writePicture(dir.filePath(QStringLiteral("a.png")), QSize(60, 40));
    writePicture(dir.filePath(QStringLiteral("b.png")), QSize(30, 20));
    const QString giant = dir.filePath(QStringLiteral("giant.jpg"));
    const int fd = ::open(QFile::encodeName(giant).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "\xFF\xD8\xFF\xE0", 4), 4);
    ASSERT_EQ(::ftruncate(fd, off_t(qint64(10) << 30)), 0);
    ::close(fd);
    QByteArray html = "<html><body>";
    for (const char *name : { "a.png", "giant.jpg", "b.png" })
        html += "<img src=\"" + QUrl::fromLocalFile(dir.filePath(QLatin1String(name))).toEncoded() + "\">";
    html += "</body></html>";
    const QString pagePath = writeFile(dir.filePath(QStringLiteral("page.htm")), html);

    GeneratedView v(web::PageText::Local);
    web::OversizedFileBlocker *blocker = web::blockOversizedFiles(v.page);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(load(v.view, QUrl::fromLocalFile(pagePath)));
    QTRY_VERIFY_WITH_TIMEOUT(
        evaluate(v.page, QStringLiteral("Array.from(document.images).every(i => i.complete)")).toBool(), 5000);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(
        evaluate(v.page, QStringLiteral("Array.from(document.images).map(i => i.naturalWidth).join(' ')")).toString(),
        QStringLiteral("60 0 30"));
    EXPECT_GE(blocker->blockedCount(), 1);
}

// The capture's scripts run in the application world, so a page without page scripts is
// captured whole too; a capture without a writer reports nothing written.
TEST(PageCapture, APageWithoutPageScriptsIsCapturedWhole)
{
    GeneratedView v(web::PageText::Local);
    v.view.resize(600, 300);
    ASSERT_TRUE(loadHtml(v.view,
        QStringLiteral("<html><body style=\"margin:0\"><div style=\"width:300px;height:1500px;background:#ff0000\">"
                       "</div><div style=\"width:300px;height:1500px;background:#0000ff\"></div></body></html>")));
    web::PageCapture capture(&v.view, {});
    QImage page;
    bool done = false;
    capture.grabWholePage([&](const QImage &grabbed) {
        page = grabbed;
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
    EXPECT_EQ(page.size(), QSize(604, 3004));
    EXPECT_GT(page.pixelColor(150, 2900).blue(), 200);
    EXPECT_EQ(v.view.size(), QSize(600, 300));

    QSignalSpy captured(&capture, &web::PageCapture::captured);
    capture.captureToFile(QStringLiteral("/tmp/never-written.jpg"));
    ASSERT_TRUE(captured.wait(30000));
    EXPECT_FALSE(captured.first().first().toBool());
    EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/never-written.jpg")));
}

}
