#include "desktop/ui/FormDesktop.h"

#include "common/Registry.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/Settings.h"
#include "common/platform/Desktop.h"
#include "common/platform/WallpaperCommands.h"
#include "desktop/ui/MprisPlayer.h"
#include "slideshow/PictureSearch.h"
#include "system/RegistryOps.h"
#include "system/ui/Dialogs.h"
#include "web/ui/SilentPage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace desktop {

namespace keys = common::keys;

const std::array<RadioStation, 5> kRadioStations = { {
    { "音乐之声",
        "https://www.radio.cn/pc-portal/sanji/zhibo_2.html?channelname=0&name=%E9%9F%B3%E4%B9%90%E4%B9%8B%E5%A3%B0" },
    { "中国之声",
        "https://www.radio.cn/pc-portal/sanji/zhibo_2.html?channelname=0&name=%E4%B8%AD%E5%9B%BD%E4%B9%8B%E5%A3%B0" },
    { "阳光调频",
        "https://www.radio.cn/pc-portal/sanji/zhibo_2.html?channelname=0&name=%E9%98%B3%E5%85%89%E8%B0%83%E9%A2%91" },
    { "神州之声",
        "https://www.radio.cn/pc-portal/sanji/zhibo_2.html?channelname=0&name=%E7%A5%9E%E5%B7%9E%E4%B9%8B%E5%A3%B0" },
    { "亚洲音乐台",
        "https://www.radio.cn/pc-portal/sanji/"
        "zhibo_2.html?channelname=0&name=%E4%BA%9A%E6%B4%B2%E9%9F%B3%E4%B9%90%E5%8F%B0" },
} };

namespace {

    const QString kDesktopKey = QStringLiteral("Control Panel\\Desktop");
    const QString kDesktopKeyLower = QStringLiteral("Control Panel\\desktop");
    // "1" while the rotation has changed the wallpaper and "退出(&X)" has not yet put the user's
    // own back; found at the next start, it means the program ended without restoring it.
    const QString kRotatingKey = QStringLiteral("Rotating");
    const QString kNoPicturesMessage = QStringLiteral("指定的目录没有图片文件……") + QString(22, QLatin1Char(' '));

    QString withSlash(QString folder)
    {
        if (!folder.endsWith(QLatin1Char('/')))
            folder.append(QLatin1Char('/'));
        return folder;
    }

}

// The preview picture: fitted to its height; a double-click opens the picture shown.
class PreviewBox : public QWidget {
    Q_OBJECT
public:
    explicit PreviewBox(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void setImage(const QImage &image)
    {
        m_image = image;
        update();
    }

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        if (m_image.isNull())
            return;
        // A preview made for another size (the window was resized since) keeps its proportions.
        const QSize fitted = m_image.size().scaled(size(), Qt::KeepAspectRatio);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(
            QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted), m_image);
    }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            emit doubleClicked();
    }

private:
    QImage m_image;
};

FormDesktop::Prompts FormDesktop::dialogPrompts()
{
    Prompts prompts;
    prompts.chooseFolder = [](QWidget *owner, const QString &prompt) {
        return sys::BrowseForFolder(prompt, owner);
    };
    prompts.askStation = [](QWidget *owner) -> std::optional<QString> {
        bool ok = false;
        const QString answer = QInputDialog::getText(
            owner, QStringLiteral("输入"), QStringLiteral("请输入音乐电台网址："), QLineEdit::Normal, QString(), &ok);
        if (!ok)
            return std::nullopt;
        return answer;
    };
    prompts.inform = [](QWidget *owner, const QString &text) {
        QMessageBox::information(owner, QStringLiteral("Melodesk"), text);
    };
    prompts.offerRestore = [](QWidget *owner, const QString &oldWallpaper) {
        return QMessageBox::question(owner,
                   QStringLiteral("Melodesk"),
                   QStringLiteral("Melodesk 上次没有正常退出，桌面仍是它换上的图片。\n要恢复原来的桌面墙纸吗？\n\n%1")
                       .arg(oldWallpaper))
            == QMessageBox::Yes;
    };
    return prompts;
}

