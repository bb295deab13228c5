#include "ServicesUnderTest.h"
#include "browser/frame/ClosedPages.h"
#include "browser/page/PictureFiles.h"
#include "browser/page/ui/FormWeb.h"
#include "browser/page/ui/PageHost.h"
#include "browser_page/ui/PictureServer.h"
#include "tests/TestSupport.h"
#include "web/ui/SilentPage.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <gtest/gtest.h>

using browser::page::FormWeb;

namespace {

struct GalleryHost : browser::page::PageHost {
    QStringList details;
    int galleries = 0;
    QList<bool> batchSave;
    bool isCurrentTab(const FormWeb *) const override { return true; }
    void setTabLabel(int, const QString &, const QString &) override { }
    void showActivePage(const QString &, const QString &) override { }
    void setAddressText(const QString &) override { }
    void setNavigationEnabled(bool, bool) override { }
    QWebEnginePage *openPopupTab(FormWeb *) override { return nullptr; }
    void openInNewTab(const QString &) override { }
    void addAddressListEntry(const QString &) override { }
    void pageViewFocused() override { }
    void selectionTaken(const QString &) override { }
    void bringForward(FormWeb *) override { }
    void pageActivated(FormWeb *) override { }
    void openDownloadFolder() override { }
    void openPictureDetails(const QString &url) override { details << url; }
    void galleryWritten(FormWeb *) override { ++galleries; }
    void setBatchSaveEnabled(bool enabled) override { batchSave << enabled; }
};

QString imgTag(const QString &src)
{
    return QStringLiteral("<img src=\"%1\">").arg(src);
}

class Harvest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        s.values.DataFolder = folder.path() + QLatin1Char('/');
        s.values.DownloadFolder = folder.path() + QStringLiteral("/Download/");
        QDir().mkpath(s.values.DownloadFolder);
    }
    void TearDown() override
    {
        for (const QPointer<FormWeb> &page : pages)
            delete page.data();
    }
    // A page window showing the server's page at path, loaded.
    FormWeb *open(const std::string &path)
    {
        auto *page =
            new FormWeb(host, s.services, s.values, closedPages, int(pages.size()), server.url(path), false, nullptr);
        pages << page;
        page->Timer3->stop();
        page->resize(900, 600);
        page->show();
        QSignalSpy loaded(page->page(), &QWebEnginePage::loadFinished);
        page->Navigate(server.url(path));
        EXPECT_TRUE(loaded.wait(20000));
        // The timer of the page's own ticks stays out of the way of the test's calls.
        page->Timer3->stop();
        return page;
    }
    bool searchPictures(FormWeb *page, bool autoFind)
    {
        QSignalSpy done(page, &FormWeb::galleryDone);
        page->AutoFind = autoFind;
        page->SearchPic();
        return done.wait(20000);
    }
    bool savePass(FormWeb *page)
    {
        QSignalSpy ended(&page->saver(), &browser::page::PictureSaver::passEnded);
        page->SavePictureDisk(s.values.DownloadFolder);
        return ended.wait(20000);
    }
    QStringList saved() const
    {
        return QDir(s.values.DownloadFolder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QStringList workFiles() const
    {
        return QDir(s.values.DownloadFolder).entryList({ QStringLiteral("*.part") }, QDir::Files | QDir::Hidden);
    }
    QSize savedSize(const QString &name) const
    {
        QImageReader reader(s.values.DownloadFolder + name);
        EXPECT_EQ(reader.format(), QByteArray("jpeg"));
        return reader.size();
    }
    QString galleryText() const
    {
        QFile file(FormWeb::galleryFilePath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }

    velmora::test::ServicesUnderTest s;
    velmora::test::PictureServer server;
    QTemporaryDir folder;
    GalleryHost host;
    browser::frame::ClosedPages closedPages { s.settings };
    QList<QPointer<FormWeb>> pages;
};

}

TEST_F(Harvest, OneLargeJpgGoesThroughTheSecondPassAndIsListedTwice)
{
    server.picture("/big.jpg", 640, 520);
    server.picture("/small.png", 40, 40);
    server.page("/one.html", imgTag(QStringLiteral("small.png")) + imgTag(QStringLiteral("big.jpg")));
    FormWeb *page = open("/one.html");

    ASSERT_TRUE(searchPictures(page, true));
    EXPECT_EQ(page->Lab[2]->text(), QStringLiteral("发现图片：1"));
    EXPECT_EQ(host.galleries, 0);

    ASSERT_TRUE(searchPictures(page, false));
    EXPECT_EQ(s.values.pictures.PictureCount, 2);
    EXPECT_EQ(s.values.pictures.at(0), server.url("/big.jpg"));
    EXPECT_EQ(s.values.pictures.at(1), server.url("/big.jpg"));
    EXPECT_EQ(page->Lab[2]->text(), QStringLiteral("图片总数：2"));
    EXPECT_EQ(host.galleries, 1);
    const QString line = QStringLiteral("<a href=\"%1\" target=\"_blank\"><img border=\"1\" src=\"%1\"  width=%2 "
                                        "title=big.jpg ></a> \r\n\r\n")
                             .arg(server.url("/big.jpg"))
                             .arg(browser::page::galleryColumnWidth(page->Web->width() * 15));
    EXPECT_EQ(galleryText().count(line), 2);

    // The gallery goes when a page window closes.
    page->close();
    EXPECT_FALSE(QFile::exists(FormWeb::galleryFilePath()));
}

TEST_F(Harvest, APageWithoutPicturesGivesTheTwoHeadLines)
{
    server.page("/none.html", QStringLiteral("<p>no pictures</p>"));
    FormWeb *page = open("/none.html");
    ASSERT_TRUE(searchPictures(page, false));
    EXPECT_EQ(galleryText(),
        QStringLiteral("<body bgcolor=#000000 oncontextmenu=\"return false\" topmargin=0 leftmargin=0 rightmargin=0 "
                       "bottommargin=0>\r\n<div align=center>\r\n"));
    EXPECT_EQ(page->Lab[2]->text(), QStringLiteral("图片总数：0"));
}

TEST_F(Harvest, SavesLargePicturesOnceFromThePagesOwnCopy)
{
    server.picture("/a.jpg", 501, 501);
    server.picture("/b.png", 500, 500);
    server.picture("/c.png", 501, 500);
    server.picture("/d.png", 600, 700, Qt::red);
    server.page("/mix.html",
        imgTag(QStringLiteral("a.jpg")) + imgTag(QStringLiteral("b.png")) + imgTag(QStringLiteral("c.png"))
            + imgTag(QStringLiteral("a.jpg")) + imgTag(QStringLiteral("d.png")));
    FormWeb *page = open("/mix.html");
    ASSERT_TRUE(savePass(page));
    const QStringList files = saved();
    ASSERT_EQ(files.size(), 2) << files.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(savedSize(files[0]), QSize(501, 501));
    EXPECT_EQ(savedSize(files[1]), QSize(600, 700));
    EXPECT_EQ(page->Lab[8]->text(), QStringLiteral("  自动下载图片 2"));
    EXPECT_EQ(page->Lab[2]->text(), QStringLiteral("发现图片：3"));
    // The pictures came from the page's cache: the server was asked once for each.
    EXPECT_EQ(server.hits("/a.jpg"), 1);
    EXPECT_EQ(server.hits("/d.png"), 1);

    // Reloading is a new navigation: the same pictures are saved again under new names.
    QSignalSpy loaded(page->page(), &QWebEnginePage::loadFinished);
    page->Web->reload();
    ASSERT_TRUE(loaded.wait(20000));
    page->Timer3->stop();
    EXPECT_EQ(page->Lab[8]->text(), QStringLiteral("  自动下载图片 0"));
    ASSERT_TRUE(savePass(page));
    EXPECT_EQ(saved().size(), 4);
}

TEST_F(Harvest, APageFetchThatLosesItsConnectionIsTriedOnceMore)
{
    struct Case {
        const char *name;
        int drops;
        int files;
        int hits; // the page's own load, then the fetches
        bool fromPage; // the last request came from the page, not from the program's downloader
    };
    const Case cases[] = {
        { "dropped once: the page asks again", 1, 1, 3, true },
        // Dropped twice, the picture is not had from the page; the program's downloader, which
        // the connection drops as well, brings nothing either.
        { "dropped three times: given up", 3, 0, 4, false },
    };
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string picture = "/flaky" + std::to_string(round) + ".png";
        const std::string html = "/flaky" + std::to_string(round++) + ".html";
        server.picture(picture, 700, 600);
        server.uncached(picture);
        server.page(html, imgTag(QString::fromStdString(picture.substr(1))));
        for (const QString &file : saved())
            QFile::remove(s.values.DownloadFolder + file);
        FormWeb *page = open(html);
        ASSERT_EQ(server.hits(picture), 1);
        server.dropNext(picture, c.drops);
        ASSERT_TRUE(savePass(page));
        EXPECT_EQ(saved().size(), c.files) << saved().join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(server.hits(picture), c.hits);
        EXPECT_EQ(server.agent(picture).find("Fetchr") == std::string::npos, c.fromPage) << server.agent(picture);
        EXPECT_TRUE(workFiles().isEmpty());
    }
}

