#include "viewer/ui/FormPicture.h"

#include "common/Paths.h"
#include "common/Registry.h"
#include "common/Settings.h"
#include "common/platform/Desktop.h"
#include "system/ui/MessagePump.h"
#include "tests/TestSupport.h"
#include "tests/viewer/ui/ViewerUnderTest.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

struct Viewer : velmora::test::ViewerUnderTest {
    explicit Viewer(const QString &commandLine = QString(), const QString &pageFileCount = QString())
        : ViewerUnderTest(commandLine, pageFileCount, true)
    {
    }
};

QVariant evaluate(QWebEngineView *view, const QString &script)
{
    return velmora::test::runScript(view, script);
}

bool loadHtml(QWebEngineView *view, const QString &html)
{
    QSignalSpy loaded(view->page(), &QWebEnginePage::loadFinished);
    view->setHtml(html, QUrl(QStringLiteral("file:///")));
    return loaded.wait(20000);
}

TEST(FormPicture, StartsWithItsCaptionStatusLineToolbarAndMenus)
{
    Viewer v;
    viewer::FormPicture &form = *v.form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vistelle (v9.0)"));
    EXPECT_EQ(form.Lab[0]->text(), QStringLiteral("当前路径：未知"));
    EXPECT_EQ(form.Lab[2]->text(), QStringLiteral("图片总数：0"));
    EXPECT_EQ(form.Lab[4]->text(), QStringLiteral("每页显示：30"));
    EXPECT_EQ(form.Lab[6]->text(), QStringLiteral("Orlavue"));

    const std::pair<QToolButton *, const char *> tips[] = {
        { form.Command1, "浏览图片" },
        { form.Command5, "搜索图片子目录" },
        { form.Command6, "成批下载图片 （Nimbrow）" },
        { form.CmdPage[0], "往前翻页" },
        { form.CmdPage[1], "往后翻页" },
        { form.BigP[0], "图像放大" },
        { form.BigP[1], "图像缩小" },
        { form.MoveUp[0], "至页面顶部（双击直达）" },
        { form.MoveUp[1], "至页面底部（双击直达）" },
        { form.ImgComb, "切换背景颜色 （红黑白黄绿）" },
        { form.Command7, "切换图像方阵 X2 X3 X4" },
        { form.Command10, "全屏展示图像 / 恢复原始大小" },
        { form.ChkFace, "显示 / 隐藏文件夹列表" },
        { form.Command8, "查看图片路径" },
        { form.Command2, "刷新图像" },
        { form.Command9, "屏幕保护程序（当前目录）" },
        { form.Command3, "关于软件作者" },
    };
    int previousLeft = -1;
    for (const auto &[button, tip] : tips) {
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(tip));
        EXPECT_GT(button->x(), previousLeft) << tip;
        previousLeft = button->x();
    }

    QStringList titles;
    for (QAction *menu : form.menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles,
        (QStringList { QStringLiteral("文件(&F)"),
            QStringLiteral("查看(&V)"),
            QStringLiteral("图像(&I)"),
            QStringLiteral("滚屏速度(&R)"),
            QStringLiteral("实用工具(&T)"),
            QStringLiteral("关于软件(&A)") }));

    const std::pair<const char *, const char *> entries[] = {
        { "FopenFile", "打开图片(&O)" },
        { "FsearchDir", "搜索图片子目录" },
        { "Fliulanqi", "Nimbrow(&A)" },
        { "DownloadPathCmd", "图片下载目录(&D)" },
        { "ToolSaveList", "导出图像文件列表" },
        { "ToolScreen", "截图另存为(&J)" },
        { "FprintSet", "打印设置" },
        { "FprintView", "打印预览" },
        { "Fprint", "打印(&P)" },
        { "CloadPC", "立即关闭电脑" },
        { "Fexit", "退出(&E)" },
        { "Eforward", "页面前进" },
        { "Eback", "页面后退" },
        { "ToolJump", "快速跳转页面至…页" },
        { "Ereload", "刷新图片目录(&R)" },
        { "EviewPath", "显示图片文件目录" },
        { "EfilePath", "查看图片文件路径" },
        { "ToolSetup", "每页显示图片数目(&S)" },
        { "IbigSize", "图像放大" },
        { "IsmaillSize", "图像缩小" },
        { "IbackColor", "切换背景颜色" },
        { "IfangZhen", "切换图像方阵 X2 X3 X4" },
        { "Iwidth", "全屏展示图像 / 恢复原始大小" },
        { "RgoTop", "至页面顶部(&T)" },
        { "RgoButton", "至页面底部(&B)" },
        { "Speed0", "低速(&L)" },
        { "Speed1", "慢速(&M)" },
        { "Speed2", "中速(&H)" },
        { "Speed3", "快速(&U)" },
        { "Speed4", "高速(&G)" },
        { "AutoDesktop", "Melodesk" },
        { "DirHide", "文件夹加密" },
        { "AutoRunImag", "屏幕保护程序(下载目录)" },
        { "MySetup", "系统设置中心(&S)" },
        { "SysDraw", "画图程序" },
        { "CloseScreen", "关闭电脑屏幕(&C)" },
        { "SoundClose", "关闭电脑声音(&D)" },
        { "SearchPicture", "搜索图片目录" },
        { "BuildDesktop", "创建桌面快捷方式" },
        { "ToolsLocal", "本程序所在位置" },
        { "HelpAbout", "关于(&A)" },
        { "ToolDefaut", "打开图片(&O)" },
        { "ToolSeePath", "查看图片路径(&P)" },
        { "ToolJump2", "快速跳转页面至…页" },
        { "ToolsTop", "至页面顶部(&T)" },
        { "ToolsButton", "至页面底部(&B)" },
        { "ToolReload", "刷新(&R)" },
        { "ToolsCopy", "另存图片(&C)" },
        { "ToolsDel", "删除图片(&D)" },
        { "SetDesktop", "设置桌面背景(&E)" },
        { "ToolsClipboard", "复制图片(剪贴板)" },
        { "ToolsEdit", "编辑图片(画图板)" },
        { "ToolsAttrib", "图片属性(&A)" },
    };
    for (const auto &[name, text] : entries) {
        QAction *entry = form.menuEntry(QString::fromLatin1(name));
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry->text(), QString::fromUtf8(text)) << name;
    }
    EXPECT_TRUE(form.Speed[0]->isChecked());
    EXPECT_FALSE(form.menuEntry(QStringLiteral("AutoDesktop"))->isVisible());
    EXPECT_EQ(form.WebRigft->title(), QStringLiteral("编辑(&E)"));
    // Every window the viewer opens is part of the program: the search, the browser, Melodesk
    // (its entry hidden) and folder hiding.
    for (const char *name : { "FsearchDir", "SearchPicture", "Fliulanqi", "DirHide" })
        EXPECT_TRUE(form.menuEntry(QString::fromLatin1(name))->isEnabled()) << name;
    EXPECT_TRUE(form.Command5->isEnabled());
    EXPECT_TRUE(form.Command6->isEnabled());
}

