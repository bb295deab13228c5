#pragma once

#include "common/SettingsKeys.h"

#include <QString>

namespace common {

// The values several windows share while the program runs: the data and download folders made
// at start-up, and the options in use. The options dialogs update them when confirmed; every
// window reads them from here rather than from the settings store.
struct RunningValues {
    // Folder texts end with "/".
    QString DataFolder;
    QString DownloadFolder;
    ViewerSettings viewer;
    BrowserSettings browser;
};

}