TEST_F(Harvest, DownloadFolderWithoutTrailingSlashGetsOne)
{
    server.picture("/a.png", 700, 700);
    server.page("/a.html", imgTag(QStringLiteral("a.png")));
    FormWeb *page = open("/a.html");
    QString folderWithoutSlash = s.values.DownloadFolder;
    folderWithoutSlash.chop(1);
    QSignalSpy ended(&page->saver(), &browser::page::PictureSaver::passEnded);
    page->SavePictureDisk(folderWithoutSlash);
    EXPECT_EQ(s.values.DownloadFolder, folderWithoutSlash + QLatin1Char('/'));
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_EQ(saved().size(), 1);
}

TEST_F(Harvest, BatchFallbackKeeps30000BytesAndDeletes29999)
{
    server.serve("/30000.jpg", std::string(30000, 'x'), "image/jpeg");
    server.serve("/29999.jpg", std::string(29999, 'x'), "image/jpeg");
    server.page("/batch.html", imgTag(QStringLiteral("30000.jpg")) + imgTag(QStringLiteral("29999.jpg")));
    FormWeb *page = open("/batch.html");
    s.values.browser.MinPictureBytes = 30000;
    QSignalSpy ended(&page->saver(), &browser::page::PictureSaver::runEnded);
    page->AutoDownLoadImag();
    ASSERT_TRUE(ended.wait(20000));
    const QStringList files = saved();
    ASSERT_EQ(files.size(), 1) << files.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(QFileInfo(s.values.DownloadFolder + files[0]).size(), 30000);
    EXPECT_EQ(page->Lab[8]->text(), QStringLiteral("  下载成功：1"));
}