TEST(FormPicture, PageSizeFollowsThe30To200Rule)
{
    EXPECT_EQ(Viewer(QString(), QStringLiteral("29")).values.viewer.PageSize, 30);
    EXPECT_EQ(Viewer(QString(), QStringLiteral("abc")).values.viewer.PageSize, 30);
    EXPECT_EQ(Viewer(QString(), QStringLiteral("201")).values.viewer.PageSize, 30);
    Viewer v(QString(), QStringLiteral("200"));
    EXPECT_EQ(v.values.viewer.PageSize, 200);
    EXPECT_EQ(v.form->Lab[4]->text(), QStringLiteral("每页显示：200"));
}

TEST(FormPicture, StartUpCreatesTheFoldersAndAppliesTheCommandLine)
{
    const QString samples = velmora::test::sourceDir() + QStringLiteral("/samples");
    Viewer v(QLatin1Char('"') + samples + QLatin1Char('"'));
    EXPECT_TRUE(QFileInfo(v.values.DataFolder).isDir());
    EXPECT_TRUE(QFileInfo(v.values.DownloadFolder).isDir());
    EXPECT_EQ(v.values.DownloadFolder, v.values.DataFolder + QStringLiteral("Download/"));
    EXPECT_EQ(v.viewerState.CurrentFolder, samples + QLatin1Char('/'));
    EXPECT_GT(v.viewerState.ViewerCount, 0);
    EXPECT_EQ(v.form->Lab[0]->text(), QStringLiteral("当前路径：") + samples + QLatin1Char('/'));
    EXPECT_EQ(v.form->Lab[2]->text(), QStringLiteral("图片总数：") + QString::number(v.viewerState.ViewerCount));
    EXPECT_EQ(v.form->Lab[6]->text(), QStringLiteral("Orlavue     第 1 页  ， 共 1 页"));

    const QString pageFile = common::pageFilePath(QStringLiteral("Tpc.htm"));
    ASSERT_TRUE(QFileInfo::exists(pageFile));
    EXPECT_EQ(v.form->Web->url(), QUrl::fromLocalFile(pageFile));
    v.form->close();
    EXPECT_FALSE(QFileInfo::exists(pageFile));
}

