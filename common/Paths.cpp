#include "common/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace common {

namespace {

    QString xdgFolder(const char *variable, const QString &fallbackBelowHome)
    {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty() && QDir::isAbsolutePath(value))
            return withTrailingSlash(value);
        return withTrailingSlash(QDir::homePath() + QLatin1Char('/') + fallbackBelowHome);
    }

}

QString withTrailingSlash(const QString &folder)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

QString programPath()
{
    const QString path = QCoreApplication::applicationFilePath();
    if (!path.isEmpty())
        return path;
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

QString programFolder()
{
    const QString dir = QCoreApplication::applicationDirPath();
    if (!dir.isEmpty())
        return withTrailingSlash(dir);
    return withTrailingSlash(QFileInfo(programPath()).absolutePath());
}

QString dataFolder()
{
    const QString portable = programFolder() + QStringLiteral("Velmora/");
    if (QFileInfo(portable).isDir())
        return portable;
    return xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share")) + QStringLiteral("Velmora/");
}

QString defaultDownloadFolder()
{
    return dataFolder() + QStringLiteral("Download/");
}

QString configFolder()
{
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("Velmora/");
}

QString pageFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder = (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        ? withTrailingSlash(runtime) + QStringLiteral("Velmora/")
        : dataFolder() + QStringLiteral("pages/");
    if (!QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

QString pageFilePath(const QString &fileName)
{
    return pageFolder() + fileName;
}

QString localPathFromUrlText(const QString &urlText)
{
    const QUrl url(urlText);
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

QString defaultPicturesFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return withTrailingSlash(pictures);
    return withTrailingSlash(QDir::homePath());
}

QString desktopFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return withTrailingSlash(desktop.isEmpty() ? QDir::homePath() + QStringLiteral("/Desktop") : desktop);
}

}
