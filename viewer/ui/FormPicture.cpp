#include "viewer/ui/FormPicture.h"

#include "browser/frame/ui/Frmmain.h"
#include "common/FileAttributes.h"
#include "common/FileNames.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/Settings.h"
#include "common/TextCodec.h"
#include "common/platform/Desktop.h"
#include "desktop/ui/FormDesktop.h"
#include "desktop/ui/FormDir.h"
#include "system/ShellIntegration.h"
#include "system/ui/Dialogs.h"
#include "system/ui/MessagePump.h"
#include "viewer/CommandLine.h"
#include "viewer/ViewerState.h"
#include "viewer/ui/PictureCommands.h"
#include "viewer/ui/ScaledPictureRoute.h"
#include "web/ui/OversizedFileBlocker.h"
#include "web/ui/PageCapture.h"
#include "web/ui/PagePrinting.h"
#include "web/ui/PageSettings.h"
#include "web/ui/SilentPage.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStorageInfo>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace viewer {

namespace {

    using common::px;

    // The standard size of a design form before the window manager resizes it, in twips.
    constexpr int kDesignWidth = 15600;
    constexpr int kDesignHeight = 9000;

    const QString kFolderLabel = QStringLiteral("当前路径：");

}

FormPicture::FormPicture(const common::Services &services,
    common::RunningValues &values,
    ViewerState &viewerState,
    sys::MessagePump &pump,
    QString commandLine,
    QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_values(values)
    , m_viewerState(viewerState)
    , m_pump(pump)
    , m_commandLine(std::move(commandLine))
{
    setObjectName(QStringLiteral("FormPicture"));
    setWindowTitle(caption());
    setWindowIcon(style()->standardIcon(QStyle::SP_DesktopIcon));
    createControls();
    createToolbar();
    createCommandObjects();
    createMenus();
    resize(px(kDesignWidth), px(kDesignHeight));
    // Lay the controls out for the design size now: the first page may be built before the
    // window is shown, and its thumbnail widths follow the page view's width.
    m_central->resize(width(), height() - menuBar()->sizeHint().height());
    Form_Resize();
    Form_Load();
}

FormPicture::~FormPicture() = default;

void FormPicture::createControls()
{
    m_central = new QWidget(this);
    setCentralWidget(m_central);

    Web = new QWebEngineView(m_central);
    Web->setObjectName(QStringLiteral("Web"));
    // The thumbnail page runs no page script (a file name cannot bring one in) and is never
    // handed a picture file too large to read whole. Pictures it draws smaller than they are
    // reach it as scaled copies from the shared thumbnail cache; the page names the files.
    auto *page = new web::SilentPage(&m_services.webProfile, Web);
    web::applyGeneratedPagePolicy(page, web::generatedPagePolicy(web::PageText::Local));
    viewer::serveScaledPictures(page);
    Web->setPage(page);
    Web->setContextMenuPolicy(Qt::NoContextMenu);
    connect(page, &QWebEnginePage::linkHovered, this, [this](const QString &url) { WebFilePath = url; });
    connect(page, &QWebEnginePage::loadFinished, this, [this] { ZoomPercent = kZoomStart; });
    connect(page, &web::SilentPage::newWindowRefused, this, [this](const QUrl &url) {
        const QString path = common::localPathFromUrl(url);
        if (!path.isEmpty())
            openWithDesktop(path);
    });

    Drive1 = new QComboBox(m_central);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->hide();
    connect(Drive1, &QComboBox::activated, this, [this] { Drive1_Change(); });

    Dir1 = new QTreeView(m_central);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setHeaderHidden(true);
    Dir1->hide();

    law = new QFrame(m_central);
    law->setObjectName(QStringLiteral("law"));
    law->setAutoFillBackground(true);
    law->setCursor(Qt::SplitHCursor);
    law->installEventFilter(this);
    law->hide();

    Cmb = new QComboBox(m_central);
    Cmb->setObjectName(QStringLiteral("Cmb"));
    Cmb->installEventFilter(this);

    const int labelLefts[7] = { 0, 7095, 7410, 9105, 9435, 11235, 11520 };
    const int labelWidths[7] = { 7095, 300, 1695, 300, 1815, 300, 0 };
    const QString labelTexts[7] = { QStringLiteral("当前路径：未知"),
        QString(),
        QStringLiteral("图片总数：0"),
        QString(),
        QString(),
        QString(),
        QStringLiteral("Orlavue") };
    for (int i = 0; i < 7; ++i) {
        auto *label = new QLabel(labelTexts[i], m_central);
        label->setObjectName(QStringLiteral("Lab%1").arg(i));
        label->setAutoFillBackground(true);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
        label->setGeometry(px(labelLefts[i]), 0, px(labelWidths[i]), px(255));
        Lab[size_t(i)] = label;
    }

    Picture1 = new QLabel(m_central);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(px(15600), px(2040), px(1215), px(615));
    Picture1->hide();

    Timer1 = new QTimer(this);
    Timer1->setInterval(kAutoScrollIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &FormPicture::Timer1_Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &FormPicture::Timer2_Timer);
}

void FormPicture::createToolbar()
{
    using F = FormPicture;
    struct ToolbarButton {
        int left;
        const char *name;
        const char *toolTip;
        QStyle::StandardPixmap icon;
        QToolButton *FormPicture::*control;
        void (*command)(FormPicture &); // nullptr: its window is not part of the program yet
    };
    // clang-format off
    static const ToolbarButton buttons[] = {
        { 0, "Command1", "浏览图片", QStyle::SP_DialogOpenButton, &F::Command1, [](F &f) { f.Command1_Click(); } },
        { 840, "Command5", "搜索图片子目录", QStyle::SP_FileDialogContentsView, &F::Command5, [](F &f) { f.Command5_Click(); } },
        { 1680, "Command6", "成批下载图片 （Nimbrow）", QStyle::SP_DriveNetIcon, &F::Command6, [](F &f) { f.openBrowser(); } },
        { 2640, "CmdPage0", "往前翻页", QStyle::SP_ArrowBack, nullptr, [](F &f) { f.CmdPage_Click(0); } },
        { 3480, "CmdPage1", "往后翻页", QStyle::SP_ArrowForward, nullptr, [](F &f) { f.CmdPage_Click(1); } },
        { 4440, "BigP0", "图像放大", QStyle::SP_TitleBarMaxButton, nullptr, [](F &f) { f.BigP_Click(0); } },
        { 5280, "BigP1", "图像缩小", QStyle::SP_TitleBarMinButton, nullptr, [](F &f) { f.BigP_Click(1); } },
        { 6240, "MoveUp0", "至页面顶部（双击直达）", QStyle::SP_ArrowUp, nullptr, [](F &f) { f.MoveUp_Click(0); } },
        { 7080, "MoveUp1", "至页面底部（双击直达）", QStyle::SP_ArrowDown, nullptr, [](F &f) { f.MoveUp_Click(1); } },
        { 8040, "ImgComb", "切换背景颜色 （红黑白黄绿）", QStyle::SP_DesktopIcon, &F::ImgComb, [](F &f) { f.ImgComb_Click(); } },
        { 8880, "Command7", "切换图像方阵 X2 X3 X4", QStyle::SP_FileDialogListView, &F::Command7, [](F &f) { f.Command7_Click(); } },
        { 9720, "Command10", "全屏展示图像 / 恢复原始大小", QStyle::SP_TitleBarNormalButton, &F::Command10, [](F &f) { f.Command10_Click(); } },
        { 10680, "ChkFace", "显示 / 隐藏文件夹列表", QStyle::SP_DirIcon, &F::ChkFace, [](F &f) { f.ChkFace_Click(); } },
        { 11520, "Command8", "查看图片路径", QStyle::SP_DirOpenIcon, &F::Command8, [](F &f) { f.openWithDesktop(f.m_dir1Path); } },
        { 12492, "Command2", "刷新图像", QStyle::SP_BrowserReload, &F::Command2, [](F &f) { f.Command2_Click(); } },
        { 13368, "Command9", "屏幕保护程序（当前目录）", QStyle::SP_MediaPlay, &F::Command9, [](F &f) { f.Command9_Click(); } },
        { 14400, "Command3", "关于软件作者", QStyle::SP_MessageBoxInformation, &F::Command3, [](F &f) { f.HelpMain->popup(QCursor::pos()); } },
    };
    // clang-format on
    // The paired buttons of the control arrays, in the order of the table.
    QToolButton **pairs[] = { &CmdPage[0], &CmdPage[1], &BigP[0], &BigP[1], &MoveUp[0], &MoveUp[1] };
    size_t pair = 0;
    for (const ToolbarButton &spec : buttons) {
        auto *button = new QToolButton(m_central);
        button->setObjectName(QString::fromLatin1(spec.name));
        button->setToolTip(QString::fromUtf8(spec.toolTip));
        button->setIcon(style()->standardIcon(spec.icon));
        button->setIconSize(QSize(24, 24));
        button->setAutoFillBackground(true);
        button->setGeometry(px(spec.left), px(30), px(795), px(650));
        button->setFocusPolicy(Qt::NoFocus);
        if (spec.control)
            this->*spec.control = button;
        else
            *pairs[pair++] = button;
        if (spec.command)
            connect(button, &QToolButton::clicked, this, [this, command = spec.command] { command(*this); });
        else
            button->setEnabled(false);
    }
    ChkFace->setCheckable(true);
    // Nothing listed yet: no page to turn.
    CmdPage[0]->setEnabled(false);
    CmdPage[1]->setEnabled(false);
}

QAction *FormPicture::menuEntry(const QString &name) const
{
    return m_entries.value(name);
}

void FormPicture::addMenuEntries(QMenu *menu, std::span<const MenuItem> items)
{
    int speed = 0;
    for (const MenuItem &item : items) {
        if (!item.name) {
            menu->addSeparator();
            continue;
        }
        QAction *action = menu->addAction(QString::fromUtf8(item.text));
        const QString name = QString::fromLatin1(item.name);
        action->setObjectName(name);
        m_entries.insert(name, action);
        action->setCheckable(item.flags & (kCheckable | kSpeedMark));
        action->setVisible(!(item.flags & kHidden));
        if (item.flags & kSpeedMark) {
            action->setChecked(speed == 0);
            Speed[size_t(speed++)] = action;
        }
        if (item.command)
            connect(action, &QAction::triggered, this, [this, command = item.command] { command(*this); });
        else
            action->setEnabled(false);
    }
}

void FormPicture::createMenus()
{
    using F = FormPicture;
    // Entries without a command belong to windows that are not part of this program yet: they
    // are shown disabled.
    // clang-format off
    static const MenuItem fileMenu[] = {
        { "FopenFile", "打开图片(&O)", [](F &f) { f.Command1_Click(); } },
        { "FsearchDir", "搜索图片子目录", [](F &f) { f.Command5_Click(); } },
        { "Fliulanqi", "Nimbrow(&A)", [](F &f) { f.openBrowser(); } },
        {},
        { "DownloadPathCmd", "图片下载目录(&D)", [](F &f) { f.openWithDesktop(f.m_values.DownloadFolder); } },
        { "ToolSaveList", "导出图像文件列表", [](F &f) { f.m_commands->exportList(); } },
        { "ToolScreen", "截图另存为(&J)", [](F &f) { f.ToolScreen_Click(); } },
        {},
        { "FprintSet", "打印设置", [](F &f) { f.m_printing->pageSetup(); } },
        { "FprintView", "打印预览", [](F &f) { f.m_printing->printPreview(); } },
        { "Fprint", "打印(&P)", [](F &f) { f.m_printing->print(); } },
        {},
        { "CloadPC", "立即关闭电脑", [](F &f) { f.m_services.desktop.powerOff(); } },
        { "Fexit", "退出(&E)", [](F &f) { f.close(); } },
    };
    static const MenuItem viewMenu[] = {
        { "Eforward", "页面前进", [](F &f) { f.turnPageIfEnabled(1); } },
        { "Eback", "页面后退", [](F &f) { f.turnPageIfEnabled(0); } },
        { "ToolJump", "快速跳转页面至…页", [](F &f) { f.ToolJump_Click(); } },
        { "Ereload", "刷新图片目录(&R)", [](F &f) { f.Command2_Click(); } },
        {},
        { "EviewPath", "显示图片文件目录", [](F &f) { f.EviewPath_Click(); }, kCheckable },
        { "EfilePath", "查看图片文件路径", [](F &f) { f.openWithDesktop(f.m_dir1Path); } },
        { "ToolSetup", "每页显示图片数目(&S)", [](F &f) { f.ToolSetup_Click(); } },
    };
    static const MenuItem pictureMenu[] = {
        { "IbigSize", "图像放大", [](F &f) { f.BigP_Click(0); } },
        { "IsmaillSize", "图像缩小", [](F &f) { f.BigP_Click(1); } },
        {},
        { "IbackColor", "切换背景颜色", [](F &f) { f.ImgComb_Click(); } },
        { "IfangZhen", "切换图像方阵 X2 X3 X4", [](F &f) { f.Command7_Click(); } },
        { "Iwidth", "全屏展示图像 / 恢复原始大小", [](F &f) { f.Command10_Click(); } },
    };
    static const MenuItem speedMenu[] = {
        { "RgoTop", "至页面顶部(&T)", [](F &f) { f.ToolsTop_Click(); } },
        { "RgoButton", "至页面底部(&B)", [](F &f) { f.ToolsButton_Click(); } },
        {},
        { "Speed0", "低速(&L)", [](F &f) { f.Speed_Click(0); }, kSpeedMark },
        { "Speed1", "慢速(&M)", [](F &f) { f.Speed_Click(1); }, kSpeedMark },
        { "Speed2", "中速(&H)", [](F &f) { f.Speed_Click(2); }, kSpeedMark },
        { "Speed3", "快速(&U)", [](F &f) { f.Speed_Click(3); }, kSpeedMark },
        { "Speed4", "高速(&G)", [](F &f) { f.Speed_Click(4); }, kSpeedMark },
    };
    static const MenuItem toolsMenu[] = {
        { "AutoDesktop", "Melodesk",
            [](F &f) {
                desktop::FormDesktop::loadHidden(f.m_services, f.m_values);
                f.showMinimized();
            },
            kHidden },
        { "DirHide", "文件夹加密", [](F &f) { (new desktop::FormDir(f.m_services, f.m_values, &f))->exec(); } },
        { "AutoRunImag", "屏幕保护程序(下载目录)", [](F &f) { f.AutoRunImag_Click(); } },
        { "MySetup", "系统设置中心(&S)", [](F &f) { f.m_commands->openSystemSettings(); } },
        {},
        { "SysDraw", "画图程序", [](F &f) { f.m_services.desktop.openImageEditor(QString()); } },
        { "CloseScreen", "关闭电脑屏幕(&C)", [](F &f) { sys::MonitorOff(f.m_services.desktop); } },
        { "SoundClose", "关闭电脑声音(&D)", [](F &f) { f.m_services.desktop.toggleMute(); }, kCheckable },
        {},
        { "SearchPicture", "搜索图片目录", [](F &f) { f.Command5_Click(); } },
    };
    static const MenuItem helpMenu[] = {
        { "BuildDesktop", "创建桌面快捷方式",
            [](F &f) { sys::CreateDesktopShortcut(common::kViewerName, common::programPath(), f.m_services.desktop); } },
        { "ToolsLocal", "本程序所在位置", [](F &f) { f.openWithDesktop(common::programFolder()); } },
        { "HelpMail", "给作者写信(&M)",
            [](F &f) { f.m_services.desktop.openWithDesktop(QUrl(QStringLiteral("mailto:"))); } },
        {},
        { "HelpAbout", "关于(&A)", [](F &f) { f.HelpAbout_Click(); } },
    };
    // The picture menu shown over a thumbnail; its commands act on the picture right-clicked.
    static const MenuItem pictureMenuPopup[] = {
        { "ToolDefaut", "打开图片(&O)", [](F &f) { f.m_commands->openPicture(f.m_pump.RightClickPath); } },
        { "ToolSeePath", "查看图片路径(&P)", [](F &f) { f.m_commands->showPicturePath(f.m_pump.RightClickPath); } },
        {},
        { "ToolJump2", "快速跳转页面至…页", [](F &f) { f.ToolJump_Click(); } },
        { "ToolsTop", "至页面顶部(&T)", [](F &f) { f.ToolsTop_Click(); } },
        { "ToolsButton", "至页面底部(&B)", [](F &f) { f.ToolsButton_Click(); } },
        { "ToolReload", "刷新(&R)", [](F &f) { f.Command2_Click(); } },
        {},
        { "ToolsCopy", "另存图片(&C)", [](F &f) { f.m_commands->savePictureCopy(f.m_pump.RightClickPath); } },
        { "ToolsDel", "删除图片(&D)", [](F &f) { f.ToolsDel_Click(); } },
        { "SetDesktop", "设置桌面背景(&E)", [](F &f) { f.m_commands->setDesktopBackground(f.m_pump.RightClickPath); } },
        { "ToolsClipboard", "复制图片(剪贴板)", [](F &f) { f.m_commands->copyToClipboard(f.m_pump.RightClickPath); } },
        { "ToolsEdit", "编辑图片(画图板)", [](F &f) { f.m_commands->editPicture(f.m_pump.RightClickPath); } },
        { "ToolsAttrib", "图片属性(&A)", [](F &f) { f.m_commands->showProperties(f.m_pump.RightClickPath); } },
    };
    // clang-format on

    QMenuBar *bar = menuBar();
    addMenuEntries(bar->addMenu(QStringLiteral("文件(&F)")), fileMenu);
    addMenuEntries(bar->addMenu(QStringLiteral("查看(&V)")), viewMenu);
    addMenuEntries(bar->addMenu(QStringLiteral("图像(&I)")), pictureMenu);
    addMenuEntries(bar->addMenu(QStringLiteral("滚屏速度(&R)")), speedMenu);
    addMenuEntries(bar->addMenu(QStringLiteral("实用工具(&T)")), toolsMenu);
    HelpMain = bar->addMenu(QStringLiteral("关于软件(&A)"));
    HelpMain->setObjectName(QStringLiteral("HelpMain"));
    addMenuEntries(HelpMain, helpMenu);
    WebRigft = new QMenu(QStringLiteral("编辑(&E)"), this);
    WebRigft->setObjectName(QStringLiteral("WebRigft"));
    addMenuEntries(WebRigft, pictureMenuPopup);
}

void FormPicture::turnPageIfEnabled(int index)
{
    if (CmdPage[size_t(index)]->isEnabled())
        CmdPage_Click(index);
}

void FormPicture::ToolSetup_Click()
{
    QMessageBox::information(this,
        common::kViewerCaption,
        QStringLiteral("“Vistelle”每页显示的图片数目是：  ") + QString::number(m_values.viewer.PageSize));
}

void FormPicture::HelpAbout_Click()
{
    QMessageBox box(QMessageBox::NoIcon, windowTitle(), windowTitle(), QMessageBox::Ok, this);
    box.setIconPixmap(windowIcon().pixmap(48, 48));
    box.setInformativeText(QStringLiteral("Velmora 图片套件"));
    box.exec();
}

void FormPicture::Form_Load()
{
    PageBackColour = QStringLiteral("#FFFFFF");
    m_autoScroll = AutoScroll();
    m_pump.QuitPump = false;
    LayoutMode = 0;
    FitWidthOn = 0;

    Web->setUrl(QUrl(QStringLiteral("about:blank")));

    m_viewerState.CurrentFolder = common::defaultPicturesFolder();

    // The folders, the options and the shell menus were set up when the program started.
    Lab[4]->setText(QStringLiteral("每页显示：") + QString::number(m_values.viewer.PageSize));

    const StartTarget target = parseStartTarget(m_commandLine);
    if (!target.isEmpty()) {
        TargetFileName = target.targetFileName;
        const QString folder = QFileInfo(target.folder).absoluteFilePath();
        selectDrive(folder);
        setDir1Path(folder);
        if (m_viewerState.ViewerCount == 0 && !ScanDone)
            Dir1_Change();
    }
    Timer2->start();
}

void FormPicture::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void FormPicture::Form_Resize()
{
    if (!m_central)
        return;
    m_layout.resize(m_central->width() * 15, m_central->height() * 15);
    applyLayout();
}

void FormPicture::applyLayout()
{
    const ViewerLayout &l = m_layout;
    Drive1->setGeometry(px(45), px(700), px(l.drive1Width), Drive1->sizeHint().height());
    Dir1->setGeometry(px(45), px(1020), px(l.dir1Width), qMax(0, px(l.dir1Height)));
    Web->setGeometry(px(l.webLeft), px(705), qMax(0, px(l.webWidth)), qMax(0, px(l.webHeight)));
    law->setGeometry(px(l.lawLeft), px(700), px(50), qMax(0, px(l.lawHeight)));
    Cmb->setGeometry(px(-2000), px(6480), px(1470), px(300));
    for (QLabel *label : Lab)
        label->move(label->x(), px(l.labelsTop));
    Lab[6]->resize(qMax(0, px(l.lab6Width)), Lab[6]->height());
}

void FormPicture::ChkFace_Click()
{
    const bool shown = ChkFace->isChecked();
    if (shown)
        ensureFolderModel();
    Drive1->setVisible(shown);
    Dir1->setVisible(shown);
    law->setVisible(shown);
    m_layout.setPanelShown(shown);
    applyLayout();
}

void FormPicture::EviewPath_Click()
{
    ChkFace->setChecked(!ChkFace->isChecked());
    ChkFace_Click();
    menuEntry(QStringLiteral("EviewPath"))->setChecked(ChkFace->isChecked());
}

void FormPicture::ensureFolderModel()
{
    if (m_folderModel)
        return;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            Drive1->addItem(volume.rootPath(), volume.rootPath());
    }
    m_folderModel = new QFileSystemModel(this);
    m_folderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folderModel->setRootPath(QStringLiteral("/"));
    Dir1->setModel(m_folderModel);
    for (int column = 1; column < m_folderModel->columnCount(); ++column)
        Dir1->hideColumn(column);
    // Folders are listed in the background: keep the chosen folder in sight as its parents fill.
    connect(m_folderModel, &QFileSystemModel::directoryLoaded, this, [this](const QString &loaded) {
        // The model sorts a listed folder just after reporting it; scroll once that is done.
        if (!m_dir1Path.isEmpty() && m_dir1Path.startsWith(common::withTrailingSlash(loaded)))
            QTimer::singleShot(100, this, [this] { showInFolderList(m_dir1Path); });
    });
    connect(Dir1, &QTreeView::clicked, this, [this](const QModelIndex &index) {
        setDir1Path(m_folderModel->filePath(index));
    });
    const QString shown = m_dir1Path.isEmpty() ? m_viewerState.CurrentFolder : m_dir1Path;
    selectDrive(shown);
    showInFolderList(shown);
}

