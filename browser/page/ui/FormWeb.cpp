#include "browser/page/ui/FormWeb.h"

#include "browser/frame/AddressRules.h"
#include "browser/frame/ClosedPages.h"
#include "browser/frame/PageCommands.h"
#include "browser/page/DownLoad.h"
#include "browser/page/Fetch.h"
#include "browser/page/PageCaptureRules.h"
#include "browser/page/PictureFiles.h"
#include "browser/page/PicturePipeline.h"
#include "browser/page/SearchSites.h"
#include "browser/page/ui/PageHost.h"
#include "browser/page/ui/PagePictures.h"
#include "common/FileAttributes.h"
#include "common/Numbers.h"
#include "common/Paths.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/platform/Desktop.h"
#include "system/RegistryOps.h"
#include "system/ui/Dialogs.h"
#include "viewer/JpegWriter.h"
#include "viewer/ThumbnailPageBuilder.h"
#include "web/ui/PageCapture.h"
#include "web/ui/PageScripts.h"
#include "web/ui/PageSettings.h"
#include "web/ui/SilentPage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QThreadPool>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineView>

namespace browser::page {

namespace {

    using common::px;

    // Where the window waits until the frame moves it into place.
    constexpr int kOffScreenLeft = 40000;
    constexpr int kBarHiddenLeft = -5000;
    constexpr int kWebCmbLeft = -2000;

    // Runs work on the thread pool and hands what it returns to deliver on the event loop, unless
    // guard has gone by then.
    template <typename Guarded, typename Work, typename Deliver>
    void runBeside(const QPointer<Guarded> &guard, Work work, Deliver deliver)
    {
        QThreadPool::globalInstance()->start([guard, work, deliver] {
            auto result = work();
            QMetaObject::invokeMethod(
                qApp,
                [guard, deliver, result] {
                    if (guard)
                        deliver(result);
                },
                Qt::QueuedConnection);
        });
    }

    // The labels along the bottom edge, in twips: left and width. Lab(6) stretches with the
    // window; Lab(7) and Lab(8) stand right of it.
    constexpr int kLabelLefts[9] = { 0, 5700, 5850, 7650, 7800, 9450, 9600, 0, 0 };
    constexpr int kLabelWidths[9] = { 5700, 150, 1800, 150, 1650, 150, 0, 150, 1800 };
    constexpr int kLabelHeight = 255;

    // The document's own title: the engine reports the address as the title of a page without one.
    QString documentTitle(const QWebEnginePage *page)
    {
        QString title = page->title();
        const QUrl url = page->url();
        // The engine names an untitled page by its address, or a local file by its name.
        if (title == url.toString() || title == url.toDisplayString()
            || title == url.toString(QUrl::RemoveScheme).mid(2) || (url.isLocalFile() && title == url.fileName()))
            return QString();
        return title;
    }

}

void PageRequestFilter::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    const auto type = info.resourceType();
    const bool media = type == QWebEngineUrlRequestInfo::ResourceTypeMedia;
    const bool object = type == QWebEngineUrlRequestInfo::ResourceTypeObject
        || type == QWebEngineUrlRequestInfo::ResourceTypePluginResource;
    if ((media && blockMedia) || (object && blockObjects)) {
        info.block(true);
        ++refused;
    }
}

FormWeb::FormWeb(PageHost &host,
    const common::Services &services,
    common::RunningValues &values,
    frame::ClosedPages &closedPages,
    int slot,
    QString intoUrl,
    bool safeMode,
    QWidget *parent)
    : QWidget(parent)
    , myindex(slot)
    , Intourl(std::move(intoUrl))
    , m_host(host)
    , m_services(services)
    , m_values(values)
    , m_closedPages(closedPages)
{
    setObjectName(QStringLiteral("FormWeb%1").arg(slot));
    setAttribute(Qt::WA_DeleteOnClose);
    createControls();
    Form_Load(safeMode);
}

FormWeb::~FormWeb()
{
    // Focus moves while the controls go: nothing is reported to the frame any more.
    disconnect(qApp, nullptr, this, nullptr);
    // A page answers the scripts it still owes while it goes: those answers find the window going
    // and the saving pass gone, so nothing acts on controls being taken down.
    m_destroying = true;
    disconnect(m_page, nullptr, this, nullptr);
    if (m_galleryPage)
        disconnect(m_galleryPage, nullptr, this, nullptr);
    delete m_saver;
    m_saver = nullptr;
    // The page goes before its request filter.
    delete Web;
    Web = nullptr;
}

