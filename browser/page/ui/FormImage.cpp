#include "browser/page/ui/FormImage.h"

#include "browser/page/DetailsPage.h"
#include "browser/page/DownloadRules.h"
#include "browser/page/ui/AddressSaver.h"
#include "common/Numbers.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/platform/Desktop.h"
#include "web/PagePolicy.h"
#include "web/ui/PageScripts.h"
#include "web/ui/PageSettings.h"
#include "web/ui/SilentPage.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace browser::page {

namespace {
    using common::px;

    // Design geometry in twips.
    constexpr int kImageWidth = 12000;
    constexpr int kImageHeight = 9000;
    constexpr int kTopRow = 60;
    constexpr int kImageRowHeight = 360;
    constexpr int kWebLeft = 50;
    constexpr int kWebTop = 480;
    constexpr int kImageButtonHeight = 420;
    constexpr int kImageButtonWidth = 1350;
    constexpr int kCmdLefts[] = { 0, 1200, 2700, 0, 4200, 5700 };
    constexpr int kImageCmbLeft = -2000;
    constexpr int kKeyEnter = 13;
    constexpr int kKeyUp = 38;
    constexpr int kKeyDown = 40;
    constexpr int kScrollStep = 100;

    // The one details window of the program.
    QPointer<FormImage> &detailsWindow()
    {
        static QPointer<FormImage> window;
        return window;
    }
}

FormImage::FormImage(const common::Services &services, common::RunningValues &values, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
    , m_values(values)
{
    setObjectName(QStringLiteral("FormImage"));
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("图片详情 -"));
    createControls();
    resize(px(kImageWidth), px(kImageHeight));
    saveAddress = [this](const QString &address) {
        AddressSaver::saveWithDialog(this, address);
    };
    Form_Load();
}

FormImage::~FormImage()
{
    // Form_Unload: the page file goes with the window.
    removeDetailsPage();
}

FormImage *FormImage::showPicture(const common::Services &services, common::RunningValues &values, const QString &url)
{
    QPointer<FormImage> &window = detailsWindow();
    if (!window)
        window = new FormImage(services, values);
    window->LoadImg(url);
    window->show();
    window->showNormal();
    window->raise();
    window->activateWindow();
    return window;
}

void FormImage::createControls()
{
    Web = new QWebEngineView(this);
    Web->setObjectName(QStringLiteral("Web"));
    // The page shows an address a web server chose: no page scripts, no reach to local files.
    m_page = new web::SilentPage(&m_services.webProfile, Web);
    web::applyGeneratedPagePolicy(m_page, web::generatedPagePolicy(web::PageText::FromWeb));
    // The picture itself is on a web server: a local page reaches web addresses only when allowed.
    // With page scripts off, the picture element is all that asks for one.
    m_page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    Web->setPage(m_page);
    Web->setContextMenuPolicy(Qt::NoContextMenu);
    connect(m_page, &QWebEnginePage::loadFinished, this, [this] { DownloadComplete(); });

    LabNet = new QLabel(QStringLiteral("网址："), this);
    LabNet->setObjectName(QStringLiteral("LabNet"));
    LabNet->setGeometry(px(kWebLeft + 60), px(kTopRow), px(600), px(kImageRowHeight));
    CombNet = new QComboBox(this);
    CombNet->setObjectName(QStringLiteral("CombNet"));
    CombNet->setEditable(true);
    CombNet->setInsertPolicy(QComboBox::NoInsert);
    CombNet->move(px(700), px(kTopRow));
    CombNet->lineEdit()->installEventFilter(this);
    connect(CombNet, &QComboBox::activated, this, [this] { CombNet_Click(); });

    CmdSearch = new QPushButton(this);
    CmdSearch->setObjectName(QStringLiteral("CmdSearch"));
    CmdSearch->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    CmdSearch->setToolTip(QStringLiteral("打开图片"));
    connect(CmdSearch, &QPushButton::clicked, this, [this] { CmdSearch_Click(); });
    CmdSave = new QPushButton(this);
    CmdSave->setObjectName(QStringLiteral("CmdSave"));
    CmdSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    CmdSave->setToolTip(QStringLiteral("保存图片"));
    connect(CmdSave, &QPushButton::clicked, this, [this] { CmdSave_Click(); });

    const std::array<std::pair<int, const char16_t *>, 4> buttons { {
        { 1, u"上一幅(&U)" },
        { 2, u"下一幅(&N)" },
        { 4, u"放大(&B)" },
        { 5, u"缩小(&M)" },
    } };
    for (const auto &[index, text] : buttons) {
        auto *button = new QPushButton(QString::fromUtf16(text), this);
        button->setObjectName(QStringLiteral("Cmd%1").arg(index));
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, i = index] { Cmd_Click(i); });
        Cmd[size_t(index)] = button;
    }

    // Off the window: it keeps the focus so the arrow keys scroll the picture.
    Cmb = new QComboBox(this);
    Cmb->setObjectName(QStringLiteral("Cmb"));
    Cmb->setGeometry(px(kImageCmbLeft), 0, px(1470), px(300));
    Cmb->installEventFilter(this);
}

