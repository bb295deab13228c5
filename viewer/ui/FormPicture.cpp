#include "viewer/ui/FormPicture.h"

#include "common/AppState.h"
#include "common/FileAttributes.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/Settings.h"
#include "common/TextCodec.h"
#include "common/platform/Desktop.h"
#include "system/ShellIntegration.h"
#include "system/ui/MessagePump.h"
#include "viewer/CommandLine.h"
#include "viewer/ui/PictureCommands.h"
#include "viewer/ui/ViewerPage.h"

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

    int px(int twips)
    {
        return ViewerLayout::toPixels(twips);
    }

    // The standard size of a design form before the window manager resizes it, in twips.
    constexpr int kDesignWidth = 15600;
    constexpr int kDesignHeight = 9000;

    struct ToolbarButton {
        int left;
        const char *name;
        const char *toolTip;
        QStyle::StandardPixmap icon;
    };

    const QString kFolderLabel = QStringLiteral("当前路径：");

}

FormPicture::FormPicture(common::AppState &state, sys::MessagePump &pump, QString commandLine, QWidget *parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_pump(pump)
    , m_commandLine(std::move(commandLine))
{
    setObjectName(QStringLiteral("FormPicture"));
    setWindowTitle(caption());
    setWindowIcon(style()->standardIcon(QStyle::SP_DesktopIcon));
    createControls();
    createToolbar();
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
    auto *page = new ViewerPage(Web);
    Web->setPage(page);
    Web->setContextMenuPolicy(Qt::NoContextMenu);
    Web->settings()->setDefaultTextEncoding(common::localCharsetName());
    connect(page, &QWebEnginePage::linkHovered, this, [this](const QString &url) { WebFilePath = url; });
    connect(page, &QWebEnginePage::loadFinished, this, [this] { ZoomPercent = kZoomStart; });
    connect(page, &ViewerPage::newWindowRequested, this, [this](const QUrl &url) {
        const QString path = common::localPathFromUrlText(url.toString());
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
    const ToolbarButton buttons[] = {
        { 0, "Command1", "浏览图片", QStyle::SP_DialogOpenButton },
        { 840, "Command5", "搜索图片子目录", QStyle::SP_FileDialogContentsView },
        { 1680, "Command6", "成批下载图片 （Nimbrow）", QStyle::SP_DriveNetIcon },
        { 2640, "CmdPage0", "往前翻页", QStyle::SP_ArrowBack },
        { 3480, "CmdPage1", "往后翻页", QStyle::SP_ArrowForward },
        { 4440, "BigP0", "图像放大", QStyle::SP_TitleBarMaxButton },
        { 5280, "BigP1", "图像缩小", QStyle::SP_TitleBarMinButton },
        { 6240, "MoveUp0", "至页面顶部（双击直达）", QStyle::SP_ArrowUp },
        { 7080, "MoveUp1", "至页面底部（双击直达）", QStyle::SP_ArrowDown },
        { 8040, "ImgComb", "切换背景颜色 （红黑白黄绿）", QStyle::SP_DesktopIcon },
        { 8880, "Command7", "切换图像方阵 X2 X3 X4", QStyle::SP_FileDialogListView },
        { 9720, "Command10", "全屏展示图像 / 恢复原始大小", QStyle::SP_TitleBarNormalButton },
        { 10680, "ChkFace", "显示 / 隐藏文件夹列表", QStyle::SP_DirIcon },
        { 11520, "Command8", "查看图片路径", QStyle::SP_DirOpenIcon },
        { 12492, "Command2", "刷新图像", QStyle::SP_BrowserReload },
        { 13368, "Command9", "屏幕保护程序（当前目录）", QStyle::SP_MediaPlay },
        { 14400, "Command3", "关于软件作者", QStyle::SP_MessageBoxInformation },
    };
    QToolButton **targets[] = { &Command1,
        &Command5,
        &Command6,
        &CmdPage[0],
        &CmdPage[1],
        &BigP[0],
        &BigP[1],
        &MoveUp[0],
        &MoveUp[1],
        &ImgComb,
        &Command7,
        &Command10,
        &ChkFace,
        &Command8,
        &Command2,
        &Command9,
        &Command3 };
    for (size_t i = 0; i < std::size(buttons); ++i) {
        auto *button = new QToolButton(m_central);
        button->setObjectName(QString::fromLatin1(buttons[i].name));
        button->setToolTip(QString::fromUtf8(buttons[i].toolTip));
        button->setIcon(style()->standardIcon(buttons[i].icon));
        button->setIconSize(QSize(24, 24));
        button->setAutoFillBackground(true);
        button->setGeometry(px(buttons[i].left), px(30), px(795), px(650));
        button->setFocusPolicy(Qt::NoFocus);
        *targets[i] = button;
    }
    ChkFace->setCheckable(true);

    connect(Command1, &QToolButton::clicked, this, &FormPicture::Command1_Click);
    connect(Command2, &QToolButton::clicked, this, &FormPicture::Command2_Click);
    connect(Command7, &QToolButton::clicked, this, &FormPicture::Command7_Click);
    connect(Command10, &QToolButton::clicked, this, &FormPicture::Command10_Click);
    connect(ImgComb, &QToolButton::clicked, this, &FormPicture::ImgComb_Click);
    connect(Command8, &QToolButton::clicked, this, [this] { openWithDesktop(m_dir1Path); });
    connect(Command9, &QToolButton::clicked, this, &FormPicture::Command9_Click);
    connect(ChkFace, &QToolButton::clicked, this, &FormPicture::ChkFace_Click);
    connect(Command3, &QToolButton::clicked, this, [this] { HelpMain->popup(QCursor::pos()); });
    for (int i = 0; i < 2; ++i) {
        connect(CmdPage[size_t(i)], &QToolButton::clicked, this, [this, i] { CmdPage_Click(i); });
        connect(BigP[size_t(i)], &QToolButton::clicked, this, [this, i] { BigP_Click(i); });
        connect(MoveUp[size_t(i)], &QToolButton::clicked, this, [this, i] { MoveUp_Click(i); });
    }
    // Nothing listed yet: no page to turn.
    CmdPage[0]->setEnabled(false);
    CmdPage[1]->setEnabled(false);
    // Search and the browser belong to windows that are not part of this program yet.
    Command5->setEnabled(false);
    Command6->setEnabled(false);
}

QAction *FormPicture::addEntry(QMenu *menu, const char *name, const QString &text, void (FormPicture::*handler)())
{
    QAction *action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    if (handler)
        connect(action, &QAction::triggered, this, handler);
    else
        action->setEnabled(false);
    return action;
}

QAction *FormPicture::menuEntry(const QString &name) const
{
    return findChild<QAction *>(name);
}

void FormPicture::createMenus()
{
    QMenuBar *bar = menuBar();

    QMenu *file = bar->addMenu(QStringLiteral("文件(&F)"));
    addEntry(file, "FopenFile", QStringLiteral("打开图片(&O)"), &FormPicture::Command1_Click);
    addEntry(file, "FsearchDir", QStringLiteral("搜索图片子目录"), nullptr);
    addEntry(file, "Fliulanqi", QStringLiteral("Nimbrow(&A)"), nullptr);
    file->addSeparator();
    connect(addEntry(file, "DownloadPathCmd", QStringLiteral("图片下载目录(&D)"), nullptr),
        &QAction::triggered,
        this,
        [this] { openWithDesktop(m_state.DownloadFolder); });
    menuEntry(QStringLiteral("DownloadPathCmd"))->setEnabled(true);
    addEntry(file, "ToolSaveList", QStringLiteral("导出图像文件列表"), nullptr);
    addEntry(file, "ToolScreen", QStringLiteral("截图另存为(&J)"), nullptr);
    file->addSeparator();
    addEntry(file, "FprintSet", QStringLiteral("打印设置"), nullptr);
    addEntry(file, "FprintView", QStringLiteral("打印预览"), nullptr);
    addEntry(file, "Fprint", QStringLiteral("打印(&P)"), nullptr);
    file->addSeparator();
    QAction *powerOff = addEntry(file, "CloadPC", QStringLiteral("立即关闭电脑"), nullptr);
    powerOff->setEnabled(true);
    connect(powerOff, &QAction::triggered, this, [this] { m_state.desktop->powerOff(); });
    QAction *exit = addEntry(file, "Fexit", QStringLiteral("退出(&E)"), nullptr);
    exit->setEnabled(true);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu *view = bar->addMenu(QStringLiteral("查看(&V)"));
    connect(addEntry(view, "Eforward", QStringLiteral("页面前进"), nullptr), &QAction::triggered, this, [this] {
        if (CmdPage[1]->isEnabled())
            CmdPage_Click(1);
    });
    connect(addEntry(view, "Eback", QStringLiteral("页面后退"), nullptr), &QAction::triggered, this, [this] {
        if (CmdPage[0]->isEnabled())
            CmdPage_Click(0);
    });
    addEntry(view, "ToolJump", QStringLiteral("快速跳转页面至…页"), &FormPicture::ToolJump_Click);
    addEntry(view, "Ereload", QStringLiteral("刷新图片目录(&R)"), &FormPicture::Command2_Click);
    view->addSeparator();
    QAction *viewPath = addEntry(view, "EviewPath", QStringLiteral("显示图片文件目录"), &FormPicture::EviewPath_Click);
    viewPath->setCheckable(true);
    QAction *filePath = addEntry(view, "EfilePath", QStringLiteral("查看图片文件路径"), nullptr);
    filePath->setEnabled(true);
    connect(filePath, &QAction::triggered, this, [this] { openWithDesktop(m_dir1Path); });
    QAction *pageSize = addEntry(view, "ToolSetup", QStringLiteral("每页显示图片数目(&S)"), nullptr);
    pageSize->setEnabled(true);
    connect(pageSize, &QAction::triggered, this, [this] {
        QMessageBox::information(
            this, caption(), QStringLiteral("“Vistelle”每页显示的图片数目是：  ") + QString::number(m_state.PageSize));
    });

    QMenu *picture = bar->addMenu(QStringLiteral("图像(&I)"));
    connect(addEntry(picture, "IbigSize", QStringLiteral("图像放大"), nullptr), &QAction::triggered, this, [this] {
        BigP_Click(0);
    });
    connect(addEntry(picture, "IsmaillSize", QStringLiteral("图像缩小"), nullptr), &QAction::triggered, this, [this] {
        BigP_Click(1);
    });
    picture->addSeparator();
    addEntry(picture, "IbackColor", QStringLiteral("切换背景颜色"), &FormPicture::ImgComb_Click);
    addEntry(picture, "IfangZhen", QStringLiteral("切换图像方阵 X2 X3 X4"), &FormPicture::Command7_Click);
    addEntry(picture, "Iwidth", QStringLiteral("全屏展示图像 / 恢复原始大小"), &FormPicture::Command10_Click);

    QMenu *speed = bar->addMenu(QStringLiteral("滚屏速度(&R)"));
    addEntry(speed, "RgoTop", QStringLiteral("至页面顶部(&T)"), &FormPicture::ToolsTop_Click);
    addEntry(speed, "RgoButton", QStringLiteral("至页面底部(&B)"), &FormPicture::ToolsButton_Click);
    speed->addSeparator();
    const QString speedTexts[5] = { QStringLiteral("低速(&L)"),
        QStringLiteral("慢速(&M)"),
        QStringLiteral("中速(&H)"),
        QStringLiteral("快速(&U)"),
        QStringLiteral("高速(&G)") };
    for (int i = 0; i < 5; ++i) {
        QAction *entry = speed->addAction(speedTexts[i]);
        entry->setObjectName(QStringLiteral("Speed%1").arg(i));
        entry->setCheckable(true);
        entry->setChecked(i == 0);
        connect(entry, &QAction::triggered, this, [this, i] { Speed_Click(i); });
        Speed[size_t(i)] = entry;
    }

    QMenu *tools = bar->addMenu(QStringLiteral("实用工具(&T)"));
    addEntry(tools, "AutoDesktop", QStringLiteral("Melodesk"), nullptr)->setVisible(false);
    addEntry(tools, "DirHide", QStringLiteral("文件夹加密"), nullptr);
    addEntry(tools, "AutoRunImag", QStringLiteral("屏幕保护程序(下载目录)"), &FormPicture::AutoRunImag_Click);
    addEntry(tools, "MySetup", QStringLiteral("系统设置中心(&S)"), nullptr);
    tools->addSeparator();
    QAction *draw = addEntry(tools, "SysDraw", QStringLiteral("画图程序"), nullptr);
    draw->setEnabled(true);
    connect(draw, &QAction::triggered, this, [this] { m_state.desktop->openImageEditor(QString()); });
    QAction *screenOff = addEntry(tools, "CloseScreen", QStringLiteral("关闭电脑屏幕(&C)"), nullptr);
    screenOff->setEnabled(true);
    connect(screenOff, &QAction::triggered, this, [this] { m_state.desktop->monitorOff(); });
    QAction *mute = addEntry(tools, "SoundClose", QStringLiteral("关闭电脑声音(&D)"), nullptr);
    mute->setEnabled(true);
    mute->setCheckable(true);
    connect(mute, &QAction::triggered, this, [this] { m_state.desktop->toggleMute(); });
    tools->addSeparator();
    addEntry(tools, "SearchPicture", QStringLiteral("搜索图片目录"), nullptr);

    HelpMain = bar->addMenu(QStringLiteral("关于软件(&A)"));
    HelpMain->setObjectName(QStringLiteral("HelpMain"));
    QAction *shortcut = addEntry(HelpMain, "BuildDesktop", QStringLiteral("创建桌面快捷方式"), nullptr);
    shortcut->setEnabled(true);
    connect(shortcut, &QAction::triggered, this, [this] {
        sys::CreateDesktopShortcut(QStringLiteral("Vistelle"), common::programPath(), *m_state.desktop);
    });
    QAction *location = addEntry(HelpMain, "ToolsLocal", QStringLiteral("本程序所在位置"), nullptr);
    location->setEnabled(true);
    connect(location, &QAction::triggered, this, [this] { openWithDesktop(common::programFolder()); });
    QAction *mail = addEntry(HelpMain, "HelpMail", QStringLiteral("给作者写信(&M)"), nullptr);
    mail->setEnabled(true);
    connect(
        mail, &QAction::triggered, this, [this] { m_state.desktop->openWithDesktop(QUrl(QStringLiteral("mailto:"))); });
    HelpMain->addSeparator();
    QAction *about = addEntry(HelpMain, "HelpAbout", QStringLiteral("关于(&A)"), nullptr);
    about->setEnabled(true);
    connect(about, &QAction::triggered, this, [this] {
        QMessageBox box(QMessageBox::NoIcon, windowTitle(), windowTitle(), QMessageBox::Ok, this);
        box.setIconPixmap(windowIcon().pixmap(48, 48));
        box.setInformativeText(QStringLiteral("Velmora 图片套件"));
        box.exec();
    });

    WebRigft = new QMenu(QStringLiteral("编辑(&E)"), this);
    WebRigft->setObjectName(QStringLiteral("WebRigft"));
    addEntry(WebRigft, "ToolDefaut", QStringLiteral("打开图片(&O)"), nullptr);
    addEntry(WebRigft, "ToolSeePath", QStringLiteral("查看图片路径(&P)"), nullptr);
    WebRigft->addSeparator();
    addEntry(WebRigft, "ToolJump2", QStringLiteral("快速跳转页面至…页"), &FormPicture::ToolJump_Click);
    addEntry(WebRigft, "ToolsTop", QStringLiteral("至页面顶部(&T)"), &FormPicture::ToolsTop_Click);
    addEntry(WebRigft, "ToolsButton", QStringLiteral("至页面底部(&B)"), &FormPicture::ToolsButton_Click);
    addEntry(WebRigft, "ToolReload", QStringLiteral("刷新(&R)"), &FormPicture::Command2_Click);
    WebRigft->addSeparator();
    addEntry(WebRigft, "ToolsCopy", QStringLiteral("另存图片(&C)"), nullptr);
    addEntry(WebRigft, "ToolsDel", QStringLiteral("删除图片(&D)"), nullptr);
    addEntry(WebRigft, "SetDesktop", QStringLiteral("设置桌面背景(&E)"), nullptr);
    addEntry(WebRigft, "ToolsClipboard", QStringLiteral("复制图片(剪贴板)"), nullptr);
    addEntry(WebRigft, "ToolsEdit", QStringLiteral("编辑图片(画图板)"), nullptr);
    addEntry(WebRigft, "ToolsAttrib", QStringLiteral("图片属性(&A)"), nullptr);
    enablePictureCommands();
}

void FormPicture::Form_Load()
{
    PageBackColour = QStringLiteral("#FFFFFF");
    m_autoScroll = AutoScroll();
    m_state.QuitPump = false;
    LayoutMode = 0;
    FitWidthOn = 0;

    Web->setUrl(QUrl(QStringLiteral("about:blank")));

    m_state.CurrentFolder = common::defaultPicturesFolder();

    m_state.DataFolder = common::dataFolder();
    QDir().mkpath(m_state.DataFolder);
    m_state.DownloadFolder = m_state.DataFolder + QStringLiteral("Download/");
    QDir().mkpath(m_state.DownloadFolder);

    m_state.PageSize =
        common::rangeRuleFromText(m_state.settings->read(QStringLiteral("Main"), QStringLiteral("PageFileCount")));
    Lab[4]->setText(QStringLiteral("每页显示：") + QString::number(m_state.PageSize));
    m_state.MinPictureKB =
        common::rangeRuleFromText(m_state.settings->read(QStringLiteral("Main"), QStringLiteral("PictureSize")));

    sys::RegisterShellMenus(*m_state.hive, common::programPath(), *m_state.desktop);

    const StartTarget target = parseStartTarget(m_commandLine);
    if (!target.isEmpty()) {
        TargetFileName = target.targetFileName;
        const QString folder = QFileInfo(target.folder).absoluteFilePath();
        selectDrive(folder);
        setDir1Path(folder);
        if (m_state.ViewerCount == 0 && !ScanDone)
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
    const QString shown = m_dir1Path.isEmpty() ? m_state.CurrentFolder : m_dir1Path;
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

void FormPicture::Form_QueryUnload()
{
    hide();
    m_state.SearchStop = true;
    m_state.QuitPump = true;
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
        m_state.desktop->openWithDesktop(QUrl::fromLocalFile(path));
}

}
