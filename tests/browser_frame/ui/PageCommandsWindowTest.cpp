#include "FrameTestSupport.h"
#include "browser/frame/PageCommands.h"
#include "browser/frame/ui/FindBar.h"
#include "browser/page/PageCaptureRules.h"
#include "browser/page/ui/FormHtml.h"
#include "slideshow/ui/FormScreen.h"
#include "tests/TestSupport.h"
#include "web/ui/PageCapture.h"

#include <QAction>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <functional>

using browser::frame::Frmmain;
using browser::page::FormWeb;
using velmora::test::appWorld;
using velmora::test::FrameFixture;
using velmora::test::waitFor;
using velmora::test::whenModal;

namespace {

// Records the next message box's title and text, then closes it.
struct MessageSeen {
    QString title;
    QString text;
    bool seen = false;
    void expect()
    {
        whenModal<QMessageBox>([this](QMessageBox *box) {
            title = box->windowTitle();
            text = box->text();
            seen = true;
            box->accept();
        });
    }
};

// Answers the next file dialog with `path`, after recording its title and proposed name.
struct FileDialogAnswer {
    QString title;
    QString proposed;
    bool seen = false;
    void answer(const QString &path)
    {
        whenModal<QFileDialog>([this, path](QFileDialog *dialog) {
            title = dialog->windowTitle();
            if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                proposed = edit->text();
            seen = true;
            dialog->selectFile(path);
            // The whole path typed in the name box, as a person would.
            if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                edit->setText(path);
            static_cast<QDialog *>(dialog)->accept();
        });
    }
};

class PageCommandsWindow : public FrameFixture {
protected:
    Frmmain &openOnPageOne()
    {
        Frmmain &f = open();
        f.resize(1000, 700);
        EXPECT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
        return f;
    }
    QAction *action(const char16_t *menu, const char16_t *text)
    {
        QAction *a = frame->menuAction(QString::fromUtf16(menu), QString::fromUtf16(text));
        EXPECT_NE(a, nullptr) << QString::fromUtf16(text).toStdString();
        return a;
    }
    QString bodyZoom()
    {
        return appWorld(frame->activePage()->page(), QStringLiteral("document.body.style.zoom")).toString();
    }
};

TEST_F(PageCommandsWindow, ZoomInSafeModeShowsTheMessageAndChangesNothing)
{
    Frmmain &f = openOnPageOne();
    ASSERT_TRUE(s.values.browser.SafeMode);
    MessageSeen message;
    message.expect();
    action(u"查看(&V)", u"页面屏幕放大       (+)")->trigger();
    ASSERT_TRUE(waitFor([&] { return message.seen; }, 5000));
    EXPECT_EQ(message.title, QStringLiteral("系统设置中心"));
    EXPECT_EQ(message.text, browser::frame::kZoomMessage);
    EXPECT_EQ(f.activePage()->BigSize, 100);
    EXPECT_EQ(bodyZoom(), QString());
}

TEST_F(PageCommandsWindow, ZoomStepsTheBodyZoom)
{
    Frmmain &f = openOnPageOne();
    s.values.browser.SafeMode = false;
    for (int i = 0; i < 3; ++i)
        action(u"查看(&V)", u"页面屏幕放大       (+)")->trigger();
    EXPECT_EQ(f.activePage()->BigSize, 130);
    ASSERT_TRUE(waitFor([&] { return bodyZoom() == QStringLiteral("130%"); }, 5000));
    f.activePage()->BigSize = 15;
    action(u"查看(&V)", u"页面屏幕缩小       (-)")->trigger();
    EXPECT_EQ(f.activePage()->BigSize, 5);
    action(u"查看(&V)", u"页面屏幕缩小       (-)")->trigger();
    EXPECT_EQ(f.activePage()->BigSize, 5);
    ASSERT_TRUE(waitFor([&] { return bodyZoom() == QStringLiteral("5%"); }, 5000));
    // The gallery shown opens zoom in safe mode too.
    s.values.browser.SafeMode = true;
    f.Chk->setChecked(true);
    f.zoomPage(0);
    EXPECT_EQ(f.activePage()->BigSize, 25);
}

TEST_F(PageCommandsWindow, RefreshAllReloadsEveryTabButTheFirst)
{
    Frmmain &f = openOnPageOne();
    f.LoadNewForm(server().url("/two"));
    f.LoadNewForm(server().url("/three"));
    ASSERT_TRUE(
        waitFor([&] { return loaded(1, QStringLiteral("Page Two")) && loaded(2, QStringLiteral("Page Three")); }));
    const int one = server().hits("/one");
    const int two = server().hits("/two");
    const int three = server().hits("/three");
    action(u"查看(&V)", u"全部刷新")->trigger();
    ASSERT_TRUE(waitFor([&] { return server().hits("/two") > two && server().hits("/three") > three; }));
    // Give a reload of the first tab the time to show, were there one.
    velmora::test::serveEvents(500);
    EXPECT_EQ(server().hits("/one"), one);

    // "刷新(&R)" reloads the active tab only.
    const int threeAfter = server().hits("/three");
    action(u"查看(&V)", u"刷新(&R)")->trigger();
    ASSERT_TRUE(waitFor([&] { return server().hits("/three") > threeAfter; }));
    EXPECT_EQ(server().hits("/one"), one);
}

TEST_F(PageCommandsWindow, EditModeMakesThePageEditableAndCtrlSSavesItsSource)
{
    Frmmain &f = openOnPageOne();
    QAction *editMode = action(u"编辑(&E)", u"网页编辑模式");
    QAction *save = action(u"文件(&F)", u"保存 网页(&A)");
    EXPECT_EQ(save->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    editMode->trigger();
    EXPECT_TRUE(editMode->isChecked());
    EXPECT_TRUE(f.activePage()->WebEdit);
    ASSERT_TRUE(waitFor([&] {
        return appWorld(f.activePage()->page(), QStringLiteral("document.designMode")).toString()
            == QStringLiteral("on");
    }));

    // A link planted where the user saves: the file replaces the link, the target stays.
    const QString outside = data.filePath(QStringLiteral("outside.txt"));
    QFile target(outside);
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("outside");
    target.close();
    const QString chosen = data.filePath(QStringLiteral("source.txt"));
    ASSERT_TRUE(QFile::link(outside, chosen));
    FileDialogAnswer dialog;
    dialog.answer(chosen);
    // Something is there already: the dialog asks whether to replace it.
    bool replaceAsked = false;
    whenModal<QMessageBox>([&replaceAsked](QMessageBox *box) {
        replaceAsked = true;
        box->button(QMessageBox::Yes)->click();
    });
    save->trigger();
    EXPECT_TRUE(replaceAsked);
    ASSERT_TRUE(dialog.seen);
    EXPECT_EQ(dialog.title, QStringLiteral("保存源文件"));
    EXPECT_EQ(dialog.proposed, QStringLiteral("Page .txt"));
    ASSERT_TRUE(waitFor([&] { return !QFileInfo(chosen).isSymLink() && QFileInfo(chosen).size() > 0; }));
    QFile written(chosen);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("第一页的文字")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("</body>\r\n")));
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[^\\r]\\n"))));
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), QByteArray("outside"));

    // Edit mode off: the page is read-only again.
    editMode->trigger();
    EXPECT_FALSE(f.activePage()->WebEdit);
    ASSERT_TRUE(waitFor([&] {
        return appWorld(f.activePage()->page(), QStringLiteral("document.designMode")).toString()
            == QStringLiteral("off");
    }));
}