TEST_F(Harvest, ACloseDuringAPassIsDeferredThenCompletes)
{
    QString html;
    for (int i = 0; i < 6; ++i) {
        const std::string path = "/p" + std::to_string(i) + ".png";
        server.picture(path, 800, 600, QColor(i * 40, 0, 0));
        html += imgTag(QString::fromStdString(path).mid(1));
    }
    server.page("/six.html", html);
    FormWeb *page = open("/six.html");
    QPointer<FormWeb> alive(page);
    QSignalSpy closed(page, &FormWeb::deferredCloseDone);
    page->SavePictureDisk(s.values.DownloadFolder);
    ASSERT_TRUE(page->saver().SavingPictures());
    page->close();
    EXPECT_TRUE(alive);
    EXPECT_TRUE(page->isHidden());
    EXPECT_TRUE(page->saver().CloseRequested());
    ASSERT_TRUE(closed.wait(20000));
    EXPECT_TRUE(velmora::test::waitUntil([&] { return alive.isNull(); }, 5000));
    EXPECT_LT(saved().size(), 6);
    EXPECT_FALSE(s.values.SaveBusy);
    // Pictures that were on their way when the pass stopped leave no work files behind; what was
    // saved is whole.
    EXPECT_TRUE(velmora::test::waitUntil([&] { return workFiles().isEmpty(); }, 5000))
        << workFiles().join(' ').toStdString();
    for (const QString &name : saved())
        EXPECT_EQ(savedSize(name), QSize(800, 600)) << name.toStdString();
}

