#include "app/Startup.h"

#include "common/Paths.h"
#include "common/Services.h"
#include "system/ShellIntegration.h"

#include <QDir>

namespace app {

common::RunningValues startProgram(const common::Services &services, const QString &programPath)
{
    common::RunningValues values;
    values.DataFolder = common::dataFolder();
    QDir().mkpath(values.DataFolder);
    values.DownloadFolder = values.DataFolder + QStringLiteral("Download/");
    QDir().mkpath(values.DownloadFolder);

    values.viewer = common::readViewerSettings(services.settings);

    sys::RegisterShellMenus(services.hive, programPath, services.desktop);
    sys::InitialiseFirstStart(services.hive, services.settings, programPath, services.desktop);
    return values;
}

}