TEST_F(PageCommandsWindow, PageCaptureNeedsSafeModeOffOrTheGallery)
{
    Frmmain &f = openOnPageOne();
    MessageSeen message;
    message.expect();
    action(u"文件(&F)", u"保存 网页截屏(&P)")->trigger();
    ASSERT_TRUE(waitFor([&] { return message.seen; }, 5000));
    EXPECT_EQ(message.title, QStringLiteral("系统设置中心"));
    EXPECT_EQ(message.text, browser::page::kCaptureSafeModeMessage);
    EXPECT_EQ(f.activePage()->capture(), nullptr);

    server().page("/sized",
        QStringLiteral("<html><head><title>Sized - Page</title></head><body style='margin:0'>"
                       "<div style='width:1400px;height:1200px;background:#08c'></div></body></html>"));
    f.LoadNewForm(server().url("/sized"));
    ASSERT_TRUE(waitFor([&] { return loaded(1, QStringLiteral("Sized - Page")); }));
    const QString path = data.filePath(QStringLiteral("capture.jpg"));
    FileDialogAnswer dialog;
    dialog.answer(path);
    // Safe mode stays on while the tab shows its gallery (here the page view stands for it).
    f.activePage()->ScreenSaveAs(f.activePage()->Web, f.windowTitle(), true);
    ASSERT_TRUE(dialog.seen);
    EXPECT_EQ(dialog.title, QStringLiteral("截图另存为"));
    // The title has a "-" of its own: the name ends before it.
    EXPECT_EQ(dialog.proposed, QStringLiteral("Sized.jpg"));
    ASSERT_NE(f.activePage()->capture(), nullptr);
    QSignalSpy captured(f.activePage()->capture(), &web::PageCapture::captured);
    ASSERT_TRUE(captured.wait(30000));
    EXPECT_TRUE(captured.first().first().toBool());
    // The picture is the document's scroll size and 4 pixels more each way.
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    EXPECT_EQ(reader.size(), QSize(1404, 1204));
}

