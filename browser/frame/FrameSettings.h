#pragma once

#include "common/SettingsKeys.h"

namespace browser::frame {

// The frame's start-up reads: "UnderMe", "AutoDownload" and "Homepage" of "setup". A value that is
// missing or not a number leaves the running value as it is; safe mode is always on.
void readFrameSettings(const common::SettingsStore &settings, common::BrowserSettings &values);

// The frame's folders in the data folder (ending with "/"): "History/" and "Favorites/". An existing
// folder is no error; false when either cannot be made.
bool makeFrameFolders(const QString &dataFolder);

// The frame's close: "DelHistory" = 1 asks for the closed pages to be cleared.
bool clearClosedPagesOnClose(const common::SettingsStore &settings);

}