TEST(FormPicture, APageFileThatCannotBeWrittenIsNamedInTheStatusLine)
{
    // Both page folders (the runtime one and the data folder's) lie below a regular file.
    QTemporaryDir sandbox;
    const QString blocker = sandbox.filePath(QStringLiteral("file"));
    ASSERT_TRUE(QFile(blocker).open(QIODevice::WriteOnly));
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(blocker + QStringLiteral("/run")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker + QStringLiteral("/data")));
    {
        Viewer v(velmora::test::sourceDir() + QStringLiteral("/samples"));
        EXPECT_TRUE(v.form->Lab[6]->text().startsWith(QStringLiteral("无法写入页面文件：")))
            << qPrintable(v.form->Lab[6]->text());
        EXPECT_GT(v.viewerState.ViewerCount, 0);
    }
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qputenv("XDG_DATA_HOME", oldData);
}

TEST(FormPicture, MenuCommandsGoThroughTheDesktopLayer)
{
    Viewer v;
    velmora::test::clearSimulatedDesktopEffects();
    for (const char *name : { "DownloadPathCmd", "CloadPC", "SysDraw", "CloseScreen", "SoundClose", "ToolsLocal" })
        v.form->menuEntry(QString::fromLatin1(name))->trigger();
    EXPECT_TRUE(v.form->menuEntry(QStringLiteral("SoundClose"))->isChecked());
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(),
        (QStringList { QStringLiteral("openWithDesktop\t") + QUrl::fromLocalFile(v.values.DownloadFolder).toString(),
            QStringLiteral("powerOff"),
            QStringLiteral("openImageEditor\t"),
            QStringLiteral("monitorOff"),
            QStringLiteral("toggleMute"),
            QStringLiteral("openWithDesktop\t") + QUrl::fromLocalFile(common::programFolder()).toString() }));

    v.form->menuEntry(QStringLiteral("BuildDesktop"))->trigger();
    EXPECT_TRUE(QFileInfo(common::desktopFolder() + QStringLiteral("Vistelle.desktop")).isExecutable());
}

