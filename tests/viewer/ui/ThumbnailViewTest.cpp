#include "common/Paths.h"
#include "common/Registry.h"
#include "common/Settings.h"
#include "common/platform/Desktop.h"
#include "slideshow/ui/FormScreen.h"
#include "system/ui/MessagePump.h"
#include "tests/TestSupport.h"
#include "tests/viewer/ui/ViewerUnderTest.h"
#include "viewer/ui/FormPicture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cmath>
#include <gtest/gtest.h>

namespace {

struct PagedViewer : velmora::test::ViewerUnderTest {
    explicit PagedViewer(const QString &folder, int pageSize = 30)
        : ViewerUnderTest(folder, QString::number(pageSize))
    {
        if (!folder.isEmpty())
            waitForPage();
    }

    bool waitForPage()
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 20000) {
            const QStringList status = evaluate(QStringLiteral("location.protocol + ' ' + document.readyState"))
                                           .toString()
                                           .split(QLatin1Char(' '));
            if (status == QStringList { QStringLiteral("file:"), QStringLiteral("complete") })
                return true;
            velmora::test::serveEvents(20);
        }
        return false;
    }

    // Waits until the view shows the page file again after a command rebuilt it.
    void reloadAfter(const std::function<void()> &command)
    {
        QSignalSpy loaded(form->Web->page(), &QWebEnginePage::loadFinished);
        command();
        loaded.wait(20000);
    }
};

void makePictures(const QString &folder, const QStringList &names, QSize size = QSize(40, 30))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    for (const QString &name : names)
        ASSERT_TRUE(image.save(folder + QLatin1Char('/') + name, "PNG")) << qPrintable(name);
}

TEST(ThumbnailView, TheSamplesFolderShowsEveryPictureAndTheStatusLine)
{
    const QString samples = velmora::test::sourceDir() + QStringLiteral("/samples");
    PagedViewer v(samples);
    const int count = QDir(samples).entryList(QDir::Files).size();
    EXPECT_EQ(v.viewerState.ViewerCount, count);
    EXPECT_EQ(v.evaluate(QStringLiteral("document.images.length")).toInt(), count);
    EXPECT_EQ(v.evaluate(QStringLiteral("document.body.bgColor")).toString().toUpper(), QStringLiteral("#FFFFFF"));
    // Layout 0 is centred and shows a picture narrower than the page at its natural width.
    EXPECT_EQ(v.evaluate(QStringLiteral("document.querySelector('div').align")).toString(), QStringLiteral("center"));
    EXPECT_EQ(
        v.evaluate(QStringLiteral("Array.from(document.images).find(i => i.src.endsWith('flag.bmp')).naturalWidth"))
            .toInt(),
        400);
    EXPECT_EQ(v.form->Lab[0]->text(), QStringLiteral("当前路径：") + samples + QLatin1Char('/'));
    EXPECT_EQ(v.form->Lab[2]->text(), QStringLiteral("图片总数：%1").arg(count));
    EXPECT_EQ(v.form->Lab[6]->text(), QStringLiteral("Orlavue     第 1 页  ， 共 1 页"));
    EXPECT_FALSE(v.form->CmdPage[0]->isEnabled());
    EXPECT_FALSE(v.form->CmdPage[1]->isEnabled());
}