void FormImage::Form_Load()
{
    GalleryIndex = 1;
}

void FormImage::LoadImg(const QString &pict)
{
    CurrentImage = pict;
    writeDetailsPage(pict);
    CombNet->setEditText(pict);
    CombNet->addItem(pict);
    CombNet->setEditText(pict);
    CombNet->setToolTip(pict);
    Web->load(QUrl::fromLocalFile(detailsPageFilePath()));
}

void FormImage::ZOOMIE(int percent)
{
    web::zoomPage(m_page, percent);
}

void FormImage::Cmd_Click(int index)
{
    const common::PictureList &pictures = m_values.pictures;
    switch (index) {
    case 1:
        GalleryIndex = previousGalleryIndex(GalleryIndex, pictures.PictureCount);
        LoadImg(pictures.at(GalleryIndex));
        break;
    case 2:
        GalleryIndex = nextGalleryIndex(GalleryIndex, pictures.PictureCount);
        LoadImg(pictures.at(GalleryIndex));
        break;
    case 4:
        ZoomPercent += 10;
        ZOOMIE(ZoomPercent);
        break;
    case 5:
        // No lower limit: the page ignores a zoom below zero.
        ZoomPercent -= 10;
        ZOOMIE(ZoomPercent);
        break;
    default:
        break;
    }
    Cmb->setFocus();
}

void FormImage::CmdSave_Click()
{
    if (!CurrentImage.isEmpty() && saveAddress)
        saveAddress(CurrentImage);
}

void FormImage::CmdSearch_Click()
{
    if (CurrentImage.isEmpty())
        return;
    const QString local = localFileOfAddress(CurrentImage);
    m_services.desktop.openWithDesktop(local.isEmpty() ? QUrl(CurrentImage) : QUrl::fromLocalFile(local));
}

void FormImage::CombNet_Click()
{
    LoadImg(CombNet->currentText());
}

void FormImage::CombNet_KeyDown(int key)
{
    if (key == kKeyEnter)
        Web->load(QUrl::fromUserInput(CombNet->currentText()));
}

void FormImage::Cmb_KeyDown(int key)
{
    if (key == kKeyUp)
        web::scrollPage(m_page, 0, -kScrollStep);
    else if (key == kKeyDown)
        web::scrollPage(m_page, 0, kScrollStep);
}

void FormImage::DownloadComplete()
{
    ZoomPercent = 100;
    Cmb->setFocus();
}

void FormImage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FormImage::Form_Resize()
{
    const int innerWidth = width() * 15;
    const int innerHeight = height() * 15;
    Web->setGeometry(px(kWebLeft), px(kWebTop), qMax(0, px(innerWidth - 100)), qMax(0, px(innerHeight - 1050)));
    for (const int index : { 1, 2, 4, 5 })
        Cmd[size_t(index)]->setGeometry(
            px(kCmdLefts[index]), px(innerHeight - 550), px(kImageButtonWidth), px(kImageButtonHeight));
    CmdSearch->setGeometry(px(innerWidth - 1200), px(kTopRow), px(500), px(kImageRowHeight));
    CmdSave->setGeometry(px(innerWidth - 600), px(kTopRow), px(500), px(kImageRowHeight));
    CombNet->resize(qMax(0, px(innerWidth - 2000)), px(kImageRowHeight));
}

bool FormImage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == CombNet->lineEdit() && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            CombNet_KeyDown(kKeyEnter);
            return true;
        }
        if (watched == Cmb && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            Cmb_KeyDown(key == Qt::Key_Up ? kKeyUp : kKeyDown);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}