void FormWeb::createControls()
{
    Web = new QWebEngineView(this);
    Web->setObjectName(QStringLiteral("Web"));
    m_page = new web::SilentPage(&m_services.webProfile, Web);
    m_filter = new PageRequestFilter(this);
    m_page->setUrlRequestInterceptor(m_filter);
    Web->setPage(m_page);
    // The page's own context menu does not open.
    Web->setContextMenuPolicy(Qt::NoContextMenu);
    m_page->setNewWindowHandler([this](QWebEnginePage::WebWindowType) { return m_host.openPopupTab(this); });

    m_pictures = new PagePictureFetcher(m_page, this);
    PictureSaver::Operations operations;
    operations.queryImages = [this](std::function<void(QList<PageImage>)> done) {
        queryPageImages(m_page, std::move(done));
    };
    operations.takePicture = [this](const PageImage &image, const QString &file, std::function<void(bool)> done) {
        takePicture(image, file, std::move(done));
    };
    // The pictures after the one being saved are fetched, decoded and encoded meanwhile.
    m_ahead = new PicturePipeline(
        [this](const QString &src, std::function<void(const QByteArray &, bool)> done) {
            m_pictures->fetch(src, std::move(done));
        },
        this);
    operations.prefetch = [this](const PageImage &image) {
        m_ahead->prepare(image.src, m_values.DownloadFolder);
    };
    // Addresses are fetched by the program's downloader unless the owner gives another way; a
    // file that appeared under the name meanwhile is never replaced.
    m_fetch = [this](const QString &url, const QString &file, std::function<void(bool)> done) {
        fetchToFile(url, file, DownLoad::kPictureByteLimit, this, std::move(done), false);
    };
    operations.fetch = [this](const QString &url, const QString &file, std::function<void(bool)> done) {
        m_fetch(url, file, std::move(done));
    };
    m_saver = new PictureSaver(m_values, operations, this);
    connect(m_saver, &PictureSaver::foundText, this, [this](const QString &text) { Lab[2]->setText(text); });
    connect(m_saver, &PictureSaver::barChanged, this, [this](const SaveBar &bar) {
        Lab[8]->setText(bar.caption);
        Lab[8]->resize(qMax(0, px(bar.width)), Lab[8]->height());
        // The bar's colour is kept as blue, green, red.
        const QColor colour(bar.backColour & 0xFF, (bar.backColour >> 8) & 0xFF, (bar.backColour >> 16) & 0xFF);
        // Every saved picture moves the bar; its style is set again only when the colour changes.
        const QString style = QStringLiteral("background-color: %1").arg(colour.name());
        if (Lab[8]->styleSheet() != style)
            Lab[8]->setStyleSheet(style);
    });
    connect(m_saver, &PictureSaver::passEnded, this, &FormWeb::onPassEnded);

    const QString texts[9] = { QString(),
        QString(),
        QStringLiteral("0"),
        QString(),
        QString(),
        QString(),
        QStringLiteral("自动下载图片的浏览器"),
        QString(),
        QStringLiteral("  自动下载图片 0") };
    for (int i = 0; i < 9; ++i) {
        auto *label = new QLabel(texts[i], this);
        label->setObjectName(QStringLiteral("Lab%1").arg(i));
        label->setGeometry(px(kLabelLefts[i]), 0, px(kLabelWidths[i]), px(kLabelHeight));
        Lab[size_t(i)] = label;
    }
    Lab[8]->installEventFilter(this);
    Lab[8]->setAutoFillBackground(true);
    Lab[8]->setCursor(Qt::PointingHandCursor);

    Cmb = new QComboBox(this);
    Cmb->setObjectName(QStringLiteral("Cmb"));
    Cmb->setGeometry(px(kWebCmbLeft), 0, px(1470), px(300));
    Cmb->installEventFilter(this);

    Timer2 = new QTimer(this);
    Timer2->setInterval(LoadWatch::kIntervalMs);
    connect(Timer2, &QTimer::timeout, this, &FormWeb::Timer2_Timer);
    Timer3 = new QTimer(this);
    Timer3->setInterval(SaveTicker::kIntervalMs);
    connect(Timer3, &QTimer::timeout, this, &FormWeb::Timer3_Timer);

    // The page view's events.
    connect(m_page, &QWebEnginePage::linkHovered, this, [this](const QString &url) { Lab[0]->setText(url); });
    connect(m_page, &QWebEnginePage::loadProgress, this, [this](int percent) { Web_ProgressChange(percent, 100); });
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] { BeforeDownload(); });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this] {
        Web_ProgressChange(-1, 0);
        Web_DocumentComplete();
    });
    connect(m_page, &QWebEnginePage::titleChanged, this, [this] { Web_TitleChange(); });
    const auto commandState = [this] {
        if (!m_host.isCurrentTab(this))
            return;
        m_backEnabled = m_page->history()->canGoBack();
        m_forwardEnabled = m_page->history()->canGoForward();
        butenableable();
    };
    connect(m_page, &QWebEnginePage::urlChanged, this, commandState);
    connect(m_page, &QWebEnginePage::loadFinished, this, commandState);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && (now == Web || Web->isAncestorOf(now)))
            m_host.pageViewFocused();
    });
}