FormDesktop *FormDesktop::loadHidden(const common::Services &services, const common::RunningValues &values)
{
    static QPointer<FormDesktop> running;
    if (running)
        return running;
    running = new FormDesktop(services, values);
    running->Form_Load();
    // The program ends without "退出(&X)": the window goes with it (before the web profile does)
    // and the user's wallpaper is offered back at the next start.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, running, [window = running] { delete window.data(); });
    return running;
}

FormDesktop::FormDesktop(
    const common::Services &services, const common::RunningValues &values, TrayMode trayMode, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_services(services)
    , m_values(values)
    , m_trayMode(trayMode)
    , m_prompts(dialogPrompts())
    , m_rotation(slideshow::SearchPictureFile)
    , m_mediaBus(QDBusConnection::sessionBus())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FormDesktop"));
    setWindowTitle(QStringLiteral("Melodesk"));
    m_workers.setMaxThreadCount(1);
    createControls();
}

FormDesktop::~FormDesktop()
{
    // A change still being composed finishes before the window's parts go.
    m_workers.waitForDone();
}

void FormDesktop::createControls()
{
    resize(420, 330);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);

    m_pictureMenu = m_menuBar->addMenu(QStringLiteral("图片(&P)"));
    m_pictureMenu->setObjectName(QStringLiteral("mPicture"));
    const auto add = [this](QMenu *menu, const char *name, const QString &text, void (FormDesktop::*handler)()) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    add(m_pictureMenu, "ViewPath", QStringLiteral("查看图片路径(&V)"), &FormDesktop::ViewPath_Click);
    StopChang = add(m_pictureMenu, "StopChang", QStringLiteral("停止更换桌面"), &FormDesktop::StopChang_Click);
    StopChang->setCheckable(true);
    add(m_pictureMenu, "Goback", QStringLiteral("上一幅图片"), &FormDesktop::Goback_Click);
    add(m_pictureMenu, "Forword", QStringLiteral("下一幅图片"), &FormDesktop::Forword_Click);
    add(m_pictureMenu, "ChangDir", QStringLiteral("切换图片目录"), &FormDesktop::ChangDir_Click);
    add(m_pictureMenu, "DefoutlDir", QStringLiteral("恢复图片目录（本地）"), &FormDesktop::DefoutlDir_Click);

    m_radioMenu = new QMenu(QStringLiteral("电台(&R)"), this);
    m_radioMenu->setObjectName(QStringLiteral("mRadio"));
    for (int i = 0; i < int(kRadioStations.size()); ++i) {
        QAction *station = m_radioMenu->addAction(QString::fromUtf8(kRadioStations[size_t(i)].caption));
        station->setObjectName(QStringLiteral("Yinyue%1").arg(i));
        station->setCheckable(true);
        connect(station, &QAction::triggered, this, [this, i] { Yinyue_Click(i); });
        Yinyue[size_t(i)] = station;
    }
    m_radioMenu->addSeparator();
    StopMusic = add(m_radioMenu, "StopMusic", QStringLiteral("停止音乐播放"), &FormDesktop::StopMusic_Click);
    StopMusic->setCheckable(true);
    add(m_radioMenu, "ChangRadio", QStringLiteral("自定音乐网址"), &FormDesktop::ChangRadio_Click);
    m_radioMenu->addSeparator();
    add(m_radioMenu, "GuanJi", QStringLiteral("立即关闭电脑"), &FormDesktop::GuanJi_Click);
    add(m_radioMenu, "CloseScreen", QStringLiteral("关闭电脑屏幕"), &FormDesktop::CloseScreen_Click);
    add(m_radioMenu, "mExit", QStringLiteral("退出(&X)"), &FormDesktop::mExit_Click);

    Picture1 = new PreviewBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setToolTip(QStringLiteral("双击打开图片"));
    // The preview keeps a small margin inside the window.
    layout->addSpacing(3);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(5, 0, 5, 4);
    row->addWidget(Picture1);
    layout->addLayout(row, 1);
    connect(Picture1, &PreviewBox::doubleClicked, this, &FormDesktop::Picture1_DblClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kChangeIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &FormDesktop::Timer1_Timer);

    Web = new QWebEngineView(this);
    Web->setObjectName(QStringLiteral("Web"));
    auto *page = new web::SilentPage(&m_services.webProfile, Web);
    page->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    Web->setPage(page);
    Web->setFixedSize(1, 1);
    Web->hide();
}

