#include "browser/page/ui/FormImage.h"

#include "ServicesUnderTest.h"
#include "TestSupport.h"
#include "browser/page/DetailsPage.h"
#include "browser_page/DownloadServer.h"
#include "web/ui/SilentPage.h"

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <gtest/gtest.h>

using browser::page::FormImage;

namespace {

std::string pngOf(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// A value the page's document answers, read in the application world (page scripts are off).
QVariant evaluate(FormImage &window, const QString &script)
{
    QVariant result;
    bool answered = false;
    window.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &value) {
        result = value;
        answered = true;
    });
    if (!velmora::test::waitUntil([&] { return answered; }, 10000))
        return {};
    return result;
}

class DetailsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 5; ++i) {
            const QString url = server.url(QStringLiteral("/files/p%1.png").arg(i));
            server.serve("p" + std::to_string(i) + ".png", pngOf(300 + i, 200, Qt::darkCyan), "image/png");
            s.values.pictures.store(i, url);
            urls << url;
        }
        s.values.pictures.PictureCount = 5;
    }
    // A new window showing entry `entry`, loaded.
    FormImage *open(int entry)
    {
        auto *window = new FormImage(s.services, s.values);
        window->resize(800, 600);
        window->show();
        QSignalSpy loaded(window->page(), &QWebEnginePage::loadFinished);
        window->LoadImg(urls[entry]);
        EXPECT_TRUE(loaded.wait(20000));
        return window;
    }

    velmora::test::ServicesUnderTest s;
    velmora::test::DownloadServer server;
    QStringList urls;
};