void FormWeb::Form_Load(bool safeMode)
{
    AutoFind = false;
    BigSize = 100;
    Tu = 0;
    ColorSel = QStringLiteral("#FFFFFF");
    Lab[4]->setText(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    move(px(kOffScreenLeft), 0);
    // Every page starts with the download control's initial value: all content allowed.
    applyContentSettings(frame::pageContentSettings(frame::cWebBrowser::kInitialFlags), false);
    if (!m_values.browser.BackgroundTabs)
        SetActivate();
    if (needsControlledMode(safeMode, Intourl))
        PageJavaConctrl();
    Timer3->start();
}

QString FormWeb::LocationURL() const
{
    const QUrl url = m_page->url();
    return url.isEmpty() ? QString() : url.toString();
}

void FormWeb::Navigate(const QString &address)
{
    // The address as typed: the engine reads a host name without a scheme as a web address, as
    // any browser's address box does; an empty address leaves the page empty.
    if (!address.isEmpty())
        m_page->load(QUrl::fromUserInput(address));
}

void FormWeb::showsGeneratedPage()
{
    web::applyGeneratedPagePolicy(m_page, web::generatedPagePolicy(web::PageText::FromWeb));
}

void FormWeb::SetActivate()
{
    m_host.pageActivated(this);
}

void FormWeb::butenableable()
{
    m_host.setNavigationEnabled(m_backEnabled, m_forwardEnabled);
}

void FormWeb::PageJavaConctrl()
{
    vCWebMe = std::make_unique<frame::cWebBrowser>();
    vCWebMe->INIAll(
        [this](const frame::PageContentSettings &settings, bool refresh) { applyContentSettings(settings, refresh); });
    // Safe mode: the page's own scripts do not run (the program's scripts still do, in their own
    // world).
    if (m_values.browser.SafeMode)
        vCWebMe->setDL_Script(false);
}

void FormWeb::applyContentSettings(const frame::PageContentSettings &settings, bool refresh)
{
    QWebEngineSettings *s = m_page->settings();
    s->setAttribute(QWebEngineSettings::AutoLoadImages, settings.autoLoadImages);
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, settings.javascriptEnabled);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, settings.pluginsEnabled);
    m_filter->blockMedia = settings.blockMedia();
    m_filter->blockObjects = settings.blockObjects;
    const QString address = LocationURL();
    if (refresh && !address.isEmpty() && address != QLatin1String("about:blank"))
        m_page->triggerAction(QWebEnginePage::Reload);
}

void FormWeb::Web_ProgressChange(qint64 progress, qint64 progressMax)
{
    const ProgressText::Step step = m_progress.onProgress(progress, progressMax, m_values.browser.AutoSave);
    Lab[4]->setText(step.text);
    if (step.startSaveTimer)
        Timer3->start();
}

void FormWeb::Web_TitleChange()
{
    const TitleChange change = m_titles.onTitleChange(
        documentTitle(m_page), LocationURL(), m_values.browser.StartPage, m_host.isCurrentTab(this));
    m_host.setTabLabel(myindex, change.labelText, change.labelToolTip);
    setWindowTitle(change.windowCaption);
    if (change.addHistoryRow)
        m_history.AddHistoryRow(QDateTime::currentDateTime(), LocationURL(), change.title);
    if (change.updatesFrame) {
        myname = change.title;
        m_host.showActivePage(change.frameCaption, change.addressText);
    }
}