TEST_F(PageCommandsWindow, SourceAndSelectionSourceOpenTheEditor)
{
    Frmmain &f = openOnPageOne();
    action(u"查看(&V)", u"源文件")->trigger();
    browser::page::FormHtml *editor = nullptr;
    ASSERT_TRUE(waitFor([&] {
        editor = f.findChild<browser::page::FormHtml *>();
        return editor != nullptr;
    }));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("源文件"));
    EXPECT_TRUE(editor->Text1->toPlainText().contains(QStringLiteral("第一页的文字")));
    EXPECT_TRUE(editor->Text1->toPlainText().startsWith(QStringLiteral("<head>")));
    EXPECT_EQ(editor->Text2->text(), server().url("/one"));
    EXPECT_EQ(editor->Text3->text(), QStringLiteral("Page One"));
    editor->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    appWorld(f.activePage()->page(),
        QStringLiteral("var r = document.createRange(); r.selectNodeContents(document.querySelector('p'));"
                       "getSelection().removeAllRanges(); getSelection().addRange(r); true"));
    action(u"查看(&V)", u"选中区域的源文件")->trigger();
    ASSERT_TRUE(waitFor([&] {
        editor = f.findChild<browser::page::FormHtml *>();
        return editor != nullptr;
    }));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("源文件 - 选中区域"));
    EXPECT_EQ(editor->Text1->toPlainText(), QStringLiteral("第一页的文字"));
}

