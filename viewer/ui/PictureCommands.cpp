#include "viewer/ui/PictureCommands.h"

#include "common/FileNames.h"
#include "common/Files.h"
#include "common/Registry.h"
#include "common/RunningValues.h"
#include "common/Services.h"
#include "common/TextCodec.h"
#include "common/platform/Desktop.h"
#include "system/RegistryOps.h"
#include "system/ui/Dialogs.h"
#include "system/ui/FormSetupSYS.h"
#include "viewer/ViewerState.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QUrl>

namespace viewer {

namespace {

}

PictureCommands::PictureCommands(
    const common::Services &services, common::RunningValues &values, const ViewerState &viewerState, QWidget *owner)
    : askSavePath([owner](const QString &title, const QString &defaultName, int filterIndex) {
        return sys::ShowSaveDialog(title, defaultName, filterIndex, owner);
    })
    , m_services(services)
    , m_values(values)
    , m_viewerState(viewerState)
    , m_owner(owner)
{
}

bool PictureCommands::openPicture(const QString &path)
{
    if (path.isEmpty())
        return false;
    return m_services.desktop.openWithDesktop(common::fileUrl(path));
}

bool PictureCommands::showPicturePath(const QString &path)
{
    if (path.isEmpty())
        return false;
    return m_services.desktop.showInFileManager(path);
}

bool PictureCommands::savePictureCopy(const QString &path)
{
    const QString &source = path;
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

bool PictureCommands::deletePicture(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    // QFileInfo follows links for isFile, so a link to a folder is refused with the folder.
    if (!info.isFile())
        return false;
    return QFile::moveToTrash(path);
}

bool PictureCommands::setDesktopBackground(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    // The value mirrors the wallpaper in use, so it is written once the desktop took the picture.
    common::RegistryHive &hive = m_services.hive;
    return m_services.desktop.setWallpaper(path, [&hive, path](bool ok) {
        if (ok)
            sys::WriteRegString(hive,
                common::RegRoot::CurrentUser,
                QStringLiteral("Control Panel\\Desktop"),
                QStringLiteral("Wallpaper"),
                path);
    });
}

bool PictureCommands::copyToClipboard(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kClipboardPixelLimit)
        return false;
    const QImage picture = reader.read();
    if (picture.isNull())
        return false;
    m_services.desktop.setClipboardImage(picture);
    return true;
}

bool PictureCommands::editPicture(const QString &path)
{
    if (path.isEmpty())
        return false;
    return m_services.desktop.openImageEditor(path);
}

bool PictureCommands::showProperties(const QString &path)
{
    if (path.isEmpty())
        return false;
    return sys::ShowFileProperties(m_services.desktop, path, m_owner);
}

bool PictureCommands::exportList()
{
    if (!askSavePath)
        return false;
    const QString target = askSavePath(QStringLiteral("文件另存为"), QStringLiteral("文件列表.txt"), 4);
    if (target.isEmpty())
        return false;
    if (!common::writeFileAtomically(
            target, common::encodeLocal(m_viewerState.ViewerListText + QStringLiteral("\r\n"))))
        return false;
    m_services.desktop.openWithDesktop(QUrl::fromLocalFile(target));
    return true;
}

bool PictureCommands::openSystemSettings()
{
    sys::FormSetupSYS dialog(m_services, m_values, m_owner);
    return dialog.exec() == QDialog::Accepted;
}

}