TEST_F(Harvest, PicturesTakenAheadAreSavedInPageOrder)
{
    QString html;
    constexpr int kCount = 7;
    for (int i = 0; i < kCount; ++i) {
        const std::string path = "/w" + std::to_string(i) + ".png";
        server.picture(path, 600 + 10 * i, 600, QColor(0, i * 30, 0));
        html += imgTag(QString::fromStdString(path).mid(1));
    }
    server.page("/seven.html", html);
    FormWeb *page = open("/seven.html");
    ASSERT_TRUE(savePass(page));
    const QStringList files = page->saver().savedFiles();
    ASSERT_EQ(files.size(), kCount);
    for (int i = 0; i < kCount; ++i) {
        QImageReader reader(files[i]);
        EXPECT_EQ(reader.size(), QSize(600 + 10 * i, 600)) << files[i].toStdString();
    }
    EXPECT_TRUE(workFiles().isEmpty()) << workFiles().join(' ').toStdString();
    EXPECT_EQ(saved().size(), kCount);
}

TEST_F(Harvest, TwoTabsSavingAtOnceTakeTurns)
{
    server.picture("/x.png", 700, 700);
    server.picture("/y.png", 800, 800);
    server.page("/x.html", imgTag(QStringLiteral("x.png")));
    server.page("/y.html", imgTag(QStringLiteral("y.png")));
    FormWeb *first = open("/x.html");
    FormWeb *second = open("/y.html");
    s.values.browser.AutoSave = true;
    QSignalSpy firstEnded(&first->saver(), &browser::page::PictureSaver::passEnded);
    QSignalSpy secondEnded(&second->saver(), &browser::page::PictureSaver::passEnded);
    first->SavePictureDisk(s.values.DownloadFolder);
    ASSERT_TRUE(s.values.SaveBusy);
    // The second window finds the first saving: it tries again on its own timer's next tick.
    second->Timer3->setInterval(20);
    second->SavePictureDisk(s.values.DownloadFolder);
    EXPECT_FALSE(second->saver().SavingPictures());
    EXPECT_TRUE(second->Timer3->isActive());
    ASSERT_TRUE(firstEnded.wait(20000));
    ASSERT_TRUE(secondEnded.count() > 0 || secondEnded.wait(20000));
    EXPECT_EQ(saved().size(), 2);
    // The timer's passes disable the frame's batch button and enable it again.
    ASSERT_FALSE(host.batchSave.isEmpty());
    EXPECT_TRUE(host.batchSave.last());
}

