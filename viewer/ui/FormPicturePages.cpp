// The viewer's page commands: listing a folder, building and turning thumbnail pages, zoom and
// scrolling.
#include "common/Paths.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "system/ui/Dialogs.h"
#include "system/ui/MessagePump.h"
#include "viewer/FolderScan.h"
#include "viewer/ThumbnailPageBuilder.h"
#include "viewer/ViewerState.h"
#include "viewer/search/MediaSearch.h"
#include "viewer/ui/FormPicture.h"
#include "viewer/ui/FormSearch.h"
#include "viewer/ui/ScaledPictureRoute.h"
#include "web/ui/PageScripts.h"

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace viewer {

void FormPicture::Dir1_Change()
{
    ScanDone = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const FolderScanResult scan = scanFolder(m_dir1Path, TargetFileName);
    applyFolderScan(scan, m_viewerState);
    QApplication::restoreOverrideCursor();
    ShowFirstPage();
    if (scan.boundReached)
        Lab[2]->setToolTip(QStringLiteral("只列出前 %1 张图片").arg(ViewerState::kViewerListBound));
    else
        Lab[2]->setToolTip(QString());
}

MediaSearch &FormPicture::mediaSearch()
{
    if (m_mediaSearch)
        return *m_mediaSearch;
    m_mediaSearch = new MediaSearch(m_viewerState.SearchStop, this);
    connect(m_mediaSearch, &MediaSearch::folderEntered, this, [this](const QString &folder) {
        Lab[0]->setText(searchingFolderText(folder));
        if (m_mediaSearch->Seltype == kSearchPictures)
            Lab[2]->setText(pictureTotalText(m_mediaSearch->FoundCount()));
    });
    connect(m_mediaSearch, &MediaSearch::finished, this, [this] {
        // A search that ends because the viewer closes leaves the viewer alone.
        if (m_closing)
            return;
        Lab[0]->setText(QStringLiteral("当前路径："));
        if (m_mediaSearch->runningCategory() != kSearchPictures || m_mediaSearch->Seltype != kSearchPictures)
            return;
        m_viewerState.CurrentFolder = common::withTrailingSlash(m_mediaSearch->startFolder());
        m_viewerState.ViewerList = m_mediaSearch->found();
        m_viewerState.ViewerListText = m_mediaSearch->foundText();
        m_viewerState.ViewerCount = m_mediaSearch->FoundCount();
        ShowFirstPage();
    });
    return *m_mediaSearch;
}

void FormPicture::searchImage(const QString &folder)
{
    Lab[6]->setText(QStringLiteral("Orlavue "));
    mediaSearch().start(folder, qint64(m_values.viewer.MinPictureKB) * 1000);
}

void FormPicture::Command5_Click()
{
    FormSearch window(m_services, m_values, m_viewerState, *this, this);
    window.exec();
}

void FormPicture::ShowFirstPage()
{
    m_navigation.ShowFirstPage();
    setPageButtons();
    BuildThumbnailPage();
}

void FormPicture::BuildThumbnailPage()
{
    ThumbnailPageInput input;
    input.ViewerList = m_viewerState.ViewerList;
    input.ViewerCount = m_viewerState.ViewerCount;
    input.CurrentPage = m_navigation.CurrentPage;
    input.PageSize = m_values.viewer.PageSize;
    input.LayoutMode = LayoutMode;
    input.PageBackColour = PageBackColour;
    input.webWidthTwips = Web->width() * 15;
    input.CurrentFolder = m_viewerState.CurrentFolder;
    const ThumbnailPage page = viewer::BuildThumbnailPage(input);
    showPage(page.html, page.TotalPages, page.nextEnabled, page.CurrentFolder);
}

void FormPicture::showPage(const QString &html, int totalPages, bool nextEnabled, const QString &folder)
{
    const bool written = writeThumbnailPageFile(html);
    m_navigation.pageBuilt(totalPages, nextEnabled);
    setPageButtons();
    m_viewerState.CurrentFolder = folder;
    Web->setUrl(QUrl::fromLocalFile(thumbnailPageFilePath()));
    Lab[0]->setText(QStringLiteral("当前路径：") + m_viewerState.CurrentFolder);
    Lab[2]->setText(QStringLiteral("图片总数：") + QString::number(m_viewerState.ViewerCount));
    Lab[6]->setText(QStringLiteral("Orlavue     第 %1 页  ， 共 %2 页").arg(m_navigation.CurrentPage).arg(totalPages));
    // Without its page file the view stays blank: say why instead of the page numbers.
    if (!written)
        Lab[6]->setText(QStringLiteral("无法写入页面文件：") + thumbnailPageFilePath());
}

void FormPicture::setPageButtons()
{
    CmdPage[0]->setEnabled(m_navigation.previousEnabled);
    CmdPage[1]->setEnabled(m_navigation.nextEnabled);
    menuEntry(QStringLiteral("Eback"))->setEnabled(m_navigation.previousEnabled);
    menuEntry(QStringLiteral("Eforward"))->setEnabled(m_navigation.nextEnabled);
}

void FormPicture::setButtonColour(QToolButton *button, bool yellow)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, yellow ? QColor(255, 255, 0) : QApplication::palette().color(QPalette::Button));
    button->setPalette(palette);
}

void FormPicture::Command1_Click()
{
    openPictureFile(sys::ShowFileDialog(m_services.settings,
        m_viewerState.CurrentFolder,
        QStringLiteral("open"),
        QStringLiteral("打开图像"),
        QString(),
        2,
        this));
}

