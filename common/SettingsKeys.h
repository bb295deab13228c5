#pragma once

#include <QString>

namespace common {

class SettingsStore;

// The sections and keys of the settings store, named once. Every read and write of a setting goes
// through these names.
namespace keys {
    // Browser and folder options.
    inline const QString kSetup = QStringLiteral("setup");
    inline const QString kHomepage = QStringLiteral("Homepage");
    inline const QString kPop = QStringLiteral("Pop");
    inline const QString kDelHistory = QStringLiteral("DelHistory");
    inline const QString kUnderMe = QStringLiteral("UnderMe");
    inline const QString kAutoDownload = QStringLiteral("AutoDownload");
    inline const QString kDownloadPath = QStringLiteral("DownloadPath");
    inline const QString kSetMenu1 = QStringLiteral("SetMenu1");

    // Viewer options.
    inline const QString kMain = QStringLiteral("Main");
    inline const QString kPageFileCount = QStringLiteral("PageFileCount");
    inline const QString kPictureSize = QStringLiteral("PictureSize");

    // The browser's closed pages: "Count" and "Page_" + n.
    inline const QString kCancelPage = QStringLiteral("CancelPage");
    inline const QString kCount = QStringLiteral("Count");
    inline const QString kPagePrefix = QStringLiteral("Page_");

    // The media search's last folder and the batch reader's history.
    inline const QString kSearch = QStringLiteral("Search");
    inline const QString kComPath = QStringLiteral("ComPath");
    inline const QString kReader = QStringLiteral("Reader");
    inline const QString kHistory = QStringLiteral("History");

    // The slideshow's and the wallpaper rotation's position, and the slideshow's music page.
    inline const QString kScreenSave = QStringLiteral("ScreenSave");
    inline const QString kFileIndex = QStringLiteral("FileIndex");
    inline const QString kFilePath = QStringLiteral("FilePath");
    inline const QString kMusicPage = QStringLiteral("MusicPage");

    // The wallpaper rotation's saved wallpaper and its stop switch (the leading blank is part of
    // the key's name).
    inline const QString kMyDeskTop = QStringLiteral("MyDeskTop");
    inline const QString kOldPaper = QStringLiteral("OldPaper");
    inline const QString kStopChangVal = QStringLiteral(" StopChangVal");
}

// Check boxes are stored as "1" and "0".
QString checkText(bool checked);
// The box's state for a stored text: the number 1 checks it, 0 clears it, anything else (a
// missing or damaged value) leaves `current`.
bool checkFromText(const QString &stored, bool current);

// The viewer's options, each stored under "Main" through the 30..200 rule.
struct ViewerSettings {
    int PageSize = 30; // thumbnails per page
    int MinPictureKB = 30; // the media search's smallest file, in units of 1000 bytes
};
ViewerSettings readViewerSettings(const SettingsStore &settings);

// The browser's running options. The browser reads them from "setup" when its frame starts; the
// options dialog updates them.
struct BrowserSettings {
    QString StartPage;
    bool BackgroundTabs = false;
    bool AutoSave = false;
    bool SafeMode = true;
    qint64 MinPictureBytes = 30000;
};

}