void FormDesktop::Form_Load()
{
    m_exitRequested = false;
    if (const std::optional<common::platform::ToolCall> minimize =
            common::platform::minimizeAllCommand(QGuiApplication::platformName()))
        m_services.desktop.startProgram(minimize->program, minimize->arguments);
    // The radio starts with the default station's page; no station is checked yet.
    m_radioAddress = QUrl(QString::fromLatin1(kRadioStations[kDefaultStation].page));
    navigateRadio(m_radioAddress);

    m_rotation.useFolder(m_values.DownloadFolder);
    m_rotation.setIndex(parseWallpaperIndex(m_services.settings.read(keys::kScreenSave, keys::kFileIndex)));

    // The desktop names its wallpaper later; the open goes on from there.
    m_loading = true;
    m_services.desktop.currentWallpaper([window = QPointer<FormDesktop>(this)](const QString &path) {
        if (window)
            window->loadFromOldWallpaper(path);
    });
}

void FormDesktop::loadFromOldWallpaper(const QString &fromDesktop)
{
    if (!m_loading || m_unloaded)
        return;
    m_loading = false;
    // A run that ended without "退出(&X)" left its own picture on the desktop: offer the user's
    // wallpaper back once, and never take the program's picture for the user's.
    const QString storedOld = m_services.settings.read(keys::kMyDeskTop, keys::kOldPaper);
    const bool crashed = m_services.settings.read(keys::kMyDeskTop, kRotatingKey) == QLatin1String("1");
    // A desktop that does not say falls back to the registry mirror.
    const QString current = !fromDesktop.isEmpty()
        ? fromDesktop
        : sys::ReadRegString(m_services.hive, common::RegRoot::CurrentUser, kDesktopKey, QStringLiteral("Wallpaper"));
    m_oldWallpaper = isComposedWallpaper(current, m_values.DataFolder) ? storedOld : current;
    if (crashed) {
        m_services.settings.save(keys::kMyDeskTop, kRotatingKey, QStringLiteral("0"));
        if (mayRestoreWallpaper(storedOld) && m_prompts.offerRestore && m_prompts.offerRestore(this, storedOld))
            setWallpaperFile(storedOld);
    }
    m_services.settings.save(keys::kMyDeskTop, keys::kOldPaper, m_oldWallpaper);
    sys::WriteRegString(m_services.hive,
        common::RegRoot::CurrentUser,
        kDesktopKeyLower,
        QStringLiteral("TileWallpaper"),
        QStringLiteral("0"));

    const QString stop = m_services.settings.read(keys::kMyDeskTop, keys::kStopChangVal);
    if (stop == QLatin1String("True"))
        StopChang->setChecked(true);
    else if (stop == QLatin1String("False"))
        StopChang->setChecked(false);

    const bool tray =
        m_trayMode == TrayMode::Tray || (m_trayMode == TrayMode::Auto && QSystemTrayIcon::isSystemTrayAvailable());
    if (tray) {
        m_tray = new QSystemTrayIcon(this);
        m_tray->setObjectName(QStringLiteral("TrayIcon"));
        QIcon icon = windowIcon();
        if (icon.isNull())
            icon = style()->standardIcon(QStyle::SP_DesktopIcon);
        m_tray->setIcon(icon);
        m_tray->setToolTip(QStringLiteral("《Melodesk》"));
        m_tray->setContextMenu(m_radioMenu);
        connect(m_tray, &QSystemTrayIcon::activated, this, &FormDesktop::SysTrayActivated);
        m_tray->show();
    } else {
        // Without a notification area both menus live in the menu bar.
        m_menuBar->addMenu(m_radioMenu);
    }
    m_mpris = new MprisPlayer(m_mediaBus, this);
    connect(m_mpris, &MprisPlayer::playRequested, this, [this] {
        if (isMusicStopped())
            StopMusic_Click();
    });
    connect(m_mpris, &MprisPlayer::stopRequested, this, [this] {
        if (!isMusicStopped())
            StopMusic_Click();
    });
    connect(m_mpris, &MprisPlayer::raiseRequested, this, &FormDesktop::showWindow);
    m_mpris->update(!isMusicStopped(), QStringLiteral("Melodesk"));
    Timer1->start();
    m_loaded = true;
    emit loaded();
}

