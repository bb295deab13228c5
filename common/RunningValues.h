#pragma once

#include "common/PictureList.h"
#include "common/SettingsKeys.h"

#include <QString>

namespace common {

// The values several windows share while the program runs: the data and download folders made
// at start-up, the options in use, and the pictures the harvester listed last. The options
// dialogs update the options when confirmed; every window reads them from here rather than from
// the settings store.
struct RunningValues {
    // Folder texts end with "/".
    QString DataFolder;
    QString DownloadFolder;
    ViewerSettings viewer;
    BrowserSettings browser;
    // The pictures the harvester listed last (the gallery, the details window).
    PictureList pictures;
    // A page window is saving pictures; the next picture file name's counter.
    bool SaveBusy = false;
    int FileCounter = 0;
};

}
