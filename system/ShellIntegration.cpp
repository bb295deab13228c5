#include "system/ShellIntegration.h"

#include "common/Captions.h"
#include "common/Files.h"
#include "common/Paths.h"
#include "common/Settings.h"
#include "common/SettingsKeys.h"
#include "common/platform/Desktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sys {

namespace {

    using common::RegRoot;
    using common::RegValue;

    QString dataHome()
    {
        return common::xdgFolder(common::XdgFolder::Data);
    }

    // A desktop-entry Exec argument in double quotes, with the characters the format reserves escaped.
    QString quotedExecArgument(const QString &path)
    {
        QString escaped;
        for (const QChar c : path) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                escaped += QLatin1Char('\\');
            escaped += c;
        }
        escaped.replace(QLatin1Char('%'), QLatin1String("%%"));
        // The desktop-entry parser unescapes backslashes once more before splitting the command.
        escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        return QLatin1Char('"') + escaped + QLatin1Char('"');
    }

    const QString kMimeTypes = QStringLiteral("image/bmp;image/jpeg;image/gif;image/png;image/tiff;inode/directory;");

    QString applicationEntry(const QString &programPath)
    {
        return QStringLiteral("[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=%3\n"
                              "Comment=%4\n"
                              "Exec=%1 %f\n"
                              "Icon=image-x-generic\n"
                              "Terminal=false\n"
                              "Categories=Graphics;Viewer;\n"
                              "MimeType=%2\n")
            .arg(quotedExecArgument(programPath), kMimeTypes, common::kViewerName, common::kViewerCaption);
    }

    // The browser's menu entry: the program with "--browser".
    QString browserEntry(const QString &programPath)
    {
        return QStringLiteral("[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=%2\n"
                              "Comment=%3\n"
                              "Exec=%1 --browser\n"
                              "Icon=web-browser\n"
                              "Terminal=false\n"
                              "Categories=Network;WebBrowser;Graphics;\n")
            .arg(quotedExecArgument(programPath), common::kBrowserName, common::kBrowserCaption);
    }

    QString serviceMenuEntry(const QString &programPath)
    {
        return QStringLiteral("[Desktop Entry]\n"
                              "Type=Service\n"
                              "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
                              "MimeType=image/*;inode/directory;\n"
                              "Actions=openWithVistelle;\n"
                              "\n"
                              "[Desktop Action openWithVistelle]\n"
                              "Name=Vistelle\n"
                              "Icon=image-x-generic\n"
                              "Exec=%1 %f\n")
            .arg(quotedExecArgument(programPath));
    }

    const QString kInstallationsKey = QStringLiteral("Software\\Velmora\\Installations");

}

QString ShellCommand(const QString &programPath)
{
    return QLatin1Char('"') + programPath + QStringLiteral("\" \"%1\"");
}

QString desktopEntryPath()
{
    return dataHome() + QStringLiteral("applications/vistelle.desktop");
}

QString browserEntryPath()
{
    return dataHome() + QStringLiteral("applications/nimbrow.desktop");
}

QString serviceMenuPath()
{
    return dataHome() + QStringLiteral("kio/servicemenus/vistelle.desktop");
}

void RegisterShellMenus(common::RegistryHive &hive, const QString &programPath, common::platform::Desktop &desktop)
{
    const QString command = ShellCommand(programPath);
    const QString verb = QStringLiteral("Vistelle");
    const struct {
        RegRoot root;
        const char *key;
        bool isCommand;
    } entries[] = {
        { RegRoot::ClassesRoot, "*\\shell\\", false },
        { RegRoot::ClassesRoot, "*\\shell\\Vistelle\\command", true },
        { RegRoot::ClassesRoot, "Directory\\shell\\see", false },
        { RegRoot::ClassesRoot, "Directory\\shell\\see\\command", true },
        { RegRoot::LocalMachine, "Software\\CLASSES\\Drive\\shell\\see", false },
        { RegRoot::LocalMachine, "Software\\CLASSES\\Drive\\shell\\see\\command", true },
    };
    for (const auto &entry : entries)
        hive.setValue(entry.root,
            QString::fromLatin1(entry.key),
            RegValue::fromString(QString(), entry.isCommand ? command : verb));

    desktop.installMenuFile(desktopEntryPath(), applicationEntry(programPath).toUtf8(), false);
    desktop.installMenuFile(browserEntryPath(), browserEntry(programPath).toUtf8(), false);
    desktop.installMenuFile(serviceMenuPath(), serviceMenuEntry(programPath).toUtf8(), true);
}

bool CreateDesktopShortcut(
    const QString &name, const QString &target, common::platform::Desktop &desktop, const QStringList &arguments)
{
    QString exec = quotedExecArgument(target);
    for (const QString &argument : arguments)
        exec += QLatin1Char(' ') + quotedExecArgument(argument);
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=%1\n"
                                        "Exec=%2\n"
                                        "Icon=image-x-generic\n"
                                        "Terminal=false\n")
                             .arg(name, exec);
    return desktop.installMenuFile(common::desktopFolder() + name + QStringLiteral(".desktop"), text.toUtf8(), true);
}

bool InitialiseFirstStart(common::RegistryHive &hive,
    common::SettingsStore &settings,
    const QString &programPath,
    common::platform::Desktop &desktop)
{
    if (hive.value(RegRoot::CurrentUser, kInstallationsKey, programPath))
        return false;
    using namespace common::keys;
    settings.save(kSetup, kPop, QStringLiteral("1"));
    settings.save(kSetup, kAutoDownload, QStringLiteral("1"));
    settings.save(kSetup, kHomepage, kDefaultHomepage);
    CreateDesktopShortcut(common::kViewerName, programPath, desktop);
    hive.setValue(RegRoot::CurrentUser, kInstallationsKey, RegValue::fromString(programPath, QStringLiteral("1")));
    return true;
}

}
