#include "browser/frame/ui/Frmmain.h"

#include "browser/frame/FrameCommands.h"
#include "browser/frame/FrameMenus.h"
#include "browser/frame/FrameSettings.h"
#include "browser/frame/History.h"
#include "browser/page/PictureFiles.h"
#include "browser/page/SearchSites.h"
#include "browser/page/ui/FormDownload.h"
#include "browser/page/ui/FormImage.h"
#include "browser/page/ui/FormWeb.h"
#include "common/Captions.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/Settings.h"
#include "common/platform/Desktop.h"
#include "desktop/ui/FormDesktop.h"
#include "system/ShellIntegration.h"
#include "system/ui/Dialogs.h"
#include "system/ui/FormSetup.h"
#include "system/ui/MessagePump.h"
#include "web/ui/PageScripts.h"
#include "web/ui/SilentPage.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDate>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStyle>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWebEngineView>

#include <utility>

namespace browser::frame {

namespace {

    using common::px;

    // The design size of the frame, in twips.
    constexpr int kDesignWidth = 15600;
    constexpr int kDesignHeight = 10500;
    constexpr int kMouseWatchMs = 300;
    constexpr int kSlowScrollMs = 20;
    // The toolbar row: buttons from the left, each this wide with this gap.
    constexpr int kButtonTop = 45;
    constexpr int kButtonSize = 600;
    constexpr int kButtonStep = 630;
    constexpr int kCmdGoWidth = 360;
    constexpr int kCmdSearchWidth = 1100;
    constexpr int kCloseWidth = 280;
    constexpr int kAddWidth = 300;

    // The two outside picture sites of the favorites menu.
    struct OutsideSite {
        const char16_t *text;
        const char16_t *address;
    };
    constexpr OutsideSite kOutsideSites[] = {
        { u"360 图片", u"https://image.so.com/" },
        { u"Pexels 免费图片", u"https://www.pexels.com/zh-cn/" },
    };

    using Command = void (*)(Frmmain &);

    // The commands of the menu entries, by menu title and entry text. An entry without one is a
    // command of a window that is not part of the program yet: it is shown disabled.
    const QHash<QString, Command> &menuCommands()
    {
        static const QHash<QString, Command> commands = [] {
            QHash<QString, Command> c;
            const auto add = [&c](const char16_t *menu, const char16_t *text, Command command) {
                c.insert(QString::fromUtf16(menu) + QLatin1Char('\n') + QString::fromUtf16(text), command);
            };
            using F = Frmmain;
            add(u"文件(&F)", u"新建标签", [](F &f) { f.newBlankTab(); });
            add(u"文件(&F)", u"退出(&X)", [](F &f) { f.close(); });
            add(u"编辑(&E)", u"撤消关闭窗口", [](F &f) { f.reopenClosedPage(); });
            add(u"编辑(&E)", u"关闭当前网页", [](F &f) { f.closeActiveTab(); });
            add(u"标签(&B)", u"关闭标签(鼠标双击)", [](F &f) { f.DelLine(); });
            add(u"标签(&B)", u"新建标签               Ctri+T", [](F &f) { f.newBlankTab(); });
            add(u"标签(&B)", u"恢复关闭的标签", [](F &f) { f.reopenClosedPage(); });
            add(u"标签(&B)", u"至页面顶部                      F2", [](F &f) { f.scrollActivePage(kMenuScrollTop); });
            add(u"标签(&B)", u"至页面底部                      F3", [](F &f) {
                f.scrollActivePage(kMenuScrollBottom);
            });
            add(u"标签(&B)", u"关闭其他窗口", [](F &f) { f.closeOtherTabs(); });
            add(u"标签(&B)", u"关闭左侧窗口", [](F &f) { f.CloseTabsLeft(); });
            add(u"标签(&B)", u"关闭右侧窗口", [](F &f) { f.CloseTabsRight(); });
            add(u"查看(&V)", u"至页面顶部", [](F &f) { f.scrollActivePage(kMenuScrollTop); });
            add(u"查看(&V)", u"至页面底部", [](F &f) { f.scrollActivePage(kMenuScrollBottom); });
            add(u"查看(&V)", u"缓慢向上滚动", [](F &f) { f.slowScrollClick(0); });
            add(u"查看(&V)", u"缓慢向下滚动", [](F &f) { f.slowScrollClick(1); });
            add(u"查看(&V)", u"全屏显示", [](F &f) { f.fullScreen(); });
            add(u"工具(&T)", u"网站访问历史(&H)", [](F &f) { f.openHistoryPage(); });
            add(u"工具(&T)", u"下载网络文件", [](F &f) { page::FormDownload::open(f.services().desktop, &f); });
            add(u"历史(&L)", u"清除历史记录(&C)", [](F &f) { f.clearClosedPages(); });
            add(u"文件(&F)", u"保存 源文件(&M)", [](F &f) { f.saveSource(); });
            add(u"文件(&F)", u"保存 网页截屏(&P)", [](F &f) { f.screenCapture(); });
            add(u"文件(&F)", u"电子邮件", [](F &f) { f.openMail(); });
            add(u"文件(&F)", u"我的电脑", [](F &f) { f.openHomeFolder(); });
            add(u"文件(&F)", u"拨号上网(&N)", [](F &f) { f.dialUp(); });
            // Working offline is a check mark only.
            add(u"文件(&F)", u"脱机工作(&T)", [](F &) {});
            add(u"编辑(&E)", u"网页编辑模式", [](F &f) { f.toggleEditMode(); });
            add(u"编辑(&E)", u"查找(&F)", [](F &f) { f.findInPage(); });
            add(u"查看(&V)", u"允许播放电影/音乐", [](F &f) { f.allowMedia(); });
            add(u"查看(&V)", u"图片下载目录", [](F &f) { f.Command6_Click(); });
            add(u"查看(&V)", u"刷新(&R)", [](F &f) { f.refreshPage(); });
            add(u"查看(&V)", u"全部刷新", [](F &f) { f.refreshAll(); });
            add(u"查看(&V)", u"停止(&S)", [](F &f) { f.stopPage(); });
            add(u"查看(&V)", u"用其他浏览器查看", [](F &f) { f.openWithOtherBrowser(); });
            add(u"查看(&V)", u"源文件", [](F &f) { f.openSource(false); });
            add(u"查看(&V)", u"选中区域的源文件", [](F &f) { f.openSource(true); });
            add(u"查看(&V)", u"页面屏幕放大       (+)", [](F &f) { f.zoomPage(0); });
            add(u"查看(&V)", u"页面屏幕缩小       (-)", [](F &f) { f.zoomPage(1); });
            add(u"工具(&T)", u"清除网页广告", [](F &f) { f.clearAds(); });
            add(u"工具(&T)", u"清除浏览记录(&C)", [](F &f) { f.openTraceCleaner(); });
            add(u"工具(&T)", u"文件夹加密(&J)", [](F &f) { f.openFolderHiding(); });
            add(u"工具(&T)", u"Melodesk", [](F &f) { f.openMelodesk(); });
            add(u"工具(&T)", u"屏幕保护程序(下载目录)", [](F &f) { f.openSlideshow(); });
            add(u"工具(&T)", u"关闭电脑声音", [](F &f) { f.toggleMute(); });
            add(u"工具(&T)", u"关闭电脑屏幕", [](F &f) { f.screenOff(); });
            add(u"查看(&V)", u"查看网页图片", [](F &f) { f.showPagePictures(); });
            add(u"查看(&V)", u"下载网页图片（手动）", [](F &f) { f.Command4_Click(); });
            add(u"文件(&F)", u"提取全部图片 另存为(&S)", [](F &f) { f.saveAllPictures(); });
            add(u"收藏夹(&A)", u"添加到收藏夹", [](F &f) { f.openFavoritesDialog(); });
            add(u"收藏夹(&A)", u"刷新收藏夹", [](F &f) { f.refreshFavorites(); });
            add(u"收藏夹(&A)", u"整理收藏夹", [](F &f) { f.openFavoritesOrganizer(); });
            add(u"工具(&T)", u"网页刷屏器(&R)", [](F &f) { f.openAutoRefresher(); });
            return c;
        }();
        return commands;
    }

}

Frmmain::Frmmain(
    const common::Services &services, common::RunningValues &values, sys::MessagePump &pump, QWidget *parent)
    : QMainWindow(parent)
    , askPictureFolder(
          [](QWidget *owner) { return sys::BrowseForFolder(QStringLiteral("请指定一个保存图片的文件目录"), owner); })
    , m_services(services)
    , m_values(values)
    , m_pump(pump)
    , m_closedPages(services.settings)
    , m_pages(TabTable::kSlotCount)
    , m_labels(TabTable::kSlotCount, nullptr)
{
    // The first picture a process reads looks through every image format plugin first. Here that is
    // the toolbar's icons, read while the first page loads on the main thread: the look is done on
    // a pool thread meanwhile, and the icons find it done.
    QThreadPool::globalInstance()->start([] { QImageReader::supportedImageFormats(); });
    setObjectName(QStringLiteral("Frmmain"));
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kBlankFrameCaption);
    createControls();
    createToolbar();
    resize(px(kDesignWidth), px(kDesignHeight));
    Form_Load();
}

