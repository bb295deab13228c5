#include "FrameTestSupport.h"
#include "browser/page/PictureSaver.h"
#include "tests/TestSupport.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>

using browser::frame::Frmmain;
using velmora::test::waitFor;

namespace {

std::string pngOf(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

class FramePictures : public velmora::test::FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        static const bool served = [] {
            auto &pics = velmora::test::browserTestServer();
            pics.serve("/pics/a.png", pngOf(640, 600), "image/png");
            pics.serve("/pics/b.png", pngOf(700, 520), "image/png");
            pics.serve("/pics/30000.jpg", std::string(30000, 'x'), "image/jpeg");
            pics.serve("/pics/29999.jpg", std::string(29999, 'x'), "image/jpeg");
            pics.serve("/pics/12000.jpg", std::string(12000, 'x'), "image/jpeg");
            pics.page("/pics/two",
                QStringLiteral("<html><head><title>Two Pictures</title></head><body>"
                               "<img src='a.png'><img src='b.png'></body></html>"));
            pics.page("/pics/batch",
                QStringLiteral("<html><head><title>Batch</title></head><body>"
                               "<img src='30000.jpg'><img src='29999.jpg'></body></html>"));
            pics.page("/pics/save",
                QStringLiteral("<html><head><title>Save All</title></head><body>"
                               "<img src='12000.jpg'></body></html>"));
            return true;
        }();
        (void)served;
    }
    Frmmain &openOn(const std::string &path, const QString &title)
    {
        s.settings.save(common::keys::kSetup, common::keys::kHomepage, server().url(path));
        Frmmain &f = open();
        EXPECT_TRUE(waitFor([&] { return loaded(0, title); }));
        EXPECT_TRUE(waitFor([&] {
            return velmora::test::appWorld(f.activePage()->page(), QStringLiteral("document.readyState"))
                == QStringLiteral("complete");
        }));
        // The page's own picture ticks stay out of the way of the commands under test.
        f.activePage()->Timer3->stop();
        return f;
    }
    QStringList filesIn(const QString &folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

}

TEST_F(FramePictures, BatchButtonKeeps30000BytesAndDeletes29999)
{
    Frmmain &f = openOn("/pics/batch", QStringLiteral("Batch"));
    QToolButton *button = f.toolbarButton(QStringLiteral("Command4"));
    ASSERT_TRUE(button->isEnabled());
    s.values.browser.MinPictureBytes = 1;
    QSignalSpy ended(&f.activePage()->saver(), &browser::page::PictureSaver::runEnded);
    button->click();
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(s.values.browser.MinPictureBytes, 30000);
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_TRUE(button->isEnabled());
    const QStringList files = filesIn(s.values.DownloadFolder);
    ASSERT_EQ(files.size(), 1) << files.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(QFileInfo(s.values.DownloadFolder + files[0]).size(), 30000);

    // The menu entry does the same.
    QAction *manual = f.menuAction(QStringLiteral("查看(&V)"), QStringLiteral("下载网页图片（手动）"));
    ASSERT_NE(manual, nullptr);
    EXPECT_TRUE(manual->isEnabled());
}

TEST_F(FramePictures, GalleryToggleShowsTheGalleryInYellow)
{
    Frmmain &f = openOn("/pics/two", QStringLiteral("Two Pictures"));
    browser::page::FormWeb *page = f.activePage();
    QSignalSpy done(page, &browser::page::FormWeb::galleryDone);
    f.Chk->click();
    ASSERT_TRUE(done.wait(20000));
    EXPECT_TRUE(f.Chk->isChecked());
    EXPECT_TRUE(f.Chk->styleSheet().contains(QStringLiteral("rgb(255, 255, 0)")));
    EXPECT_TRUE(page->WebPic->isVisible());
    EXPECT_EQ(page->Tu, 1);
    EXPECT_EQ(page->Lab[2]->text(), QStringLiteral("图片总数：2"));
    EXPECT_EQ(pump.WheelBrowser.data(), page->WebPic);

    // "页面刷新" while the gallery shows collects the pictures again instead of reloading.
    const int pageHits = server().hits("/pics/two");
    done.clear();
    f.toolbarButton(QStringLiteral("Command2"))->click();
    ASSERT_TRUE(done.wait(20000));
    EXPECT_EQ(server().hits("/pics/two"), pageHits);

    f.Chk->click();
    EXPECT_FALSE(f.Chk->isChecked());
    EXPECT_TRUE(f.Chk->styleSheet().isEmpty());
    EXPECT_FALSE(page->WebPic->isVisible());
    EXPECT_EQ(pump.WheelBrowser.data(), page->Web);
}

TEST_F(FramePictures, ClosingRightAfterTheGalleryToggleLeavesNothingToAnswer)
{
    // The picture query is still owed when the frame and its page windows go; its answer must
    // find nothing to act on.
    Frmmain &f = openOn("/pics/two", QStringLiteral("Two Pictures"));
    QPointer<browser::page::FormWeb> page = f.activePage();
    f.Chk->click();
    f.close();
    delete frame.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(page.isNull());
    // Anything still queued for the gone windows runs, and finds them gone.
    velmora::test::serveEvents(500);
}

TEST_F(FramePictures, ViewPagePicturesCollectsTwiceWhenTheToggleWasOff)
{
    Frmmain &f = openOn("/pics/two", QStringLiteral("Two Pictures"));
    QAction *view = f.menuAction(QStringLiteral("查看(&V)"), QStringLiteral("查看网页图片"));
    ASSERT_NE(view, nullptr);
    QSignalSpy done(f.activePage(), &browser::page::FormWeb::galleryDone);
    view->trigger();
    ASSERT_TRUE(waitFor([&] { return done.count() >= 2; }));
    EXPECT_TRUE(f.Chk->isChecked());
    // Nothing more follows.
    EXPECT_FALSE(done.wait(1000));
    EXPECT_EQ(done.count(), 2);

    // With the toggle on, once.
    done.clear();
    view->trigger();
    ASSERT_TRUE(done.wait(20000));
    EXPECT_FALSE(done.wait(1000));
    EXPECT_EQ(done.count(), 1);
}

TEST_F(FramePictures, SaveAllIntoAFolderThenTheDownloadFolderIsThePreviousOne)
{
    Frmmain &f = openOn("/pics/save", QStringLiteral("Save All"));
    const QString previous = s.values.DataFolder + QStringLiteral("Elsewhere/");
    s.values.DownloadFolder = previous;
    const QString chosen = s.values.DataFolder + QStringLiteral("Chosen");
    QDir().mkpath(chosen);
    f.askPictureFolder = [&](QWidget *) {
        return chosen;
    };
    QSignalSpy ended(&f.activePage()->saver(), &browser::page::PictureSaver::runEnded);
    QAction *save = f.menuAction(QStringLiteral("文件(&F)"), QStringLiteral("提取全部图片 另存为(&S)"));
    ASSERT_NE(save, nullptr);
    save->trigger();
    EXPECT_EQ(s.values.browser.MinPictureBytes, 10000);
    EXPECT_EQ(s.values.DownloadFolder, chosen + QLatin1Char('/'));
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_EQ(filesIn(chosen).size(), 1);
    EXPECT_EQ(s.values.DownloadFolder, previous);

    // Cancelled: nothing happens.
    f.askPictureFolder = [](QWidget *) {
        return QString();
    };
    save->trigger();
    EXPECT_EQ(s.values.DownloadFolder, previous);
}
