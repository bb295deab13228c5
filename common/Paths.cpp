#include "common/Paths.h"

#include "common/FileNames.h"
#include "common/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>

#include <cstdio>
#include <mutex>

namespace common {

namespace {

    // Folders already reported as unfit for pages, so each is named once on standard error.
    std::mutex s_reportedMutex;
    QSet<QString> s_reported;

    void reportOnce(const QString &key, const QString &message)
    {
        std::lock_guard lock(s_reportedMutex);
        if (s_reported.contains(key))
            return;
        s_reported.insert(key);
        std::fprintf(stderr, "Velmora: %s\n", qUtf8Printable(message));
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
    QString path = QCoreApplication::applicationFilePath();
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
    QString portable = programFolder() + QStringLiteral("Velmora/");
    if (QFileInfo(portable).isDir())
        return portable;
    return xdgFolder(XdgFolder::Data) + QStringLiteral("Velmora/");
}

QString defaultDownloadFolder()
{
    return dataFolder() + QStringLiteral("Download/");
}

QString configFolder()
{
    return xdgFolder(XdgFolder::Config) + QStringLiteral("Velmora/");
}

QString pageFolder()
{
    const QString runtime = xdgFolder(XdgFolder::Runtime);
    QString fallback = dataFolder() + QStringLiteral("pages/");
    QString runtimeProblem;
    if (!runtime.isEmpty()) {
        QString folder = runtime + QStringLiteral("Velmora/");
        if (ensurePrivateFolder(folder, &runtimeProblem))
            return folder;
    }
    QString fallbackProblem;
    if (ensurePrivateFolder(fallback, &fallbackProblem)) {
        if (!runtimeProblem.isEmpty())
            reportOnce(runtimeProblem,
                QStringLiteral("the page folder is not private (%1); pages are written to %2 instead.")
                    .arg(runtimeProblem, fallback));
        return fallback;
    }
    const QString problems =
        runtimeProblem.isEmpty() ? fallbackProblem : runtimeProblem + QStringLiteral("; ") + fallbackProblem;
    reportOnce(problems, QStringLiteral("no private folder for pages (%1); pages cannot be shown.").arg(problems));
    return {};
}

QString pageFilePath(const QString &fileName)
{
    const QString folder = pageFolder();
    return folder.isEmpty() ? QString() : folder + fileName;
}

QString localPathFromUrlText(const QString &urlText)
{
    return localPathFromUrl(QUrl(urlText));
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