void FormPicture::openPictureFile(const QString &chosen)
{
    if (chosen.isEmpty())
        return;
    const qsizetype slash = chosen.lastIndexOf(QLatin1Char('/'));
    TargetFileName = chosen.mid(slash + 1);
    m_viewerState.CurrentFolder = chosen.left(slash + 1);
    // The scan and the first page follow at once (a folder of 20,001 pictures lists in well
    // under a frame), and the page replaces this text when the view next paints.
    Web->setHtml(QStringLiteral("<body>图像载入……</body>"));
    ScanDone = false;
    selectDrive(m_viewerState.CurrentFolder);
    setDir1Path(m_viewerState.CurrentFolder);
    if (!ScanDone)
        Dir1_Change();
}

void FormPicture::Command2_Click()
{
    if (m_viewerState.ViewerCount > 0)
        BuildThumbnailPage();
}

void FormPicture::Command7_Click()
{
    if (m_viewerState.ViewerCount <= 0)
        return;
    LayoutMode = nextLayoutMode(LayoutMode);
    BuildThumbnailPage();
}

void FormPicture::ImgComb_Click()
{
    if (m_viewerState.ViewerCount <= 0)
        return;
    ColourIndex = nextColourIndex(ColourIndex);
    PageBackColour = PageBackColourFor(ColourIndex);
    BuildThumbnailPage();
    Cmb->setFocus();
}

void FormPicture::Command10_Click()
{
    if (m_viewerState.ViewerCount <= 0)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const FitWidthState toggled = toggleFitWidth(FitWidthOn);
    FitWidthOn = toggled.FitWidthOn;
    LayoutMode = toggled.LayoutMode;
    setButtonColour(Command10, FitWidthOn == 1);

    ThumbnailPageInput input;
    input.ViewerList = m_viewerState.ViewerList;
    input.ViewerCount = m_viewerState.ViewerCount;
    input.CurrentPage = m_navigation.CurrentPage;
    input.PageSize = m_values.viewer.PageSize;
    input.PageBackColour = PageBackColour;
    input.webWidthTwips = Web->width() * 15;
    input.CurrentFolder = m_viewerState.CurrentFolder;
    const ThumbnailPage page = BuildFitWidthPage(input, FitWidthOn);
    showPage(page.html, page.TotalPages, page.nextEnabled, page.CurrentFolder);
    QApplication::restoreOverrideCursor();
    Web->setFocus();
}

void FormPicture::CmdPage_Click(int index)
{
    if (m_navigation.CmdPage_Click(index)) {
        setPageButtons();
        BuildThumbnailPage();
    }
}

void FormPicture::ToolJump_Click()
{
    for (;;) {
        bool accepted = false;
        const QString answer = QInputDialog::getText(
            this, jumpTitle(), jumpPrompt(), QLineEdit::Normal, QString::number(m_navigation.CurrentPage), &accepted);
        const JumpDecision decision = decideJump(answer, !accepted, m_navigation.TotalPages);
        if (decision.action == JumpDecision::Action::AskAgain) {
            QMessageBox::information(this, caption(), decision.message);
            continue;
        }
        if (decision.action == JumpDecision::Action::Go) {
            m_navigation.jumpTo(decision.page);
            setPageButtons();
            BuildThumbnailPage();
        }
        return;
    }
}

void FormPicture::BigP_Click(int index)
{
    ZoomPercent = zoomAfterClick(ZoomPercent, index);
    ZOOMIE(ZoomPercent);
    Web->setFocus();
}

void FormPicture::ZOOMIE(int percent)
{
    web::zoomPage(Web->page(), percent);
    viewer::askCopiesAtZoom(Web->page(), percent);
}

void FormPicture::scrollView(int dy)
{
    sys::MessagePump::scrollBy(Web, 0, dy);
}

void FormPicture::MoveUp_Click(int index)
{
    const AutoScroll::ClickResult result = m_autoScroll.MoveUp_Click(index);
    setButtonColour(MoveUp[0], m_autoScroll.isRunning(0));
    setButtonColour(MoveUp[1], m_autoScroll.isRunning(1));
    if (result.focusView)
        Web->setFocus();
    if (result.startTimer && !Timer1->isActive())
        Timer1->start();
    if (result.jump == AutoScroll::Jump::Bottom)
        ToolsButton_Click();
    else if (result.jump == AutoScroll::Jump::Top)
        ToolsTop_Click();
}

void FormPicture::Timer1_Timer()
{
    const AutoScroll::TickResult tick = m_autoScroll.Timer1_Timer();
    if (!tick.timerContinues)
        Timer1->stop();
    scrollView(tick.dy);
}

void FormPicture::Speed_Click(int index)
{
    m_autoScroll.Speed_Click(index);
    for (int i = 0; i < int(Speed.size()); ++i)
        Speed[size_t(i)]->setChecked(i == m_autoScroll.checkedSpeed());
}

void FormPicture::ToolsTop_Click()
{
    scrollView(instantScrollDelta(false));
    Cmb->setFocus();
}

void FormPicture::ToolsButton_Click()
{
    scrollView(instantScrollDelta(true));
    Cmb->setFocus();
}

void FormPicture::Cmb_KeyDown(int key)
{
    const int dy = arrowKeyDelta(key);
    if (dy != 0)
        scrollView(dy);
}

}