void FormWeb::Web_DocumentComplete()
{
    Timer2->start();
    // A new blank tab keeps the focus in the address box, where the user types its address.
    if (m_host.isCurrentTab(this) && LocationURL() != QLatin1String("about:blank")) {
        Cmb->setFocus();
        SetActivate();
    }
}

void FormWeb::Timer2_Timer()
{
    const LoadWatch::Step step =
        m_loadWatch.tick(LocationURL(), m_host.isCurrentTab(this), m_values.browser.BackgroundTabs);
    if (step.stopTimer)
        Timer2->stop();
    if (step.clearAddressBox)
        m_host.setAddressText(QString());
    if (step.activateThisTab)
        m_host.bringForward(this);
}

void FormWeb::Timer3_Timer()
{
    const SaveTicker::Step step = m_saveTicker.tick(m_values.browser.AutoSave);
    if (step.stopTimer)
        Timer3->stop();
    if (step.save) {
        m_host.setBatchSaveEnabled(false);
        m_timerPass = true;
        SavePictureDisk(m_values.DownloadFolder);
        if (!m_saver->SavingPictures()) {
            m_timerPass = false;
            m_host.setBatchSaveEnabled(true);
        }
    } else {
        AutoFind = true;
        SearchPic();
    }
}

QString FormWeb::galleryFilePath()
{
    return common::pageFilePath(QStringLiteral("Quodra.htm"));
}

void FormWeb::SearchPic()
{
    QPointer<FormWeb> self(this);
    queryPageImages(m_page, [self](const QList<PageImage> &images) {
        if (!self || self->m_destroying)
            return;
        const SearchResult result = browser::page::SearchPic(images, self->m_values.pictures, self->AutoFind);
        if (result.overflowed) {
            emit self->galleryDone();
            return;
        }
        if (!result.foundText.isEmpty())
            self->Lab[2]->setText(result.foundText);
        if (self->AutoFind) {
            emit self->galleryDone();
            return;
        }
        const int width = galleryColumnWidth(self->Web->width() * 15);
        self->writeAndShowGallery(searchGalleryPage(self->m_values.pictures, width),
            QStringLiteral("图片总数：%1").arg(self->m_values.pictures.PictureCount));
    });
}

QWebEngineView *FormWeb::galleryView()
{
    if (WebPic)
        return WebPic;
    // The gallery's view is made the first time a gallery is asked for: most tabs never show one.
    WebPic = new QWebEngineView(this);
    WebPic->setObjectName(QStringLiteral("WebPic"));
    m_galleryPage = new web::SilentPage(&m_services.webProfile, WebPic);
    web::applyGeneratedPagePolicy(m_galleryPage, web::generatedPagePolicy(web::PageText::FromWeb));
    // The gallery file shows the web's pictures; it runs no scripts, so reaching web addresses
    // gives it nothing but the pictures.
    m_galleryPage->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    WebPic->setPage(m_galleryPage);
    WebPic->setContextMenuPolicy(Qt::NoContextMenu);
    WebPic->hide();
    WebPic->setGeometry(
        0, px(m_layout.webTop), qMax(0, px(m_layout.galleryWidth)), qMax(0, px(m_layout.galleryHeight)));
    // A click on a gallery picture opens no window: the picture's details are shown instead.
    connect(m_galleryPage, &web::SilentPage::newWindowRefused, this, [this](const QUrl &url) {
        m_host.openPictureDetails(url.toString());
    });
    return WebPic;
}

void FormWeb::LoadPic()
{
    const int width = layoutWidth(galleryView()->width() * 15, Tu);
    writeAndShowGallery(layoutGalleryPage(m_values.pictures, width, Tu, ColorSel),
        QStringLiteral("图片总数：%1").arg(m_values.pictures.PictureCount));
}

void FormWeb::PictFangZhen()
{
    Tu = nextColumnSelector(Tu);
    LoadPic();
}

