#include "viewer/ui/PictureCommands.h"

#include "common/AppState.h"
#include "common/Files.h"
#include "common/Registry.h"
#include "common/TextCodec.h"
#include "common/platform/Desktop.h"
#include "system/RegistryOps.h"
#include "system/ui/Dialogs.h"
#include "system/ui/FormSetupSYS.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QUrl>

namespace viewer {

namespace {

}

PictureCommands::PictureCommands(common::AppState &state, QWidget *owner)
    : askSavePath([owner](const QString &title, const QString &defaultName, int filterIndex) {
        return sys::ShowSaveDialog(title, defaultName, filterIndex, owner);
    })
    , m_state(state)
    , m_owner(owner)
{
}

bool PictureCommands::openPicture()
{
    if (m_state.RightClickPath.isEmpty() || !m_state.desktop)
        return false;
    return m_state.desktop->openWithDesktop(QUrl::fromLocalFile(m_state.RightClickPath));
}

bool PictureCommands::showPicturePath()
{
    if (m_state.RightClickPath.isEmpty() || !m_state.desktop)
        return false;
    return m_state.desktop->showInFileManager(m_state.RightClickPath);
}

bool PictureCommands::savePictureCopy()
{
    const QString source = m_state.RightClickPath;
    if (source.isEmpty() || !askSavePath)
        return false;
    const QString name = source.mid(source.lastIndexOf(QLatin1Char('/')) + 1);
    const QString target = askSavePath(QStringLiteral("图像另存为"), name, 2);
    if (target.isEmpty())
        return false;
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return true;
    return common::copyFileReplacing(source, target);
}

bool PictureCommands::deletePicture()
{
    const QString path = m_state.RightClickPath;
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    // QFileInfo follows links for isFile, so a link to a folder is refused with the folder.
    if (!info.isFile())
        return false;
    return QFile::moveToTrash(path);
}

bool PictureCommands::setDesktopBackground()
{
    const QString path = m_state.RightClickPath;
    if (path.isEmpty() || !QFileInfo(path).isFile() || !m_state.desktop)
        return false;
    if (!m_state.desktop->setWallpaper(path))
        return false;
    if (m_state.hive)
        sys::WriteRegString(*m_state.hive,
            common::RegRoot::CurrentUser,
            QStringLiteral("Control Panel\\Desktop"),
            QStringLiteral("Wallpaper"),
            path);
    return true;
}

bool PictureCommands::copyToClipboard()
{
    const QString path = m_state.RightClickPath;
    if (path.isEmpty() || !QFileInfo(path).isFile() || !m_state.desktop)
        return false;
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kClipboardPixelLimit)
        return false;
    const QImage picture = reader.read();
    if (picture.isNull())
        return false;
    m_state.desktop->setClipboardImage(picture);
    return true;
}

bool PictureCommands::editPicture()
{
    if (m_state.RightClickPath.isEmpty() || !m_state.desktop)
        return false;
    return m_state.desktop->openImageEditor(m_state.RightClickPath);
}

bool PictureCommands::showProperties()
{
    if (m_state.RightClickPath.isEmpty())
        return false;
    return sys::ShowFileProperties(m_state, m_state.RightClickPath, m_owner);
}

bool PictureCommands::exportList()
{
    if (!askSavePath)
        return false;
    const QString target = askSavePath(QStringLiteral("文件另存为"), QStringLiteral("文件列表.txt"), 4);
    if (target.isEmpty())
        return false;
    if (!common::writeFileAtomically(target, common::encodeLocal(m_state.ViewerListText + QStringLiteral("\r\n"))))
        return false;
    if (m_state.desktop)
        m_state.desktop->openWithDesktop(QUrl::fromLocalFile(target));
    return true;
}

bool PictureCommands::openSystemSettings()
{
    sys::FormSetupSYS dialog(m_state, m_owner);
    return dialog.exec() == QDialog::Accepted;
}

}