Frmmain::~Frmmain()
{
    // The page windows go while the frame they report to is whole.
    for (QPointer<page::FormWeb> &page : m_pages)
        delete page.data();
}

void Frmmain::createControls()
{
    m_central = new QWidget(this);
    setCentralWidget(m_central);

    Pict = new QWidget(m_central);
    Pict->setObjectName(QStringLiteral("Pict"));
    Pict->setAutoFillBackground(true);
    Pict->installEventFilter(this);

    m_client = new QWidget(m_central);
    m_client->setObjectName(QStringLiteral("client"));

    Label1 = new QLabel(QStringLiteral("网址(&D)"), Pict);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(px(60), px(FrameLayout::kAddressRowTop), px(720), px(FrameLayout::kAddressRowHeight));

    TextUrl = new QComboBox(Pict);
    TextUrl->setObjectName(QStringLiteral("TextUrl"));
    TextUrl->setEditable(true);
    TextUrl->setInsertPolicy(QComboBox::NoInsert);
    Label1->setBuddy(TextUrl);
    connect(TextUrl, &QComboBox::editTextChanged, this, [this](const QString &text) {
        const QString shown = addressBoxText(text);
        if (shown != text)
            TextUrl->setEditText(shown);
    });
    connect(TextUrl, &QComboBox::activated, this, [this](int index) {
        addressFromList(TextUrl->itemText(index));
        Go();
    });
    TextUrl->lineEdit()->installEventFilter(this);

    CombSearch = new QComboBox(Pict);
    CombSearch->setObjectName(QStringLiteral("CombSearch"));
    CombSearch->setEditable(true);
    CombSearch->setInsertPolicy(QComboBox::NoInsert);
    CombSearch->lineEdit()->installEventFilter(this);

    LabAdd = new QLabel(QStringLiteral("+"), Pict);
    LabAdd->setObjectName(QStringLiteral("LabAdd"));
    LabAdd->setAlignment(Qt::AlignCenter);
    LabAdd->setCursor(Qt::PointingHandCursor);
    LabAdd->installEventFilter(this);

    TextClose = new QLabel(QStringLiteral("X"), Pict);
    TextClose->setObjectName(QStringLiteral("TextClose"));
    TextClose->setAlignment(Qt::AlignCenter);
    TextClose->setAutoFillBackground(true);
    TextClose->setCursor(Qt::PointingHandCursor);
    TextClose->setGeometry(
        px(FrameLayout::kCloseHiddenLeft), px(FrameLayout::kTabRowTop), px(kCloseWidth), px(FrameLayout::kTabHeight));
    TextClose->installEventFilter(this);

    // Label 0 exists from the start.
    createLabel(0)->hide();

    Timer1 = new QTimer(this);
    Timer1->setInterval(kMouseWatchMs);
    connect(Timer1, &QTimer::timeout, this, &Frmmain::Timer1_Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(kSlowScrollMs);
    connect(Timer2, &QTimer::timeout, this, &Frmmain::Timer2_Timer);
}

void Frmmain::createToolbar()
{
    struct ButtonSpec {
        const char *name;
        QStyle::StandardPixmap icon;
        Command command; // nullptr: its window is not part of the program yet
    };
    using F = Frmmain;
    // clang-format off
    static const ButtonSpec specs[] = {
        { "CmdPage(0)", QStyle::SP_ArrowBack, [](F &f) { if (auto *p = f.activePage()) p->Web->back(); } },
        { "CmdPage(1)", QStyle::SP_ArrowForward, [](F &f) { if (auto *p = f.activePage()) p->Web->forward(); } },
        { "Command2", QStyle::SP_BrowserReload, [](F &f) { f.Command2_Click(); } },
        { "MoveUp(0)", QStyle::SP_ArrowUp, [](F &f) { f.MoveUp_Click(0); } },
        { "MoveUp(1)", QStyle::SP_ArrowDown, [](F &f) { f.MoveUp_Click(1); } },
        { "Command8", QStyle::SP_DialogCloseButton, [](F &f) { f.closeActiveTab(); } },
        { "Command3", QStyle::SP_DialogResetButton, [](F &f) { f.reopenClosedPage(); } },
        { "Command11", QStyle::SP_FileDialogDetailedView, [](F &f) { f.openSource(false); } },
        { "ImgComb", QStyle::SP_FileDialogListView, [](F &f) { f.openBatchReader(); } },
        { "Command1", QStyle::SP_MediaPlay, [](F &f) { f.openSlideshow(); } },
        { "Command5", QStyle::SP_DirHomeIcon, [](F &f) { f.LoadNewForm(sites::kSiteDirectory); } },
        { "Command7", QStyle::SP_FileDialogContentsView, [](F &f) {
            // The picture search site's page opens with its scripts.
            f.m_values.browser.SafeMode = false;
            f.LoadNewForm(sites::kImageSearchStart);
            f.m_values.browser.SafeMode = true; } },
        { "Command4", QStyle::SP_ArrowDown, [](F &f) { f.Command4_Click(); } },
        { "Command6", QStyle::SP_DirOpenIcon, [](F &f) { f.Command6_Click(); } },
        { "Chk", QStyle::SP_FileDialogInfoView, [](F &) { } },
        { "CmdGo", QStyle::SP_CommandLink, [](F &f) { f.Go(); } },
        { "CmdSearch", QStyle::SP_FileDialogContentsView, [](F &f) { f.pictureSearch(); } },
    };
    // clang-format on
    QHash<QString, QString> toolTips;
    for (const ToolbarButton &button : toolbarButtons())
        toolTips.insert(button.name, button.toolTip);
    int left = 60;
    for (const ButtonSpec &spec : specs) {
        const QString name = QString::fromLatin1(spec.name);
        auto *button = new QToolButton(Pict);
        button->setObjectName(name);
        button->setToolTip(toolTips.value(name));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
        if (name == QLatin1String("CmdGo")) {
            button->setText(QStringLiteral("转到"));
            CmdGo = button;
        } else if (name == QLatin1String("CmdSearch")) {
            button->setText(QStringLiteral("搜图(&S)"));
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
            CmdSearch = button;
        } else {
            m_buttonIcons.emplace_back(button, spec.icon);
            button->setIconSize(QSize(px(kButtonSize) - 8, px(kButtonSize) - 8));
            button->setGeometry(px(left), px(kButtonTop), px(kButtonSize), px(kButtonSize));
            left += kButtonStep;
        }
        if (spec.command)
            connect(button, &QToolButton::clicked, this, [this, command = spec.command] { command(*this); });
        else
            button->setEnabled(false);
        m_buttons.insert(name, button);
    }
    CmdPage[0] = m_buttons.value(QStringLiteral("CmdPage(0)"));
    CmdPage[1] = m_buttons.value(QStringLiteral("CmdPage(1)"));
    CmdPage[0]->setEnabled(false);
    CmdPage[1]->setEnabled(false);
    Chk = m_buttons.value(QStringLiteral("Chk"));
    Chk->setCheckable(true);
    Chk->setAutoFillBackground(true);
    // A change of the value from code counts as a click when the value really changes.
    connect(Chk, &QToolButton::toggled, this, &Frmmain::Chk_Click);
}

void Frmmain::createMenus()
{
    QHash<QString, QString> shortcuts;
    for (const Shortcut &shortcut : frameShortcuts())
        shortcuts.insert(shortcut.menuItem, shortcut.key);
    int slowScroll = 0;
    for (const FrameMenu &spec : frameMenus()) {
        QMenu *menu = spec.hidden ? new QMenu(spec.title, this) : menuBar()->addMenu(spec.title);
        menu->setObjectName(spec.title);
        m_menus.insert(spec.title, menu);
        if (spec.hidden)
            m_tabMenu = menu;
        for (const FrameMenuItem &item : spec.items) {
            if (item.kind == FrameMenuItem::Separator) {
                menu->addSeparator()->setVisible(!item.hidden);
                continue;
            }
            if (item.kind == FrameMenuItem::List) {
                switch (item.list) {
                case FrameMenuItem::OutsideSites:
                    for (const OutsideSite &site : kOutsideSites) {
                        const QString address = QString::fromUtf16(site.address);
                        connect(
                            menu->addAction(QString::fromUtf16(site.text)), &QAction::triggered, this, [this, address] {
                                LoadNewForm(address);
                            });
                    }
                    break;
                case FrameMenuItem::ClosedPagesList:
                    for (int i = 0; i < ClosedPages::kMenuItems; ++i) {
                        QAction *action = menu->addAction(QString());
                        action->setObjectName(QStringLiteral("LiHistory(%1)").arg(i));
                        action->setVisible(false);
                        connect(action, &QAction::triggered, this, [this, i] { reopenMenuItem(i); });
                        m_closedItems[size_t(i)] = action;
                    }
                    break;
                case FrameMenuItem::VersionCheck:
                    // No download page publishes newer versions of this program yet.
                    menu->addAction(QStringLiteral("检查新版本(&U)"))->setEnabled(false);
                    break;
                case FrameMenuItem::FavoritesList:
                    createFavoritesList(menu);
                    break;
                case FrameMenuItem::NoList:
                    break;
                }
                continue;
            }
            QAction *action = menu->addAction(item.text);
            action->setVisible(!item.hidden);
            action->setCheckable(item.checked);
            action->setChecked(item.checked);
            if (shortcuts.contains(item.text)) {
                action->setShortcut(QKeySequence(shortcuts.value(item.text)));
                // The tab menu only shows on a label: its keys belong to the frame.
                if (spec.hidden)
                    addAction(action);
            }
            const Command command = menuCommands().value(spec.title + QLatin1Char('\n') + item.text);
            if (command)
                connect(action, &QAction::triggered, this, [this, command] { command(*this); });
            else
                action->setEnabled(false);
            if (item.text == QStringLiteral("缓慢向上滚动") || item.text == QStringLiteral("缓慢向下滚动")) {
                action->setCheckable(true);
                m_slowScrollItems[size_t(slowScroll++)] = action;
            }
        }
    }
    // Commands of the desktop and the program, which the table above cannot name.
    const auto connectEntry = [this](const QString &menuTitle, const QString &text, auto handler) {
        if (QAction *action = menuAction(menuTitle, text)) {
            action->setEnabled(true);
            connect(action, &QAction::triggered, this, handler);
        }
    };
    connectEntry(QStringLiteral("文件(&F)"), QStringLiteral("开启新窗口(&N)"), [this] { newProgramWindow(); });
    connectEntry(QStringLiteral("文件(&F)"), QStringLiteral("打开本地文件(&O)..."), [this] {
        const QString chosen = sys::ShowFileDialog(m_services.settings,
            m_values.DownloadFolder,
            QStringLiteral("open"),
            QStringLiteral("打开文件"),
            QString(),
            3,
            this);
        if (!chosen.isEmpty())
            LoadNewForm(QUrl::fromLocalFile(chosen).toString());
    });
    connectEntry(QStringLiteral("文件(&F)"), QStringLiteral("创建桌面快捷方式"), [this] {
        sys::CreateDesktopShortcut(
            common::kBrowserName, common::programPath(), m_services.desktop, { QStringLiteral("--browser") });
    });
    connectEntry(
        QStringLiteral("文件(&F)"), QStringLiteral("立即关闭电脑(&C)"), [this] { m_services.desktop.powerOff(); });
    connectEntry(QStringLiteral("标签(&B)"), QStringLiteral("用其它浏览器访问"), [this] {
        if (page::FormWeb *page = activePage())
            m_services.desktop.openWithDesktop(QUrl(page->LocationURL()));
    });
    connectEntry(QStringLiteral("标签(&B)"), QStringLiteral("复制网站标题"), [this] {
        if (QLineEdit *label = tabLabel(m_tabs.slotAt(m_tabs.TargetPos())))
            m_services.desktop.setClipboardText(label->text());
    });
    connectEntry(QStringLiteral("标签(&B)"), QStringLiteral("复制网站地址"), [this] {
        m_services.desktop.setClipboardText(TextUrl->currentText());
    });
    connectEntry(QStringLiteral("标签(&B)"), QStringLiteral("复制所选文字"), [this] {
        if (QLineEdit *label = tabLabel(m_tabs.activeSlot()))
            m_services.desktop.setClipboardText(label->selectedText());
    });
    connectEntry(QStringLiteral("工具(&T)"), QStringLiteral("选项设置(&S)"), [this] {
        sys::FormSetup dialog(m_services, m_values, this);
        dialog.exec();
    });
    connectEntry(QStringLiteral("帮助(&H)"), QStringLiteral("帮助主题(&S)"), [this] { helpMessage(); });
    connectEntry(QStringLiteral("帮助(&H)"), QStringLiteral("关于(&A)"), [this] { aboutBox(); });
    connectPageCommands();
}

void Frmmain::finishFrame()
{
    CombSearch->addItems(m_searchWords.words());
    CombSearch->setEditText(kInitialSearchWord);
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
    for (const auto &[button, icon] : m_buttonIcons)
        button->setIcon(style()->standardIcon(icon));
    m_buttonIcons.clear();
    TextUrl->setMaxVisibleItems(qMax(1, FrameLayout::kAddressDropDownPixels / qMax(1, fontMetrics().height() + 4)));
    createMenus();
}

QAction *Frmmain::menuAction(const QString &menuTitle, const QString &text) const
{
    const QMenu *menu = m_menus.value(menuTitle);
    if (!menu)
        return nullptr;
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

page::FormWeb *Frmmain::pageWindow(int slot) const
{
    if (slot < 0 || slot >= TabTable::kSlotCount)
        return nullptr;
    return m_pages[size_t(slot)].data();
}

QLineEdit *Frmmain::tabLabel(int slot) const
{
    if (slot < 0 || slot >= TabTable::kSlotCount)
        return nullptr;
    return m_labels[size_t(slot)];
}

void Frmmain::Form_Load()
{
    WebFocus = false;
    sys::FilterEditMessages(TextUrl);
    makeFrameFolders(m_values.DataFolder);
    readFrameSettings(m_services.settings, m_values.browser);
    show();
    LoadNewForm(m_values.browser.StartPage);
    // Nothing is drawn before the event loop runs: the rest of the frame is made while the page's
    // process starts.
    finishFrame();
    m_closedPages.restore();
    rebuildClosedMenu();
    Timer1->start();
}

int Frmmain::innerWidthTwips() const
{
    return m_central->width() * 15;
}

QRect Frmmain::pageRect() const
{
    return QRect(0, 0, m_client->width(), m_client->height());
}

void Frmmain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Frmmain::Form_Resize()
{
    m_layout.resize(m_central->width() * 15, m_central->height() * 15);
    const FrameLayout &l = m_layout;
    Pict->setVisible(l.topBarShown);
    Pict->setGeometry(0, 0, m_central->width(), px(FrameLayout::kTopBarHeight));
    TextClose->move(px(l.textCloseLeft), TextClose->y());
    const int rowTop = px(FrameLayout::kAddressRowTop);
    const int rowHeight = px(FrameLayout::kAddressRowHeight);
    TextUrl->setGeometry(px(FrameLayout::kTextUrlLeft), rowTop, qMax(0, px(l.textUrlWidth)), rowHeight);
    CmdGo->setGeometry(px(l.cmdGoLeft), rowTop, px(kCmdGoWidth), rowHeight);
    CombSearch->setGeometry(px(l.combSearchLeft), rowTop, qMax(0, px(l.combSearchWidth)), rowHeight);
    CmdSearch->setGeometry(px(l.cmdSearchLeft), rowTop, px(kCmdSearchWidth), rowHeight);
    m_client->setGeometry(0, px(l.pageTop), m_central->width(), px(l.pageHeight));
    // Every page window covers the page area; the active one is in front.
    for (int slot : m_tabs.slotsInOrder()) {
        if (page::FormWeb *page = pageWindow(slot))
            page->setGeometry(pageRect());
    }
    const TabStripGeometry strip = frame::PaiLie(innerWidthTwips(), m_tabs.TabCount());
    for (int i = 0; i < strip.labels.size(); ++i) {
        QLineEdit *label = tabLabel(m_tabs.slotAt(i));
        if (label && strip.labels[i].width > 0)
            label->setGeometry(px(strip.labels[i].left), label->y(), px(strip.labels[i].width), label->height());
    }
    LabAdd->move(px(strip.addLabelLeft), LabAdd->y());
    placeFindBar();
}

QLineEdit *Frmmain::createLabel(int slot)
{
    QLineEdit *label = m_labels[size_t(slot)];
    if (!label) {
        label = new QLineEdit(Pict);
        label->setObjectName(QStringLiteral("TextLab(%1)").arg(slot));
        label->setReadOnly(true);
        label->setFrame(false);
        label->setAutoFillBackground(true);
        label->setMouseTracking(true);
        label->setFocusPolicy(Qt::ClickFocus);
        label->setGeometry(0, px(FrameLayout::kTabRowTop), px(1000), px(FrameLayout::kTabHeight));
        label->setProperty("slot", slot);
        sys::FilterEditMessages(label);
        label->installEventFilter(this);
        m_labels[size_t(slot)] = label;
    }
    label->setText(QString());
    label->setToolTip(QString());
    label->show();
    return label;
}

page::FormWeb *Frmmain::openPageWindow(int slot, const QString &intoUrl, bool safeMode)
{
    auto *page = new page::FormWeb(*this, m_services, m_values, m_closedPages, slot, intoUrl, safeMode, m_client);
    m_pages[size_t(slot)] = page;
    page->setGeometry(pageRect());
    page->show();
    return page;
}

page::FormWeb *Frmmain::LoadNewForm(const QString &address, bool generatedPage)
{
    Chk->setChecked(false);
    const TabOpen open = m_tabs.openTab(address == QLatin1String("about:blank"), m_values.browser.BackgroundTabs);
    if (open.refused) {
        showStatus(kTabTableFullMessage);
        return nullptr;
    }
    createLabel(open.slot);
    page::FormWeb *page = openPageWindow(open.slot, address, m_values.browser.SafeMode);
    if (generatedPage)
        page->showsGeneratedPage();
    page->Navigate(address);
    const NewTabView view = newTabView(address, open.active);
    if (view.sendToBack) {
        page->lower();
    } else {
        if (view.showAddress)
            TextUrl->setEditText(view.addressText);
        if (view.blankCaption)
            setWindowTitle(kBlankFrameCaption);
    }
    PaiLie();
    return page;
}

void Frmmain::PaiLie()
{
    const TabStripGeometry strip = frame::PaiLie(innerWidthTwips(), m_tabs.TabCount());
    for (int i = 0; i < strip.labels.size(); ++i) {
        const int slot = m_tabs.slotAt(i);
        QLineEdit *label = tabLabel(slot);
        if (!label)
            continue;
        const TabLabelPlace place = strip.labels[i];
        if (place.width > 0)
            label->setGeometry(
                px(place.left), px(FrameLayout::kTabRowTop), px(place.width), px(FrameLayout::kTabHeight));
        const bool active = i == m_tabs.ActivePos();
        QPalette palette = label->palette();
        palette.setColor(QPalette::Base, active ? Qt::white : QColor(0, 0, 255));
        palette.setColor(QPalette::Text, active ? Qt::black : Qt::white);
        palette.setColor(QPalette::Window, active ? Qt::white : QColor(0, 0, 255));
        label->setPalette(palette);
        label->setProperty("active", active);
        if (active) {
            if (page::FormWeb *page = pageWindow(slot)) {
                page->setGeometry(pageRect());
                page->raise();
                page->focusControl();
                page->SetActivate();
            }
        }
    }
    LabAdd->setGeometry(
        px(strip.addLabelLeft), px(FrameLayout::kTabRowTop), px(kAddWidth), px(FrameLayout::kTabHeight));
    TextClose->raise();
}

void Frmmain::hoverTab(int slot)
{
    QLineEdit *label = tabLabel(slot);
    if (!label)
        return;
    m_tabs.hoverSlot(slot);
    TextClose->move(label->x() + label->width() - px(kCloseWidth), px(FrameLayout::kTabRowTop));
    TextClose->raise();
}

void Frmmain::activateTab(int slot)
{
    Chk->setChecked(false);
    if (!m_tabs.activateSlot(slot))
        return;
    page::FormWeb *page = pageWindow(slot);
    if (page) {
        page->setGeometry(pageRect());
        page->raise();
        page->focusControl();
        page->SetActivate();
        page->butenableable();
    }
    PaiLie();
    showTabInFrame(m_tabs.ActivePos());
}

// The address box and the caption show the tab at `position`.
void Frmmain::showTabInFrame(int position)
{
    const int slot = m_tabs.slotAt(position);
    if (slot < 0)
        return;
    if (page::FormWeb *page = pageWindow(slot))
        TextUrl->setEditText(addressBoxText(shownAddress(page->LocationURL())));
    if (QLineEdit *label = tabLabel(slot))
        setWindowTitle(frameCaption(label->text()));
}

void Frmmain::DelLine()
{
    carryOut(m_tabs.DelLine());
}

void Frmmain::closeActiveTab()
{
    m_tabs.setTargetPos(m_tabs.ActivePos());
    DelLine();
}

void Frmmain::CloseTabsRight()
{
    carryOut(m_tabs.CloseTabsRight());
}

void Frmmain::CloseTabsLeft()
{
    carryOut(m_tabs.CloseTabsLeft());
}

void Frmmain::closeOtherTabs()
{
    carryOut(m_tabs.closeOthers());
}

void Frmmain::carryOut(const TabChange &change)
{
    if (change.refused)
        return;
    if (change.blankOnly) {
        if (page::FormWeb *page = activePage() ? activePage() : pageWindow(m_tabs.slotAt(0)))
            page->Navigate(QStringLiteral("about:blank"));
        return;
    }
    TextClose->move(px(-1000), TextClose->y());
    for (int slot : change.released)
        ReleaseTab(slot);
    if (change.activeChanged)
        showTabInFrame(m_tabs.ActivePos());
    PaiLie();
}

void Frmmain::ReleaseTab(int slot)
{
    QLineEdit *label = tabLabel(slot);
    page::FormWeb *page = pageWindow(slot);
    if (label && !label->text().isEmpty() && page) {
        if (m_closedPages.addMenuEntry(label->text(), page->windowTitle(), page->LocationURL()) >= 0)
            rebuildClosedMenu();
    }
    if (label) {
        if (slot == 0) {
            label->hide();
        } else {
            m_labels[size_t(slot)] = nullptr;
            label->deleteLater();
        }
    }
    if (page) {
        m_pages[size_t(slot)] = nullptr;
        if (m_pump.WheelForm == page) {
            m_pump.WheelForm = nullptr;
            m_pump.WheelBrowser = nullptr;
        }
        page->close();
    }
}

void Frmmain::newBlankTab()
{
    LoadNewForm(QStringLiteral("about:blank"));
    TextUrl->setFocus();
}

void Frmmain::Go()
{
    Chk->setChecked(false);
    const QString address = goAddress(TextUrl->currentText());
    if (address != TextUrl->currentText())
        TextUrl->setEditText(address);
    if (page::FormWeb *page = activePage()) {
        page->Navigate(address);
        page->focusControl();
    }
}

void Frmmain::addressFromList(const QString &entry)
{
    TextUrl->setEditText(addressFromListEntry(entry));
}

void Frmmain::pictureSearch()
{
    const QString word = CombSearch->currentText();
    const QString address = m_searchWords.search(word);
    CombSearch->addItem(word);
    CombSearch->setEditText(word);
    LoadNewForm(address);
}

void Frmmain::reopenClosedPage()
{
    openReopened(m_closedPages.reopen());
}

void Frmmain::reopenMenuItem(int index)
{
    openReopened(m_closedPages.reopenItem(index));
}

void Frmmain::openReopened(const ReopenResult &result)
{
    if (result.refused) {
        showStatus(result.statusText);
        return;
    }
    if (!result.address.isEmpty())
        LoadNewForm(result.address);
}

void Frmmain::rebuildClosedMenu()
{
    const auto &items = m_closedPages.menuItems();
    for (int i = 0; i < ClosedPages::kMenuItems; ++i) {
        QAction *action = m_closedItems[size_t(i)];
        const auto &item = items[size_t(i)];
        action->setVisible(item.has_value());
        action->setText(item ? plainMenuText(item->caption) : QString());
        action->setToolTip(item ? item->address : QString());
    }
}

void Frmmain::clearClosedPages()
{
    m_closedPages.clear();
    rebuildClosedMenu();
}

void Frmmain::openHistoryPage()
{
    const QString path = writeHistoryPage(m_values.DataFolder, QDate::currentDate());
    if (!path.isEmpty())
        LoadNewForm(QUrl::fromLocalFile(path).toString(), true);
}

void Frmmain::fullScreen()
{
    m_layout.toggleTopBar();
    Form_Resize();
}

void Frmmain::slowScrollClick(int index)
{
    m_slowScroll.toggle(index);
    for (int i = 0; i < 2; ++i)
        m_slowScrollItems[size_t(i)]->setChecked(m_slowScroll.isChecked(i));
    m_scrollPending = 0;
    if (m_slowScroll.timerRunning())
        Timer2->start();
    else
        Timer2->stop();
}

void Frmmain::Timer2_Timer()
{
    page::FormWeb *page = activePage();
    if (!page)
        return;
    // A page that answers slower than the ticks come gets the steps of the ticks it missed in
    // its next call, so calls never queue up behind each other.
    m_scrollPending += m_slowScroll.ScrollStep();
    if (m_scrollInFlight)
        return;
    m_scrollInFlight = true;
    const int dy = std::exchange(m_scrollPending, 0);
    web::runAppScript(
        page->page(), QStringLiteral("scroll"), { 0, dy }, [self = QPointer<Frmmain>(this)](const QVariant &) {
            if (self)
                self->m_scrollInFlight = false;
        });
}

void Frmmain::scrollActivePage(const ScrollCommand &command)
{
    // The repeated small steps end where one step of their sum ends.
    if (page::FormWeb *page = activePage())
        web::scrollPage(page->page(), 0, command.repeats * command.pixels);
}

void Frmmain::MoveUp_Click(int index)
{
    const ScrollCommand command = index == 0 ? kToolbarScrollTop : kToolbarScrollBottom;
    if (QWebEngineView *view = m_pump.WheelBrowser)
        web::scrollPage(view->page(), 0, command.repeats * command.pixels);
    if (page::FormWeb *page = activePage()) {
        page->focusControl();
        page->SetActivate();
    }
}

void Frmmain::Command6_Click()
{
    m_services.desktop.openWithDesktop(QUrl::fromLocalFile(m_values.DownloadFolder));
}

void Frmmain::Command4_Click()
{
    QToolButton *button = m_buttons.value(QStringLiteral("Command4"));
    page::FormWeb *page = activePage();
    if (!page)
        return;
    button->setEnabled(false);
    m_values.browser.MinPictureBytes = 30000;
    page->AutoDownLoadImag();
    if (!page->saver().SavingPictures()) {
        button->setEnabled(true);
        return;
    }
    connect(
        &page->saver(),
        &page::PictureSaver::runEnded,
        button,
        [button] { button->setEnabled(true); },
        Qt::SingleShotConnection);
}

void Frmmain::Chk_Click(bool on)
{
    page::FormWeb *page = activePage();
    if (!page)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    page->Tu = 1;
    if (on) {
        page->AutoFind = false;
        page->SearchPic();
        page->showGallery(true);
        Chk->setStyleSheet(QStringLiteral("QToolButton { background-color: rgb(255, 255, 0); }"));
    } else {
        page->showGallery(false);
        Chk->setStyleSheet(QString());
    }
    page->focusControl();
    page->SetActivate();
    QApplication::restoreOverrideCursor();
}

void Frmmain::showPagePictures()
{
    Chk->setChecked(true);
    Chk_Click(Chk->isChecked());
}

void Frmmain::Command2_Click()
{
    page::FormWeb *page = activePage();
    if (!page)
        return;
    if (Chk->isChecked()) {
        // The page's counting ticks may have switched the search to counting only.
        page->AutoFind = false;
        page->SearchPic();
    } else {
        page->Web->reload();
    }
}

void Frmmain::saveAllPictures()
{
    const QString folder = askPictureFolder ? askPictureFolder(this) : QString();
    if (!folder.isEmpty())
        saveAllPicturesInto(folder);
}

void Frmmain::saveAllPicturesInto(const QString &folder)
{
    page::FormWeb *page = activePage();
    if (!page)
        return;
    const QString previous = m_values.DownloadFolder;
    m_values.browser.MinPictureBytes = 10000;
    m_values.DownloadFolder = page::withTrailingSlash(folder);
    page->AutoDownLoadImag();
    if (!page->saver().SavingPictures()) {
        m_values.DownloadFolder = previous;
        return;
    }
    connect(
        &page->saver(),
        &page::PictureSaver::runEnded,
        this,
        [this, previous] { m_values.DownloadFolder = previous; },
        Qt::SingleShotConnection);
}

void Frmmain::openMelodesk()
{
    desktop::FormDesktop::loadHidden(m_services, m_values);
    showMinimized();
}

void Frmmain::openPictureDetails(const QString &url)
{
    page::FormImage::showPicture(m_services, m_values, url);
}

void Frmmain::galleryWritten(page::FormWeb *page)
{
    if (page == activePage())
        Chk->setChecked(true);
}

bool Frmmain::galleryToggleOn() const
{
    return Chk->isChecked();
}

void Frmmain::setBatchSaveEnabled(bool enabled)
{
    if (QToolButton *button = m_buttons.value(QStringLiteral("Command4")))
        button->setEnabled(enabled);
}

void Frmmain::Timer1_Timer()
{
    const QPoint cursor = QCursor::pos();
    const MouseWatchStep step = m_mouseWatcher.tick(
        QApplication::activeWindow() == this, QGuiApplication::mouseButtons().testFlag(Qt::LeftButton), cursor);
    if (step.hideSelectionBar) {
        if (auto *page = qobject_cast<page::FormWeb *>(m_pump.WheelForm.data()))
            page->hideSelectionBar();
    }
    if (step.hideCloseButton)
        TextClose->move(px(-5000), TextClose->y());
    if (step.takeSelection) {
        if (page::FormWeb *page = activePage())
            page->zhan(cursor);
    }
}

void Frmmain::newProgramWindow()
{
    m_services.desktop.startProgram(common::programPath(), { QStringLiteral("--browser") });
}

void Frmmain::aboutBox()
{
    QMessageBox box(QMessageBox::NoIcon, common::kBrowserCaption, common::kBrowserCaption, QMessageBox::Ok, this);
    box.setIconPixmap(windowIcon().pixmap(48, 48));
    box.exec();
}

void Frmmain::helpMessage()
{
    QMessageBox::information(this, kHelpTitle, helpMessageText());
}

void Frmmain::showStatus(const QString &text)
{
    m_statusText = text;
    statusBar()->showMessage(text, 10000);
}

void Frmmain::focusTrick(QWidget *box)
{
    if (WebFocus)
        return;
    WebFocus = true;
    if (page::FormWeb *page = activePage())
        page->focusControl();
    box->setFocus();
}

bool Frmmain::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (!TextUrl || !CombSearch || !TextClose || !LabAdd)
        return QMainWindow::eventFilter(watched, event);
    if (watched == TextUrl->lineEdit() || watched == CombSearch->lineEdit()) {
        if (type == QEvent::FocusIn) {
            focusTrick(watched == TextUrl->lineEdit() ? static_cast<QWidget *>(TextUrl) : CombSearch);
        } else if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (watched == TextUrl->lineEdit())
                    Go();
                else
                    pictureSearch();
                return true;
            }
        }
        return QMainWindow::eventFilter(watched, event);
    }
    if (const QVariant slotValue = watched->property("slot"); slotValue.isValid()) {
        const int slot = slotValue.toInt();
        if (type == QEvent::MouseMove || type == QEvent::Enter) {
            hoverTab(slot);
        } else if (type == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            Chk->setChecked(false);
            hoverTab(slot);
            if (mouse->button() == Qt::RightButton) {
                m_tabMenu->popup(mouse->globalPosition().toPoint());
                return true;
            }
            activateTab(slot);
        } else if (type == QEvent::MouseButtonDblClick) {
            hoverTab(slot);
            DelLine();
            return true;
        }
        return QMainWindow::eventFilter(watched, event);
    }
    if (type == QEvent::MouseButtonRelease && watched == TextClose) {
        DelLine();
        return true;
    }
    if (type == QEvent::MouseButtonRelease && watched == LabAdd) {
        Chk->setChecked(false);
        newBlankTab();
        return true;
    }
    if (type == QEvent::MouseButtonDblClick && watched == Pict) {
        newBlankTab();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The frame as a page window's host.

bool Frmmain::isCurrentTab(const page::FormWeb *page) const
{
    return page && activePage() == page;
}

void Frmmain::setTabLabel(int slot, const QString &text, const QString &toolTip)
{
    if (QLineEdit *label = tabLabel(slot)) {
        label->setText(text);
        label->setCursorPosition(0);
        label->setToolTip(toolTip);
    }
}

void Frmmain::showActivePage(const QString &caption, const QString &addressText)
{
    setWindowTitle(caption);
    TextUrl->setEditText(addressBoxText(addressText));
}

void Frmmain::setAddressText(const QString &text)
{
    TextUrl->setEditText(text);
}

void Frmmain::setNavigationEnabled(bool back, bool forward)
{
    CmdPage[0]->setEnabled(back);
    CmdPage[1]->setEnabled(forward);
}

QWebEnginePage *Frmmain::openPopupTab(page::FormWeb *opener)
{
    const QString openerAddress = opener->LocationURL();
    const bool safeMode = page::safeModeForPopup(m_values.browser.SafeMode, openerAddress);
    const TabOpen open = m_tabs.openTab(false, m_values.browser.BackgroundTabs);
    if (open.refused) {
        showStatus(kTabTableFullMessage);
        return nullptr;
    }
    createLabel(open.slot);
    page::FormWeb *page = openPageWindow(open.slot, openerAddress, safeMode);
    if (!open.active)
        page->lower();
    PaiLie();
    return page->page();
}

void Frmmain::openInNewTab(const QString &address)
{
    LoadNewForm(address);
}

void Frmmain::addAddressListEntry(const QString &entry)
{
    const QString text = TextUrl->currentText();
    TextUrl->addItem(entry);
    TextUrl->setEditText(text);
}

void Frmmain::pageViewFocused()
{
    WebFocus = false;
}

void Frmmain::selectionTaken(const QString &text)
{
    // An empty selection (a plain click) leaves the search word as it is.
    if (!text.isEmpty())
        CombSearch->setEditText(text);
}

void Frmmain::bringForward(page::FormWeb *page)
{
    if (m_tabs.activateSlot(page->myindex))
        PaiLie();
}

void Frmmain::pageActivated(page::FormWeb *page)
{
    m_pump.WheelForm = page;
    m_pump.WheelBrowser = Chk->isChecked() && page->WebPic ? page->WebPic : page->Web;
}

void Frmmain::openDownloadFolder()
{
    Command6_Click();
}

void Frmmain::closeEvent(QCloseEvent *event)
{
    if (!m_closing) {
        m_closing = true;
        Form_QueryUnload();
    }
    event->accept();
}

void Frmmain::Form_QueryUnload()
{
    hide();
    Timer1->stop();
    Timer2->stop();
    if (clearClosedPagesOnClose(m_services.settings))
        clearClosedPages();
    // Each page window records its page among the closed pages and writes its visit history.
    for (int slot : m_tabs.slotsInOrder()) {
        if (page::FormWeb *page = pageWindow(slot)) {
            m_pages[size_t(slot)] = nullptr;
            page->close();
        }
    }
    if (qobject_cast<page::FormWeb *>(m_pump.WheelForm.data())) {
        m_pump.WheelForm = nullptr;
        m_pump.WheelBrowser = nullptr;
    }
}

}