TEST_F(Harvest, GalleryColumnsAndPictureClicks)
{
    for (int i = 0; i < 4; ++i)
        server.picture("/g" + std::to_string(i) + ".jpg", 800, 600, QColor(0, 60 * i, 200));
    QString html;
    for (int i = 0; i < 4; ++i)
        html += imgTag(QStringLiteral("g%1.jpg").arg(i));
    server.page("/g.html", html);
    FormWeb *page = open("/g.html");
    ASSERT_TRUE(searchPictures(page, false));
    page->showGallery(true);
    ASSERT_TRUE(page->WebPic->isVisible());
    // The frame's toggle starts the layout at one column.
    page->Tu = 1;
    QList<int> columns;
    QStringList widths;
    for (int i = 0; i < 4; ++i) {
        QSignalSpy done(page, &FormWeb::galleryDone);
        page->PictFangZhen();
        ASSERT_EQ(done.count(), 1);
        columns << page->Tu;
        int Tu = page->Tu;
        widths << QStringLiteral(" width=%1>").arg(browser::page::layoutWidth(page->WebPic->width() * 15, Tu));
        EXPECT_TRUE(galleryText().contains(widths.last()));
    }
    EXPECT_EQ(columns, (QList<int> { 2, 3, 4, 1 }));
    // Laid out, then back to the two columns of the picture search.
    page->PictLaShen();
    EXPECT_TRUE(page->GalleryMode);
    EXPECT_EQ(page->Tu, 1);
    QSignalSpy done(page, &FormWeb::galleryDone);
    page->PictLaShen();
    ASSERT_TRUE(done.wait(20000));
    EXPECT_FALSE(page->GalleryMode);
    EXPECT_TRUE(galleryText().startsWith(QStringLiteral("<body bgcolor=#000000")));

    // A click on a gallery picture asks the frame for its details.
    QSignalSpy galleryLoaded(page->galleryPage(), &QWebEnginePage::loadFinished);
    ASSERT_TRUE(galleryLoaded.wait(20000));
    // The local gallery file shows the web's pictures.
    bool shown = false;
    ASSERT_TRUE(velmora::test::waitUntil(
        [&] {
            page->galleryPage()->runJavaScript(
                QStringLiteral("document.images.length == 4 && Array.from(document.images).every(function(i)"
                               "{return i.complete && i.naturalWidth == 800;})"),
                QWebEngineScript::ApplicationWorld,
                [&shown](const QVariant &v) { shown = v.toBool(); });
            return shown;
        },
        20000));
    QVariant box;
    page->galleryPage()->runJavaScript(
        QStringLiteral("(function(){var r=document.images[1].getBoundingClientRect();return "
                       "[r.left+r.width/2,r.top+r.height/2];})()"),
        QWebEngineScript::ApplicationWorld,
        [&box](const QVariant &v) { box = v; });
    ASSERT_TRUE(velmora::test::waitUntil([&] { return box.isValid(); }, 20000));
    const QPoint centre(box.toList().value(0).toInt(), box.toList().value(1).toInt());
    QWidget *surface = page->WebPic->focusProxy();
    ASSERT_NE(surface, nullptr);
    QTest::mouseClick(surface, Qt::LeftButton, {}, centre);
    ASSERT_TRUE(velmora::test::waitUntil([&] { return !host.details.isEmpty(); }, 20000));
    EXPECT_EQ(host.details.first(), server.url("/g1.jpg"));
}

TEST_F(Harvest, GalleryScreenshotsInOneToFourColumns)
{
    const QString shots = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (shots.isEmpty())
        GTEST_SKIP() << "VELMORA_SCREENSHOT_DIR is not set";
    QString html;
    for (int i = 0; i < 8; ++i) {
        const std::string path = "/s" + std::to_string(i) + ".jpg";
        server.picture(path, 800 + 40 * i, 600, QColor::fromHsv(i * 45, 200, 230));
        html += imgTag(QString::fromStdString(path).mid(1));
    }
    server.page("/shots.html", html);
    FormWeb *page = open("/shots.html");
    page->resize(1000, 700);
    ASSERT_TRUE(searchPictures(page, false));
    page->showGallery(true);
    page->Tu = 0;
    QImage previous;
    const auto shoot = [&](int columns) {
        QSignalSpy loaded(page->galleryPage(), &QWebEnginePage::loadFinished);
        if (columns == 1) {
            page->LoadPic();
        } else {
            page->PictFangZhen();
        }
        ASSERT_TRUE(loaded.wait(20000));
        // Every picture decoded, so that the view can draw them all.
        page->galleryPage()->runJavaScript(
            QStringLiteral("window.__decoded = false; Promise.all(Array.from(document.images).map(function(i)"
                           "{return i.decode();})).then(function(){window.__decoded = true;});"),
            QWebEngineScript::ApplicationWorld);
        bool ready = false;
        ASSERT_TRUE(velmora::test::waitUntil(
            [&] {
                page->galleryPage()->runJavaScript(QStringLiteral("window.__decoded === true"),
                    QWebEngineScript::ApplicationWorld,
                    [&ready](const QVariant &v) { ready = v.toBool(); });
                return ready;
            },
            20000));
        // The view has drawn the new layout once its picture differs from the last one and two
        // grabs in a row agree.
        QImage shot;
        QImage last;
        const bool drawn = velmora::test::waitUntil(
            [&] {
                shot = page->grab().toImage();
                const bool settled =
                    shot == last && shot != previous && shot.pixelColor(shot.width() / 8, 60) != QColor(Qt::white);
                last = shot;
                return settled;
            },
            20000);
        EXPECT_TRUE(drawn);
        previous = shot;
        EXPECT_TRUE(shot.save(shots + QStringLiteral("/gallery-%1-columns.png").arg(columns)));
    };
    shoot(1);
    shoot(2);
    shoot(3);
    shoot(4);
}