TEST(ThumbnailView, PagesLayoutsAndColoursFollowTheCommands)
{
    QTemporaryDir dir;
    QStringList names;
    for (int i = 0; i < 61; ++i)
        names << QStringLiteral("p%1.png").arg(i, 2, 10, QLatin1Char('0'));
    makePictures(dir.path(), names);
    PagedViewer v(dir.path());
    EXPECT_EQ(v.form->Lab[6]->text(), QStringLiteral("Orlavue     第 1 页  ， 共 3 页"));
    EXPECT_EQ(v.evaluate(QStringLiteral("document.images.length")).toInt(), 30);

    v.reloadAfter([&] { v.form->CmdPage[1]->click(); });
    v.reloadAfter([&] { v.form->CmdPage[1]->click(); });
    EXPECT_EQ(v.form->Lab[6]->text(), QStringLiteral("Orlavue     第 3 页  ， 共 3 页"));
    EXPECT_EQ(v.evaluate(QStringLiteral("document.images.length")).toInt(), 1);
    EXPECT_FALSE(v.form->CmdPage[1]->isEnabled());
    EXPECT_TRUE(v.form->CmdPage[0]->isEnabled());
    v.reloadAfter([&] { v.form->CmdPage[0]->click(); });
    v.reloadAfter([&] { v.form->CmdPage[0]->click(); });
    EXPECT_EQ(v.form->Lab[6]->text(), QStringLiteral("Orlavue     第 1 页  ， 共 3 页"));
    EXPECT_FALSE(v.form->CmdPage[0]->isEnabled());

    // Layout 1: two per row, no centring, a width on every thumbnail.
    v.reloadAfter([&] { v.form->Command7->click(); });
    EXPECT_EQ(v.form->LayoutMode, 1);
    EXPECT_EQ(v.evaluate(QStringLiteral("document.querySelectorAll('div').length")).toInt(), 0);
    const int W = int(std::nearbyint(v.form->Web->width() - 30.0));
    EXPECT_EQ(v.evaluate(QStringLiteral("document.images[0].getAttribute('width')")).toString(),
        QString::number(int(std::nearbyint(W / 2.0 - 5))));

    v.reloadAfter([&] { v.form->ImgComb->click(); });
    EXPECT_EQ(v.evaluate(QStringLiteral("document.body.bgColor")).toString().toUpper(), QStringLiteral("#FF0000"));

    // The full-width toggle lights its button and gives every picture the page width.
    v.reloadAfter([&] { v.form->Command10->click(); });
    EXPECT_EQ(v.form->FitWidthOn, 1);
    EXPECT_EQ(v.form->LayoutMode, 4);
    EXPECT_EQ(v.form->Command10->palette().color(QPalette::Button), QColor(255, 255, 0));
    EXPECT_EQ(v.evaluate(QStringLiteral("document.images[0].getAttribute('width')")).toString(), QString::number(W));
    v.reloadAfter([&] { v.form->Command10->click(); });
    EXPECT_EQ(v.form->FitWidthOn, 0);
    EXPECT_EQ(v.form->LayoutMode, 0);
    EXPECT_NE(v.form->Command10->palette().color(QPalette::Button), QColor(255, 255, 0));
}

TEST(ThumbnailView, AnEmptyFolderShowsAnEmptyPage)
{
    QTemporaryDir dir;
    PagedViewer v(dir.path());
    EXPECT_EQ(v.form->Lab[2]->text(), QStringLiteral("图片总数：0"));
    EXPECT_EQ(v.form->Lab[6]->text(), QStringLiteral("Orlavue     第 1 页  ， 共 0 页"));
    EXPECT_EQ(v.evaluate(QStringLiteral("document.images.length")).toInt(), 0);
}

