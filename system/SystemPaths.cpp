#include "system/SystemPaths.h"

#include "common/Files.h"
#include "common/Paths.h"

#include <QDir>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

namespace sys {

namespace {

    QString accountName()
    {
        // getpwuid_r: the name must not depend on another thread's lookup.
        passwd entry {};
        passwd *found = nullptr;
        char buffer[4096];
        if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_name)
            return QString::fromLocal8Bit(found->pw_name).trimmed();
        for (const char *variable : { "USER", "LOGNAME" }) {
            QString name = qEnvironmentVariable(variable).trimmed();
            if (!name.isEmpty())
                return name;
        }
        return {};
    }

}

SystemPaths LoadSystemPaths()
{
    SystemPaths paths;
    paths.windowsFolder = QStringLiteral("/etc/");
    paths.systemFolder = QStringLiteral("/usr/bin/");
    paths.userName = accountName();
    paths.profileFolder = common::withTrailingSlash(QDir::homePath());
    paths.cacheFolder = common::xdgFolder(common::XdgFolder::Cache) + QStringLiteral("Velmora/web/");
    return paths;
}

}