TEST(FormPicture, FolderPanelToggleKeepsTheMargin)
{
    Viewer v;
    viewer::FormPicture &form = *v.form;
    EXPECT_FALSE(form.Dir1->isVisible());
    form.menuEntry(QStringLiteral("EviewPath"))->trigger();
    EXPECT_TRUE(form.ChkFace->isChecked());
    EXPECT_TRUE(form.menuEntry(QStringLiteral("EviewPath"))->isChecked());
    EXPECT_TRUE(form.Dir1->isVisible());
    EXPECT_TRUE(form.Drive1->isVisible());
    const viewer::ViewerLayout &layout = form.layoutTwips();
    EXPECT_EQ(layout.webLeft, layout.drive1Width + 80);
    EXPECT_EQ(layout.webLeft + layout.webWidth, layout.innerWidth - 40);
    form.resize(900, 600);
    EXPECT_EQ(form.layoutTwips().webLeft + form.layoutTwips().webWidth, form.layoutTwips().innerWidth - 40);
    form.ChkFace->click();
    EXPECT_FALSE(form.Dir1->isVisible());
    EXPECT_EQ(form.layoutTwips().webLeft, 40);
}

TEST(MessagePump, WheelScrollsTheViewerPage200PixelsANotch)
{
    Viewer v;
    viewer::FormPicture &form = *v.form;
    ASSERT_TRUE(loadHtml(form.Web, QStringLiteral("<body style='margin:0'><div style='height:20000px'></div></body>")));
    form.activateWindow();
    v.pump->WheelForm = &form;
    v.pump->WheelBrowser = form.Web;
    QWidget *target = form.Web->focusProxy() ? form.Web->focusProxy() : form.Web;
    const QPointF where(50, 50);
    QWheelEvent down(where,
        target->mapToGlobal(where),
        QPoint(),
        QPoint(0, -120),
        Qt::NoButton,
        Qt::NoModifier,
        Qt::NoScrollPhase,
        false);
    QApplication::sendEvent(target, &down);
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(form.Web, QStringLiteral("window.scrollY")).toInt(), 200, 5000);
    QApplication::sendEvent(target, &down);
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(form.Web, QStringLiteral("window.scrollY")).toInt(), 400, 5000);
    QWheelEvent up(where,
        target->mapToGlobal(where),
        QPoint(),
        QPoint(0, 120),
        Qt::NoButton,
        Qt::NoModifier,
        Qt::NoScrollPhase,
        false);
    QApplication::sendEvent(target, &up);
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(form.Web, QStringLiteral("window.scrollY")).toInt(), 200, 5000);
    EXPECT_TRUE(up.isAccepted());

    // A wheel turned over another window is not taken.
    QWidget other;
    other.show();
    QWheelEvent elsewhere(
        where, where, QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&other, &elsewhere);
    velmora::test::serveEvents(200);
    EXPECT_EQ(evaluate(form.Web, QStringLiteral("window.scrollY")).toInt(), 200);
}

TEST(MessagePump, RightClickOverTheViewerPageTakesTheHoveredPictureAndOpensTheMenu)
{
    Viewer v;
    viewer::FormPicture &form = *v.form;
    v.pump->WheelForm = &form;
    form.WebFilePath = QStringLiteral("file:///tmp/pic/a%20b.jpg");
    QWidget *target = form.Web->focusProxy() ? form.Web->focusProxy() : form.Web;
    QMouseEvent release(
        QEvent::MouseButtonRelease, QPointF(10, 10), QPointF(10, 10), Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
    EXPECT_EQ(v.pump->RightClickPath, QStringLiteral("/tmp/pic/a b.jpg"));
    EXPECT_TRUE(form.WebRigft->isVisible());
    form.WebRigft->hide();

    // Another window current: the viewer's menu stays closed.
    QWidget pageWindow;
    v.pump->WheelForm = &pageWindow;
    v.pump->RightClickPath.clear();
    QApplication::sendEvent(target, &release);
    EXPECT_TRUE(v.pump->RightClickPath.isEmpty());
    EXPECT_FALSE(form.WebRigft->isVisible());
}

TEST(MessagePump, FilteredEditsIgnoreClipboardUndoContextMenuAndWheel)
{
    QLineEdit edit;
    edit.show();
    sys::FilterEditMessages(&edit);
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keyClicks(&edit, QStringLiteral("abc"));
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(1, 1), edit.mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(&edit, &menu);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    // Everything else works as usual.
    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("ab"));
}

}