void FormWeb::PictLaShen()
{
    if (GalleryMode) {
        GalleryMode = false;
        AutoFind = false;
        SearchPic();
    } else {
        GalleryMode = true;
        Tu = 0;
        PictFangZhen();
    }
}

void FormWeb::writeAndShowGallery(const QString &html, const QString &countText)
{
    const QString path = galleryFilePath();
    if (!path.isEmpty()) {
        // A file that cannot be written leaves the gallery view showing what the file holds.
        viewer::writePageFile(path, html);
        galleryView();
        m_galleryPage->load(QUrl::fromLocalFile(path));
    }
    Lab[2]->setText(countText);
    m_host.galleryWritten(this);
    emit galleryDone();
}

void FormWeb::showGallery(bool on)
{
    if (on) {
        galleryView()->setGeometry(
            0, px(m_layout.webTop), qMax(0, px(m_layout.galleryWidth)), qMax(0, px(m_layout.galleryHeight)));
        WebPic->show();
        WebPic->raise();
    } else if (WebPic) {
        WebPic->hide();
    }
}

void FormWeb::BeforeDownload()
{
    m_ahead->clear();
    m_saver->BeforeDownload();
    m_saveTicker.rearm();
    Timer3->start();
}

void FormWeb::SavePictureDisk(const QString &path)
{
    if (m_saver->SavePictureDisk(path) == PictureSaver::Start::Busy)
        Timer3->start(); // its next tick tries again
}

void FormWeb::SavePictureForSize()
{
    m_saver->SavePictureForSize();
}

void FormWeb::AutoDownLoadImag()
{
    m_saver->AutoDownLoadImag();
}

void FormWeb::onPassEnded()
{
    m_ahead->clear();
    if (m_timerPass && !m_saver->SavingPictures()) {
        m_timerPass = false;
        m_host.setBatchSaveEnabled(true);
    }
    if (m_saver->CloseRequested() && !m_saver->SavingPictures()) {
        // The close the pass deferred completes now.
        QTimer::singleShot(0, this, [this] {
            close();
            emit deferredCloseDone();
        });
    }
}

void FormWeb::takePicture(const PageImage &image, const QString &file, std::function<void(bool)> done)
{
    QPointer<PictureSaver> saver(m_saver);
    m_ahead->take(image.src, file, [this, saver, src = image.src, file, done](bool taken) {
        if (!saver)
            return;
        if (taken || !m_fetch) {
            done(taken);
            return;
        }
        // The page may not read a picture of another site: the program's own fetch brings it.
        m_fetch(src, file, [saver, file, done](bool fetched) {
            if (!saver)
                return;
            QFile in(file);
            if (!fetched || !in.open(QIODevice::ReadOnly)) {
                done(false);
                return;
            }
            runBeside(
                saver, [file, bytes = in.readAll()] { return encodePictureBytes(bytes, file); }, done);
        });
    });
}

void FormWeb::createSelectionBar()
{
    if (PictMouse)
        return;
    PictMouse = new QFrame(this);
    PictMouse->setObjectName(QStringLiteral("PictMouse"));
    PictMouse->setFrameShape(QFrame::Box);
    PictMouse->setAutoFillBackground(true);
    auto *barLayout = new QHBoxLayout(PictMouse);
    barLayout->setContentsMargins(4, 1, 4, 1);
    const QString copyTexts[2] = { QStringLiteral("搜索  |"), QStringLiteral("复制") };
    for (int i = 0; i < 2; ++i) {
        auto *label = new QLabel(copyTexts[i], PictMouse);
        label->setObjectName(QStringLiteral("LabCopy%1").arg(i));
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        barLayout->addWidget(label);
        LabCopy[size_t(i)] = label;
    }
    PictMouse->adjustSize();
    PictMouse->move(px(kBarHiddenLeft), 0);
    PictMouse->show();
}

void FormWeb::zhan(QPoint cursor)
{
    SelectedText = m_page->selectedText();
    m_host.selectionTaken(SelectedText);
    if (SelectedText.isEmpty())
        return;
    createSelectionBar();
    // The bar stands just below the cursor, a little to its left.
    PictMouse->move(mapFromGlobal(cursor) + QPoint(-px(500), 12));
    PictMouse->raise();
}

void FormWeb::hideSelectionBar()
{
    if (PictMouse)
        PictMouse->move(px(kBarHiddenLeft), PictMouse->y());
}