TEST(ThumbnailView, HostileNamesShowAndOpenTheRightFile)
{
    QTemporaryDir dir;
    const QStringList names = { QStringLiteral("a\"q.png"),
        QStringLiteral("b<tag>.png"),
        QStringLiteral("c&amp;d.png"),
        QStringLiteral("d#frag.png"),
        QStringLiteral("e%41.png"),
        QStringLiteral("f?x=1.png"),
        QStringLiteral("g 空格 图片.png"),
        QStringLiteral("h'onerror=alert(1)'.png") };
    makePictures(dir.path(), names, QSize(60, 40));
    PagedViewer v(dir.path());
    ASSERT_EQ(v.viewerState.ViewerCount, names.size());
    ASSERT_EQ(v.evaluate(QStringLiteral("document.images.length")).toInt(), names.size());
    // Every thumbnail loaded its own file: each picture decoded at its natural size.
    EXPECT_EQ(
        v.evaluate(QStringLiteral("Array.from(document.images).filter(i => i.naturalWidth == 60).length")).toInt(),
        names.size());
    // No markup came out of a name.
    EXPECT_EQ(v.evaluate(QStringLiteral("document.querySelectorAll('tag').length")).toInt(), 0);

    for (int i = 0; i < names.size(); ++i) {
        const QString expected =
            dir.path() + QLatin1Char('/') + v.viewerState.ViewerList[i].section(QLatin1Char('/'), -1);
        const QString href = v.evaluate(QStringLiteral("document.links[%1].href").arg(i)).toString();
        EXPECT_EQ(common::localPathFromUrlText(href), expected) << qPrintable(href);
        const QString title = v.evaluate(QStringLiteral("document.images[%1].title").arg(i)).toString();
        EXPECT_TRUE(expected.endsWith(title) || expected.section(QLatin1Char('/'), -1).startsWith(title))
            << qPrintable(title);
    }

    // A real click on a thumbnail opens that picture with the desktop, not a new window.
    velmora::test::clearSimulatedDesktopEffects();
    const QVariantList box = v.evaluate(QStringLiteral("(function(){var r=document.images[3].getBoundingClientRect();"
                                                       "return [r.left+r.width/2, r.top+r.height/2];})()"))
                                 .toList();
    ASSERT_EQ(box.size(), 2);
    QWidget *target = v.form->Web->focusProxy() ? v.form->Web->focusProxy() : v.form->Web;
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(box[0].toInt(), box[1].toInt()));
    QElapsedTimer clock;
    clock.start();
    while (velmora::test::simulatedDesktopEffects().isEmpty() && clock.elapsed() < 10000)
        velmora::test::serveEvents(20);
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(),
        QStringList {
            QStringLiteral("openWithDesktop\t") + QUrl::fromLocalFile(v.viewerState.ViewerList[3]).toString() });
}

TEST(ThumbnailView, AutoScrollDoubleClickJumpsToTheBottomAndStops)
{
    QTemporaryDir dir;
    QStringList names;
    for (int i = 0; i < 30; ++i)
        names << QStringLiteral("tall%1.png").arg(i);
    makePictures(dir.path(), names, QSize(50, 400));
    PagedViewer v(dir.path());
    v.form->MoveUp[1]->click();
    EXPECT_TRUE(v.form->Timer1->isActive());
    EXPECT_EQ(v.form->MoveUp[1]->palette().color(QPalette::Button), QColor(255, 255, 0));
    velmora::test::serveEvents(100);
    v.form->MoveUp[1]->click(); // about five ticks later: a double click
    QElapsedTimer clock;
    clock.start();
    while (v.form->Timer1->isActive() && clock.elapsed() < 5000)
        velmora::test::serveEvents(20);
    EXPECT_FALSE(v.form->Timer1->isActive());
    const int bottom = v.evaluate(QStringLiteral("document.documentElement.scrollHeight - window.innerHeight")).toInt();
    EXPECT_EQ(v.evaluate(QStringLiteral("window.scrollY")).toInt(), bottom);
}

TEST(ThumbnailView, ZoomStartsAgainAt100OnEveryLoadedPage)
{
    const QString samples = velmora::test::sourceDir() + QStringLiteral("/samples");
    PagedViewer v(samples);
    v.form->BigP[0]->click();
    v.form->BigP[0]->click();
    EXPECT_EQ(v.form->ZoomPercent, 120);
    QElapsedTimer clock;
    clock.start();
    while (v.evaluate(QStringLiteral("document.body.style.zoom")).toString() != QLatin1String("120%")
        && clock.elapsed() < 5000)
        velmora::test::serveEvents(20);
    EXPECT_EQ(v.evaluate(QStringLiteral("document.body.style.zoom")).toString(), QStringLiteral("120%"));
    v.reloadAfter([&] { v.form->Command2->click(); });
    EXPECT_EQ(v.form->ZoomPercent, 100);
}

}

