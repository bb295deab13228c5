#pragma once

#include <QString>
#include <QStringList>

namespace common {

class SettingsStore;
class RegistryHive;
namespace platform {
    class Desktop;
}

// The values the suite's windows share, owned by the program's entry point and passed to every
// window that needs them (never globals). Folder texts end with "/".
struct AppState {
    // Services.
    RegistryHive *hive = nullptr;
    SettingsStore *settings = nullptr;
    platform::Desktop *desktop = nullptr;

    // Folders.
    QString DataFolder;
    QString DownloadFolder;
    QString CurrentFolder;
    QString ScreenFolder;

    // Viewer values read at start-up with the 30..200 rule.
    int PageSize = 30;
    int MinPictureKB = 30;

    // The viewer's picture list (at most kViewerListBound entries) and its export text.
    static constexpr int kViewerListBound = 20001;
    QStringList ViewerList;
    QString ViewerListText;
    int ViewerCount = 0;

    // Message pump and shared stop flags.
    QString RightClickPath;
    bool QuitPump = false;
    bool SearchStop = false;

    // Browser running values (read when the browser frame starts).
    QString StartPage;
    bool BackgroundTabs = false;
    bool AutoSave = false;
    bool SafeMode = true;
    qint64 MinPictureBytes = 30000;
};

}
