// The viewer's file and picture commands: the picture menu, list export, printing, settings and
// the slideshow.
#include "common/AppState.h"
#include "common/Paths.h"
#include "slideshow/ui/FormScreen.h"
#include "system/ui/Dialogs.h"
#include "viewer/JpegWriter.h"
#include "viewer/ui/FormPicture.h"
#include "viewer/ui/PictureCommands.h"
#include "web/ui/PageCapture.h"
#include "web/ui/PagePrinting.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QToolButton>
#include <QWebEngineView>

namespace viewer {

void FormPicture::enablePictureCommands()
{
    m_commands = std::make_unique<PictureCommands>(m_state, this);
    const auto wire = [this](const char *name, auto &&handler) {
        QAction *entry = menuEntry(QString::fromLatin1(name));
        entry->setEnabled(true);
        connect(entry, &QAction::triggered, this, handler);
    };
    wire("ToolDefaut", [this] { m_commands->openPicture(); });
    wire("ToolSeePath", [this] { m_commands->showPicturePath(); });
    wire("ToolsCopy", [this] { m_commands->savePictureCopy(); });
    wire("ToolsDel", [this] {
        // The list is not rebuilt: the deleted picture shows as a missing image until the next scan.
        if (m_commands->deletePicture())
            Web->reload();
    });
    wire("SetDesktop", [this] { m_commands->setDesktopBackground(); });
    wire("ToolsClipboard", [this] { m_commands->copyToClipboard(); });
    wire("ToolsEdit", [this] { m_commands->editPicture(); });
    wire("ToolsAttrib", [this] { m_commands->showProperties(); });
    wire("ToolSaveList", [this] { m_commands->exportList(); });
    wire("MySetup", [this] { m_commands->openSystemSettings(); });

    auto *capture = new web::PageCapture(
        Web, [](const QImage &page, const QString &target) { return SaveAsJpeg(page, target, 80); }, this);
    capture->busyHook = [this](bool busy) {
        Command9->setEnabled(!busy);
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    wire("ToolScreen", [this, capture] {
        const QString target = sys::ShowFileDialog(
            m_state, QStringLiteral("save"), QStringLiteral("截图另存为"), QStringLiteral("截图.jpg"), 2, this);
        if (!target.isEmpty())
            capture->captureToFile(target);
    });

    auto *printing = new web::PagePrinting(Web, this);
    wire("Fprint", [printing] { printing->print(); });
    wire("FprintView", [printing] { printing->printPreview(); });
    wire("FprintSet", [printing] { printing->pageSetup(); });
}

void FormPicture::Command9_Click()
{
    openSlideshow(m_state.ViewerCount > 0 ? m_dir1Path : m_state.DownloadFolder);
}

void FormPicture::AutoRunImag_Click()
{
    openSlideshow(m_state.DownloadFolder);
}

void FormPicture::openSlideshow(const QString &folder)
{
    m_state.ScreenFolder = common::withTrailingSlash(folder);
    // The slideshow shows itself full screen and deletes itself when closed.
    new slideshow::FormScreen(m_state, this);
}

}