QSize FormDesktop::screenSize() const
{
    if (m_screenSize.isValid())
        return m_screenSize;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QSize(1920, 1080);
    return (QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize();
}

bool FormDesktop::isStopped() const
{
    return StopChang->isChecked();
}

bool FormDesktop::isMusicStopped() const
{
    return StopMusic->isChecked();
}

int FormDesktop::checkedStation() const
{
    for (int i = 0; i < int(Yinyue.size()); ++i) {
        if (Yinyue[size_t(i)]->isChecked())
            return i;
    }
    return -1;
}

QString FormDesktop::currentPicture() const
{
    const int index = m_rotation.index();
    const QStringList &pictures = m_rotation.pictures();
    return index >= 0 && index < pictures.size() ? pictures.at(index) : QString();
}

QUrl FormDesktop::playingPage() const
{
    return Web->page()->requestedUrl().isEmpty() ? Web->url() : Web->page()->requestedUrl();
}

void FormDesktop::Timer1_Timer()
{
    if (!isStopped())
        ChangeWallpaper();
}

void FormDesktop::ChangeWallpaper()
{
    // One change at a time: a tick that comes while a picture is being composed is dropped.
    // Before the open is complete the user's wallpaper is not yet saved, so nothing changes.
    if (m_changing || m_unloaded || !m_loaded)
        return;
    const QString picture = m_rotation.beginChange();
    if (picture.isEmpty())
        return;
    startChange(picture);
}

void FormDesktop::startChange(const QString &picture)
{
    m_changing = true;
    const QString bmpPath = isStopped()
        ? QString()
        : m_values.DataFolder + wallpaperFileName(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), m_changeNumber);
    const QSize screen = screenSize();
    // A window loaded hidden has not been laid out yet.
    layout()->activate();
    const QSize box = Picture1->size().expandedTo(QSize(1, 1));
    m_workers.start([this, picture, screen, box, bmpPath] {
        ComposedWallpaper result = composeWallpaper(picture, screen, box, bmpPath);
        // The window waits for this job in its destructor, so it is still there to post to.
        QMetaObject::invokeMethod(
            this, [this, picture, result = std::move(result)] { finishChange(picture, result); }, Qt::QueuedConnection);
    });
}

void FormDesktop::finishChange(const QString &picture, const ComposedWallpaper &result)
{
    m_changing = false;
    if (m_unloaded)
        return;
    if (!result.ok) {
        // The list is rebuilt and the next picture tried, once in this change.
        const QString retry = m_rotation.changeFailed();
        if (!retry.isEmpty() && retry != picture) {
            startChange(retry);
            return;
        }
        emit changeFinished(false);
        return;
    }
    m_preview = result.preview;
    m_canvas = result.canvas;
    Picture1->setImage(m_preview);
    if (!result.writtenPath.isEmpty()) {
        ++m_changeNumber;
        m_lastWallpaperFile = result.writtenPath;
        m_services.settings.save(keys::kMyDeskTop, kRotatingKey, QStringLiteral("1"));
        setWallpaperFile(result.writtenPath);
    }
    emit changeFinished(true);
}

void FormDesktop::setWallpaperFile(const QString &path)
{
    m_services.desktop.setWallpaper(path);
    // The registry mirror names the wallpaper the program last set.
    sys::WriteRegString(m_services.hive, common::RegRoot::CurrentUser, kDesktopKey, QStringLiteral("Wallpaper"), path);
}

void FormDesktop::Forword_Click()
{
    Timer1_Timer();
}

void FormDesktop::Goback_Click()
{
    if (isStopped() || m_changing || !m_loaded)
        return;
    m_rotation.goBack();
    Timer1_Timer();
}

void FormDesktop::StopChang_Click()
{
    // The action has already toggled its own check mark.
    m_services.settings.save(
        keys::kMyDeskTop, keys::kStopChangVal, isStopped() ? QStringLiteral("True") : QStringLiteral("False"));
}

void FormDesktop::ChangDir_Click()
{
    if (!m_prompts.chooseFolder)
        return;
    const QString chosen = m_prompts.chooseFolder(this, QStringLiteral("请选择一个包含有图片文件的目录"));
    if (chosen.isEmpty())
        return;
    if (!m_rotation.switchFolder(withSlash(chosen)) && m_prompts.inform)
        m_prompts.inform(this, kNoPicturesMessage);
}

