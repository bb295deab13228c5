// The viewer's file and picture commands: the picture menu, list export, printing, settings and
// the slideshow.
#include "common/Paths.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "slideshow/ui/FormScreen.h"
#include "system/ui/Dialogs.h"
#include "system/ui/MessagePump.h"
#include "viewer/JpegWriter.h"
#include "viewer/ViewerState.h"
#include "viewer/ui/FormPicture.h"
#include "viewer/ui/PictureCommands.h"
#include "web/ui/PageCapture.h"
#include "web/ui/PagePrinting.h"

#include <QApplication>
#include <QToolButton>
#include <QWebEngineView>

namespace viewer {

void FormPicture::createCommandObjects()
{
    m_commands = std::make_unique<PictureCommands>(m_services, m_values, m_viewerState, this);
    m_capture = new web::PageCapture(
        Web, [](const QImage &page, const QString &target) { return SaveAsJpeg(page, target, 80); }, this);
    m_capture->busyHook = [this](bool busy) {
        Command9->setEnabled(!busy);
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    m_printing = new web::PagePrinting(Web, this);
}

void FormPicture::ToolScreen_Click()
{
    const QString target = sys::ShowFileDialog(m_services.settings,
        m_viewerState.CurrentFolder,
        QStringLiteral("save"),
        QStringLiteral("截图另存为"),
        QStringLiteral("截图.jpg"),
        2,
        this);
    if (!target.isEmpty())
        m_capture->captureToFile(target);
}

void FormPicture::ToolsDel_Click()
{
    // The list is not rebuilt: the deleted picture shows as a missing image until the next scan.
    if (m_commands->deletePicture(m_pump.RightClickPath))
        Web->reload();
}

void FormPicture::Command9_Click()
{
    openSlideshow(m_viewerState.ViewerCount > 0 ? m_dir1Path : m_values.DownloadFolder);
}

void FormPicture::AutoRunImag_Click()
{
    openSlideshow(m_values.DownloadFolder);
}

void FormPicture::openSlideshow(const QString &folder)
{
    // The slideshow shows itself full screen and deletes itself when closed.
    new slideshow::FormScreen(m_services, m_values, folder, this);
}

}