namespace {

slideshow::FormScreen *openSlideshowWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (QLatin1String(widget->metaObject()->className()) == QLatin1String("slideshow::FormScreen")
            && widget->isVisible())
            return static_cast<slideshow::FormScreen *>(widget);
    }
    return nullptr;
}

TEST(ThumbnailView, TheSlideshowButtonsOpenTheSlideshowOnTheRightFolder)
{
    const QString samples = velmora::test::sourceDir() + QStringLiteral("/samples");
    PagedViewer v(samples);
    v.form->Command9->click();
    slideshow::FormScreen *show = openSlideshowWindow();
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->ScreenFolder, samples + QLatin1Char('/'));
    QTest::keyClick(show, Qt::Key_Escape);
    QElapsedTimer clock;
    clock.start();
    while (openSlideshowWindow() && clock.elapsed() < 5000)
        velmora::test::serveEvents(20);
    EXPECT_EQ(openSlideshowWindow(), nullptr);

    v.form->menuEntry(QStringLiteral("AutoRunImag"))->trigger();
    show = openSlideshowWindow();
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->ScreenFolder, v.values.DownloadFolder);
    show->close();
}

}

namespace {

// Answers the modal dialogs the viewer opens, in order, as soon as each appears.
void answerDialogs(QStringList answers, QStringList *seenMessages)
{
    QTimer::singleShot(50, [answers, seenMessages]() mutable {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            answerDialogs(answers, seenMessages);
            return;
        }
        if (auto *input = qobject_cast<QInputDialog *>(modal)) {
            input->setTextValue(answers.takeFirst());
            input->accept();
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            seenMessages->append(box->text());
            box->accept();
        }
        if (!answers.isEmpty())
            answerDialogs(answers, seenMessages);
    });
}

TEST(ThumbnailView, JumpAsksAgainWhenOutOfRangeAndRoundsHalvesToEven)
{
    QTemporaryDir dir;
    QStringList names;
    for (int i = 0; i < 61; ++i)
        names << QStringLiteral("j%1.png").arg(i, 2, 10, QLatin1Char('0'));
    makePictures(dir.path(), names);
    PagedViewer v(dir.path());
    QStringList messages;
    answerDialogs({ QStringLiteral("4"), QStringLiteral("2.5") }, &messages);
    v.reloadAfter([&] { v.form->menuEntry(QStringLiteral("ToolJump"))->trigger(); });
    EXPECT_EQ(messages, QStringList { QStringLiteral("总共只有 3 页，您超出范围了！") });
    EXPECT_EQ(v.form->Lab[6]->text(), QStringLiteral("Orlavue     第 2 页  ， 共 3 页"));
    EXPECT_TRUE(v.form->CmdPage[0]->isEnabled());
}

TEST(ThumbnailView, OpeningAPictureListsItsFolderStartingAtIt)
{
    QTemporaryDir dir;
    makePictures(dir.path(), { QStringLiteral("a.png"), QStringLiteral("b.png"), QStringLiteral("c.png") });
    PagedViewer v { QString() };
    v.form->openPictureFile(dir.filePath(QStringLiteral("b.png")));
    v.waitForPage();
    EXPECT_EQ(v.viewerState.ViewerList,
        (QStringList { dir.filePath(QStringLiteral("b.png")),
            dir.filePath(QStringLiteral("c.png")),
            dir.filePath(QStringLiteral("a.png")) }));
    EXPECT_EQ(v.form->Lab[2]->text(), QStringLiteral("图片总数：3"));
    // The same folder again: it is already the folder list's folder, so the command scans it itself.
    v.form->openPictureFile(dir.filePath(QStringLiteral("c.png")));
    EXPECT_EQ(v.viewerState.ViewerList.first(), dir.filePath(QStringLiteral("c.png")));
    // A cancelled dialog changes nothing.
    v.form->openPictureFile(QString());
    EXPECT_EQ(v.viewerState.ViewerList.first(), dir.filePath(QStringLiteral("c.png")));
}

}