void FormPicture::showInFolderList(const QString &folder)
{
    if (!m_folderModel)
        return;
    const QModelIndex index = m_folderModel->index(QDir::cleanPath(folder));
    Dir1->setCurrentIndex(index);
    Dir1->expand(index);
    Dir1->scrollTo(index);
}

void FormPicture::selectDrive(const QString &folder)
{
    if (Drive1->count() == 0)
        return;
    const QString root = QStorageInfo(folder).rootPath();
    const int index = Drive1->findData(root);
    if (index >= 0)
        Drive1->setCurrentIndex(index);
    if (m_folderModel)
        Dir1->setRootIndex(m_folderModel->index(root));
}

void FormPicture::Drive1_Change()
{
    const QString root = Drive1->currentData().toString();
    if (m_folderModel)
        Dir1->setRootIndex(m_folderModel->index(root));
    setDir1Path(root);
}

void FormPicture::setDir1Path(const QString &folder)
{
    const QString path = common::withTrailingSlash(QDir::cleanPath(folder));
    if (path == m_dir1Path)
        return;
    m_dir1Path = path;
    showInFolderList(path);
    Dir1_Change();
}

bool FormPicture::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == law) {
        if (event->type() == QEvent::MouseButtonPress
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            m_splitterDragging = true;
            return true;
        }
        if (event->type() == QEvent::MouseMove && m_splitterDragging) {
            m_layout.dragSplitter(int(static_cast<QMouseEvent *>(event)->position().x() * 15));
            law->move(px(m_layout.lawLeft), law->y());
            QPalette palette = law->palette();
            palette.setColor(QPalette::Window, Qt::black);
            law->setPalette(palette);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && m_splitterDragging) {
            m_splitterDragging = false;
            m_layout.releaseSplitter();
            law->setPalette(QPalette());
            applyLayout();
            Cmb->setFocus();
            return true;
        }
    }
    if (watched == Cmb && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Cmb_KeyDown(key);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void FormPicture::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void FormPicture::Form_Activate()
{
    m_pump.WheelForm = this;
    m_pump.WheelBrowser = Web;
}

void FormPicture::Timer2_Timer()
{
    if (QApplication::activeWindow() == this)
        Form_Activate();
}

void FormPicture::closeEvent(QCloseEvent *event)
{
    if (!m_closing) {
        m_closing = true;
        Form_QueryUnload();
    }
    event->accept();
}

void FormPicture::openBrowser()
{
    if (!m_browser || m_browser->isClosing())
        m_browser = new browser::frame::Frmmain(m_services, m_values, m_pump, this);
    m_browser->show();
    m_browser->raise();
    m_browser->activateWindow();
}

browser::frame::Frmmain *FormPicture::browserFrame() const
{
    return m_browser;
}

void FormPicture::Form_QueryUnload()
{
    // The browser closes first: its pages record their visit history and closed-page entries.
    if (m_browser)
        m_browser->close();
    hide();
    m_viewerState.SearchStop = true;
    m_pump.QuitPump = true;
    Timer1->stop();
    Timer2->stop();
    const QString pageFile = common::pageFilePath(QStringLiteral("Tpc.htm"));
    common::setFileAttributes(pageFile, common::AttrNormal, false);
    QFile::remove(pageFile);
    // Closing the viewer ends the program, whatever other windows are open.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void FormPicture::openWithDesktop(const QString &path)
{
    if (!path.isEmpty())
        m_services.desktop.openWithDesktop(common::fileUrl(path));
}

}