void FormDesktop::DefoutlDir_Click()
{
    m_rotation.useFolder(m_values.DownloadFolder);
}

void FormDesktop::ViewPath_Click()
{
    const QString picture = currentPicture();
    if (!picture.isEmpty())
        m_services.desktop.showInFileManager(picture);
}

void FormDesktop::Picture1_DblClick()
{
    const QString picture = currentPicture();
    if (!picture.isEmpty())
        m_services.desktop.openWithDesktop(QUrl::fromLocalFile(picture));
}

void FormDesktop::navigateRadio(const QUrl &page)
{
    Web->load(page);
    if (m_mpris) {
        const int station = checkedStation();
        const QString title = station >= 0 ? QString::fromUtf8(kRadioStations[size_t(station)].caption)
                                           : (m_radioAddress.isValid() ? m_radioAddress.toString() : QString());
        m_mpris->update(!isMusicStopped(), title);
    }
    emit musicChanged();
}

void FormDesktop::Yinyue_Click(int index)
{
    if (index < 0 || index >= int(Yinyue.size()))
        return;
    for (int i = 0; i < int(Yinyue.size()); ++i)
        Yinyue[size_t(i)]->setChecked(i == index);
    m_radioAddress = QUrl(QString::fromLatin1(kRadioStations[size_t(index)].page));
    setWindowTitle(QStringLiteral("Melodesk - ") + Yinyue[size_t(index)]->text());
    // The station plays even while "停止音乐播放" stays checked.
    navigateRadio(m_radioAddress);
}

void FormDesktop::ChangRadio_Click()
{
    if (!m_prompts.askStation)
        return;
    const std::optional<QString> answer = m_prompts.askStation(this);
    if (!answer || answer->trimmed().isEmpty())
        return;
    const QUrl page = QUrl::fromUserInput(answer->trimmed());
    // A station is a web page; anything else (a script address, a local file) is not played.
    if (!page.isValid() || (page.scheme() != QLatin1String("http") && page.scheme() != QLatin1String("https")))
        return;
    m_radioAddress = page;
    navigateRadio(m_radioAddress);
}

void FormDesktop::StopMusic_Click()
{
    // Called from the menu the action has toggled itself; from the media keys it is toggled here.
    if (sender() != StopMusic)
        StopMusic->setChecked(!StopMusic->isChecked());
    navigateRadio(isMusicStopped() ? QUrl(QStringLiteral("about:blank")) : m_radioAddress);
}

void FormDesktop::GuanJi_Click()
{
    m_services.desktop.powerOff();
}

void FormDesktop::CloseScreen_Click()
{
    sys::MonitorOff(m_services.desktop);
}

void FormDesktop::mExit_Click()
{
    m_exitRequested = true;
    close();
}

void FormDesktop::showWindow()
{
    showNormal();
    raise();
    activateWindow();
}

void FormDesktop::SysTrayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        showWindow();
}

void FormDesktop::closeEvent(QCloseEvent *event)
{
    if (!m_exitRequested) {
        event->ignore();
        if (m_tray)
            hide();
        else
            showMinimized();
        return;
    }
    Form_Unload();
    event->accept();
}

void FormDesktop::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Minimised, the window goes to the notification area (after the state change is done).
    if (event->type() == QEvent::WindowStateChange && m_tray && (windowState() & Qt::WindowMinimized))
        QTimer::singleShot(0, this, [this] {
            if (windowState() & Qt::WindowMinimized)
                hide();
        });
}

void FormDesktop::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Timer1->stop();
    if (m_tray)
        m_tray->hide();
    Web->load(QUrl(QStringLiteral("about:blank")));
    m_services.settings.save(keys::kScreenSave, keys::kFileIndex, QString::number(m_rotation.index()));
    m_services.settings.save(keys::kScreenSave, keys::kFilePath, m_rotation.folder());
    // Closed before the open was complete, the desktop has not been changed.
    if (!m_loaded)
        return;
    const QString old = m_services.settings.read(keys::kMyDeskTop, keys::kOldPaper);
    if (mayRestoreWallpaper(old))
        setWallpaperFile(old);
    // A clean exit: nothing to offer back at the next start.
    m_services.settings.save(keys::kMyDeskTop, kRotatingKey, QStringLiteral("0"));
}

}

#include "FormDesktop.moc"