TEST_F(PageCommandsWindow, FindBarCountsAndStepsThroughMatches)
{
    Frmmain &f = openOnPageOne();
    server().page("/find",
        QStringLiteral("<html><head><title>Find</title></head><body><p>apple</p><p>Apple pie</p>"
                       "<p>an apple tart</p></body></html>"));
    f.LoadNewForm(server().url("/find"));
    ASSERT_TRUE(waitFor([&] { return loaded(1, QStringLiteral("Find")); }));
    action(u"编辑(&E)", u"查找(&F)")->trigger();
    browser::frame::FindBar *bar = f.findBar();
    ASSERT_TRUE(bar->isVisible());
    QSignalSpy searched(bar, &browser::frame::FindBar::searched);
    bar->edit()->setText(QStringLiteral("apple"));
    bar->findNext();
    ASSERT_TRUE(searched.wait(5000));
    ASSERT_EQ(bar->matchCount(), 3);
    EXPECT_EQ(bar->activeMatch(), 1);
    bar->findNext();
    ASSERT_TRUE(searched.wait(5000));
    EXPECT_EQ(bar->activeMatch(), 2);
    bar->findPrevious();
    ASSERT_TRUE(searched.wait(5000));
    EXPECT_EQ(bar->activeMatch(), 1);
    EXPECT_EQ(bar->countLabel()->text(), QStringLiteral("第 1 个，共 %1 个").arg(bar->matchCount()));
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        velmora::test::serveEvents(500);
        EXPECT_TRUE(f.grab().save(folder + QStringLiteral("/browser-find-bar.png")));
    }
    bar->edit()->setText(QStringLiteral("不在页面上"));
    bar->findNext();
    ASSERT_TRUE(searched.wait(5000));
    EXPECT_EQ(bar->countLabel()->text(), QStringLiteral("找不到"));
    QTest::keyClick(bar->edit(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(PageCommandsWindow, DesktopCommandsAndCheckMarks)
{
    Frmmain &f = openOnPageOne();
    velmora::test::clearSimulatedDesktopEffects();
    action(u"文件(&F)", u"电子邮件")->trigger();
    action(u"文件(&F)", u"我的电脑")->trigger();
    action(u"工具(&T)", u"启动 OFFice Word")->trigger();
    action(u"工具(&T)", u"启动 OFFice Excel")->trigger();
    action(u"工具(&T)", u"关闭电脑屏幕")->trigger();
    QAction *mute = action(u"工具(&T)", u"关闭电脑声音");
    mute->trigger();
    EXPECT_TRUE(mute->isChecked());
    action(u"查看(&V)", u"用其他浏览器查看")->trigger();
    const QStringList effects = velmora::test::simulatedDesktopEffects();
    ASSERT_EQ(effects.size(), 7) << effects.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(effects[0], QStringLiteral("openWithDesktop\tmailto:"));
    EXPECT_EQ(effects[1], QStringLiteral("openWithDesktop\t") + QUrl::fromLocalFile(QDir::homePath()).toString());
    EXPECT_EQ(effects[2], QStringLiteral("startProgram\tlibreoffice\t--writer"));
    EXPECT_EQ(effects[3], QStringLiteral("startProgram\tlibreoffice\t--calc"));
    EXPECT_TRUE(effects[4].startsWith(QStringLiteral("monitorOff")));
    EXPECT_EQ(effects[5], QStringLiteral("toggleMute"));
    EXPECT_EQ(effects[6], QStringLiteral("openWithDesktop\t") + server().url("/one"));

    QAction *offline = action(u"文件(&F)", u"脱机工作(&T)");
    offline->trigger();
    EXPECT_TRUE(offline->isChecked());
    offline->trigger();
    EXPECT_FALSE(offline->isChecked());
    action(u"文件(&F)", u"拨号上网(&N)")->trigger();
    EXPECT_EQ(f.statusText(), browser::frame::kDialMessage);
}

TEST_F(PageCommandsWindow, ClearAdsAndAllowMediaSwitchSafeMode)
{
    Frmmain &f = openOnPageOne();
    s.values.browser.SafeMode = false;
    action(u"工具(&T)", u"清除网页广告")->trigger();
    EXPECT_TRUE(s.values.browser.SafeMode);
    EXPECT_FALSE(f.activePage()->page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
    // One load without the limits; safe mode is on again afterwards.
    const int hits = server().hits("/one");
    action(u"查看(&V)", u"允许播放电影/音乐")->trigger();
    EXPECT_TRUE(s.values.browser.SafeMode);
    EXPECT_TRUE(f.activePage()->page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
    ASSERT_TRUE(waitFor([&] { return server().hits("/one") > hits; }));
}

}

namespace {

TEST_F(PageCommandsWindow, PrintDialogsAndTheSlideshowOnTheDownloadFolder)
{
    Frmmain &f = openOnPageOne();
    for (const char16_t *entry : { u"打印(&P)", u"页面设置", u"打印预览(&G)" }) {
        QString shown;
        whenModal<QDialog>([&shown](QDialog *dialog) {
            shown = QString::fromLatin1(dialog->metaObject()->className());
            dialog->reject();
        });
        action(u"文件(&F)", entry)->trigger();
        EXPECT_FALSE(shown.isEmpty()) << QString::fromUtf16(entry).toStdString();
    }
    // The slideshow opens on the download folder, from the menu and from the toolbar.
    action(u"工具(&T)", u"屏幕保护程序(下载目录)")->trigger();
    f.toolbarButton(QStringLiteral("Command1"))->click();
    const QList<slideshow::FormScreen *> shows = f.findChildren<slideshow::FormScreen *>();
    ASSERT_EQ(shows.size(), 2);
    for (slideshow::FormScreen *show : shows) {
        EXPECT_EQ(show->ScreenFolder, s.values.DownloadFolder);
        show->close();
    }
}

}

namespace {

TEST_F(PageCommandsWindow, SavePageOutsideEditModeWritesThePage)
{
    Frmmain &f = openOnPageOne();
    ASSERT_FALSE(f.editMode());
    const QString path = data.filePath(QStringLiteral("saved.htm"));
    FileDialogAnswer dialog;
    dialog.answer(path);
    action(u"文件(&F)", u"保存 网页(&A)")->trigger();
    ASSERT_TRUE(dialog.seen);
    EXPECT_EQ(dialog.title, QStringLiteral("保存网页"));
    EXPECT_EQ(dialog.proposed, QStringLiteral("Page One.htm"));
    ASSERT_TRUE(waitFor([&] { return QFileInfo(path).size() > 0; }));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(saved.readAll()).contains(QStringLiteral("第一页的文字")));
}

}