void FormWeb::LabCopy_Click(int index)
{
    if (index == 0)
        m_host.openInNewTab(frame::webSearchAddress(SelectedText));
    else
        m_services.desktop.setClipboardText(SelectedText);
    hideSelectionBar();
}

void FormWeb::Cmb_KeyDown(int key)
{
    if (key == Qt::Key_Up)
        web::scrollPage(m_page, 0, -100);
    else if (key == Qt::Key_Down)
        web::scrollPage(m_page, 0, 100);
}

void FormWeb::focusControl()
{
    Cmb->setFocus();
}

void FormWeb::ScreenSaveAs(QWebEngineView *view, const QString &frameCaption, bool galleryShown)
{
    if (!captureAllowed(galleryShown, m_values.browser.SafeMode)) {
        QMessageBox::information(this, frame::kSettingsCentreTitle, kCaptureSafeModeMessage);
        return;
    }
    const std::optional<QString> name = captureFileName(frameCaption);
    if (!name)
        return;
    if (!view)
        view = Web;
    if (m_capture && m_capture->isBusy())
        return;
    const QString target = sys::ShowFileDialog(m_services.settings,
        m_values.DownloadFolder,
        QStringLiteral("save"),
        kCaptureDialogTitle,
        sys::SafeFileName(*name),
        kCaptureFilterIndex,
        this);
    if (target.isEmpty())
        return;
    if (!m_capture || m_captureView != view) {
        delete m_capture;
        m_capture = new web::PageCapture(
            view,
            [](const QImage &page, const QString &path) { return viewer::SaveAsJpeg(page, path, kCaptureJpegQuality); },
            this);
        m_capture->busyHook = [](bool busy) {
            if (busy)
                QApplication::setOverrideCursor(Qt::WaitCursor);
            else
                QApplication::restoreOverrideCursor();
        };
        m_captureView = view;
    }
    // A written picture is announced with one beep; a failure with a message instead.
    m_capture->captureToFile(target);
}

bool FormWeb::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Cmb && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Cmb_KeyDown(key);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == LabCopy[0] || watched == LabCopy[1]) {
            LabCopy_Click(watched == LabCopy[0] ? 0 : 1);
            return true;
        }
        if (watched == Lab[8]) {
            m_host.openDownloadFolder();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FormWeb::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FormWeb::Form_Resize()
{
    m_layout.resize(width() * 15, height() * 15);
    Web->setGeometry(0, px(m_layout.webTop), qMax(0, px(m_layout.webWidth)), qMax(0, px(m_layout.webHeight)));
    if (WebPic)
        WebPic->setGeometry(
            0, px(m_layout.webTop), qMax(0, px(m_layout.galleryWidth)), qMax(0, px(m_layout.galleryHeight)));
    const int top = px(m_layout.labelsTop);
    for (int i = 0; i < 9; ++i)
        Lab[size_t(i)]->move(Lab[size_t(i)]->x(), top);
    Lab[6]->resize(qMax(0, px(m_layout.lab6Width)), Lab[6]->height());
    const int right = px(kLabelLefts[6]) + Lab[6]->width();
    Lab[7]->move(right, top);
    Lab[8]->move(right + px(kLabelWidths[7]), top);
    hideSelectionBar();
}

void FormWeb::closeEvent(QCloseEvent *event)
{
    if (!m_closed && m_saver->deferClose()) {
        // The pass stops at its next step and then closes the window.
        Timer3->stop();
        hide();
        event->ignore();
        return;
    }
    if (!m_closed) {
        m_closed = true;
        Form_QueryUnload();
    }
    event->accept();
}

void FormWeb::Form_QueryUnload()
{
    Timer2->stop();
    Timer3->stop();
    const QString address = LocationURL();
    const CloseRecord record = closeRecordFor(address);
    if (record.recordClosedPage) {
        if (const auto entry = m_closedPages.recordClosedPage(windowTitle(), address))
            m_host.addAddressListEntry(*entry);
    }
    if (record.writeHistory) {
        m_history.WriteTabHistory(m_values.DataFolder, QDate::currentDate());
        const QString gallery = galleryFilePath();
        if (!gallery.isEmpty() && QFile::exists(gallery)) {
            common::setFileAttributes(gallery, 0);
            QFile::remove(gallery);
        }
    }
}

}