TEST_F(DetailsWindow, GalleryOfFiveStepsAndWraps)
{
    struct Case {
        const char *name;
        std::vector<int> clicks;
        std::vector<int> shown;
    };
    const Case cases[] = {
        { "next from a new window", { 2 }, { 2 } },
        { "previous from a new window", { 1 }, { 0 } },
        { "previous from the first wraps to the last", { 1, 1 }, { 0, 4 } },
        { "next from the last wraps to the first", { 2, 2, 2, 2 }, { 2, 3, 4, 0 } },
        { "back and forth", { 2, 1, 1 }, { 2, 1, 0 } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FormImage window(s.services, s.values);
        EXPECT_EQ(window.GalleryIndex, 1);
        window.LoadImg(urls[3]);
        for (size_t i = 0; i < c.clicks.size(); ++i) {
            window.Cmd[size_t(c.clicks[i])]->click();
            EXPECT_EQ(window.CurrentImage, urls[c.shown[i]]);
            EXPECT_EQ(window.GalleryIndex, c.shown[i]);
            EXPECT_EQ(window.CombNet->currentText(), urls[c.shown[i]]);
        }
    }
}

TEST_F(DetailsWindow, OneWindowKeepsItsPositionWhileLoaded)
{
    FormImage *window = FormImage::showPicture(s.services, s.values, urls[4]);
    EXPECT_EQ(window->CurrentImage, urls[4]);
    EXPECT_TRUE(window->isVisible());
    window->Cmd[2]->click();
    EXPECT_EQ(window->CurrentImage, urls[2]);
    // The gallery opens another picture: the same window, the same position.
    window->showMinimized();
    EXPECT_EQ(FormImage::showPicture(s.services, s.values, urls[0]), window);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(window->CurrentImage, urls[0]);
    window->Cmd[2]->click();
    EXPECT_EQ(window->CurrentImage, urls[3]);
    EXPECT_EQ(window->CombNet->count(), 4);

    const QPointer<FormImage> gone(window);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(gone.isNull());
    FormImage *fresh = FormImage::showPicture(s.services, s.values, urls[0]);
    EXPECT_EQ(fresh->GalleryIndex, 1);
    delete fresh;
}

TEST_F(DetailsWindow, PageFileHoldsOnePictureLineAndGoesWithTheWindow)
{
    const QString tricky = server.url(QStringLiteral("/files/p0.png?a=\"><b>x</b>"));
    FormImage *window = open(0);
    QSignalSpy loaded(window->page(), &QWebEnginePage::loadFinished);
    window->LoadImg(tricky);
    ASSERT_TRUE(loaded.wait(20000));
    const QString path = browser::page::detailsPageFilePath();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    file.close();
    const QStringList pictureLines = lines.filter(QStringLiteral("<img"));
    ASSERT_EQ(pictureLines.size(), 1);
    EXPECT_EQ(pictureLines.first() + QStringLiteral("\r\n"), browser::page::detailsPictureLine(tricky));
    EXPECT_EQ(lines.first(), QStringLiteral("<body bgcolor=0>"));
    // The page shows one picture on black, and the address made no element.
    EXPECT_EQ(evaluate(*window, QStringLiteral("document.getElementsByTagName('b').length")).toInt(), 0);
    EXPECT_EQ(evaluate(*window, QStringLiteral("document.images.length")).toInt(), 1);
    EXPECT_EQ(evaluate(*window, QStringLiteral("getComputedStyle(document.body).backgroundColor")).toString(),
        QStringLiteral("rgb(0, 0, 0)"));
    window->LoadImg(urls[1]);
    ASSERT_TRUE(loaded.wait(20000));
    ASSERT_TRUE(velmora::test::waitUntil(
        [&] { return evaluate(*window, QStringLiteral("document.images[0].naturalWidth")).toInt() == 301; }, 10000));

    const QPointer<FormImage> gone(window);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(gone.isNull());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(DetailsWindow, ZoomHasNoLowerLimit)
{
    FormImage *window = open(0);
    EXPECT_EQ(window->ZoomPercent, 100);
    for (int i = 0; i < 11; ++i)
        window->Cmd[5]->click();
    EXPECT_EQ(window->ZoomPercent, -10);
    for (int i = 0; i < 3; ++i)
        window->Cmd[4]->click();
    EXPECT_EQ(window->ZoomPercent, 20);
    ASSERT_TRUE(velmora::test::waitUntil(
        [&] { return evaluate(*window, QStringLiteral("document.body.style.zoom")).toString() == "20%"; }, 10000));
    // A new picture starts at 100 again.
    QSignalSpy loaded(window->page(), &QWebEnginePage::loadFinished);
    window->Cmd[2]->click();
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(window->ZoomPercent, 100);
    delete window;
}

TEST_F(DetailsWindow, SaveOpenAndTheAddressBox)
{
    FormImage *window = open(2);
    QStringList saved;
    window->saveAddress = [&](const QString &address) {
        saved << address;
    };
    window->CmdSave->click();
    EXPECT_EQ(saved, QStringList { urls[2] });

    velmora::test::clearSimulatedDesktopEffects();
    window->CmdSearch->click();
    ASSERT_TRUE(velmora::test::waitUntil([] { return !velmora::test::simulatedDesktopEffects().isEmpty(); }, 5000));
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(), QStringList { QStringLiteral("openWithDesktop\t") + urls[2] });

    // Enter goes to the typed address itself, not through the page file.
    QSignalSpy loaded(window->page(), &QWebEnginePage::loadFinished);
    window->CombNet->lineEdit()->setText(urls[4]);
    QTest::keyClick(window->CombNet->lineEdit(), Qt::Key_Return);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(window->Web->url().toString(), urls[4]);
    EXPECT_EQ(window->CurrentImage, urls[2]);

    // An address picked from the list is shown through the page file.
    window->CombNet->setCurrentIndex(0);
    emit window->CombNet->activated(0);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(window->Web->url(), QUrl::fromLocalFile(browser::page::detailsPageFilePath()));
    delete window;
}

TEST_F(DetailsWindow, Screenshot)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "VELMORA_SCREENSHOT_DIR is not set";
    QDir().mkpath(folder);
    server.serve("big.png", pngOf(640, 420, QColor(200, 120, 40)), "image/png");
    s.values.pictures.store(1, server.url(QStringLiteral("/files/big.png")));
    FormImage *window = open(1);
    window->LoadImg(server.url(QStringLiteral("/files/big.png")));
    ASSERT_TRUE(velmora::test::waitUntil(
        [&] { return evaluate(*window, QStringLiteral("document.images[0].naturalWidth")).toInt() == 640; }, 10000));
    velmora::test::serveEvents(500);
    EXPECT_TRUE(window->grab().save(folder + QStringLiteral("/details-window.png")));
    delete window;
}

}
