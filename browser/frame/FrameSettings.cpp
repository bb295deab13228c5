#include "browser/frame/FrameSettings.h"

#include "common/Settings.h"

#include <QDir>

namespace browser::frame {

using namespace common::keys;

namespace {
    void readNumber(const common::SettingsStore &settings, const QString &key, bool &value)
    {
        bool ok = false;
        const int number = settings.read(kSetup, key).trimmed().toInt(&ok);
        if (ok)
            value = number != 0;
    }
}

void readFrameSettings(const common::SettingsStore &settings, common::BrowserSettings &values)
{
    values.SafeMode = true;
    readNumber(settings, kUnderMe, values.BackgroundTabs);
    readNumber(settings, kAutoDownload, values.AutoSave);
    values.StartPage = settings.read(kSetup, kHomepage);
}

bool makeFrameFolders(const QString &dataFolder)
{
    const bool history = QDir().mkpath(dataFolder + QStringLiteral("History"));
    const bool favorites = QDir().mkpath(dataFolder + QStringLiteral("Favorites"));
    return history && favorites;
}

bool clearClosedPagesOnClose(const common::SettingsStore &settings)
{
    bool ok = false;
    return settings.read(kSetup, kDelHistory).trimmed().toInt(&ok) == 1 && ok;
}

}
