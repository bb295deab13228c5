#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

class QImage;

namespace common::platform {

// The one way the program reaches the desktop. No external program is ever started through a
// shell: arguments always travel as a list. No call waits for the program or service it asks:
// each returns at once, true when the effect was started (the program was found, the D-Bus
// call was sent) and false when it could not be. Where the outcome matters, pass `done`: it is
// called once with the outcome, always later from the event loop, never from inside the call,
// and never after the desktop object is gone.
//
// Paths handed to a program are made absolute, and programs that take "--" as the end of their
// options get it before the path, so no file name is ever read as an option.
class Desktop {
public:
    using Done = std::function<void(bool ok)>;

    virtual ~Desktop() = default;

    // Opens a file, folder or address with the desktop's default handler (xdg-open). `done`
    // tells whether the handler started.
    virtual bool openWithDesktop(const QUrl &target, Done done = {}) = 0;
    // Starts a program detached, with its arguments as a list; `done` tells whether it started.
    virtual bool startProgram(const QString &program, const QStringList &arguments, Done done = {}) = 0;
    // Shows the item selected in the file manager, else opens its parent folder.
    virtual bool showInFileManager(const QString &path, Done done = {}) = 0;
    // The file manager's properties sheet; `done` gets false when no file manager offers one.
    virtual bool showFileProperties(const QString &path, Done done = {}) = 0;
    // The first image editor found (kolourpaint, pinta, gimp), the path as one argument; an
    // empty path starts the editor alone. Without an editor the picture opens with the desktop.
    virtual bool openImageEditor(const QString &path, Done done = {}) = 0;
    // The desktop's own wallpaper setting, through the calls of wallpaperCommands() for the
    // desktop XDG_CURRENT_DESKTOP names (Xfce's properties are listed first), run one after the
    // other. `done` tells whether the first call succeeded: it is the one that changes the picture
    // shown, and is reported as soon as it ends; the others (the dark scheme's picture, the
    // scaling, further monitors and workspaces) follow on their own. A newer call supersedes
    // the calls of an older one still waiting. A tool that does not finish within a few seconds
    // is stopped and counts as a failure.
    virtual bool setWallpaper(const QString &picturePath, Done done = {}) = 0;
    // Asks the desktop which picture is its wallpaper now; `done` gets its local path, or "" when
    // the desktop does not say (no tool, no setting, a picture that is not a local file). The
    // GNOME family and Xfce are asked through their settings tools, Plasma's and feh's own files
    // are read. Answered once, always later from the event loop.
    virtual bool currentWallpaper(std::function<void(QString path)> done) = 0;
    virtual bool powerOff(Done done = {}) = 0;
    virtual bool monitorOff(Done done = {}) = 0;
    virtual bool toggleMute(Done done = {}) = 0;
    virtual void setClipboardText(const QString &text) = 0;
    // The clipboard's text; the recorder answers the text last put on the clipboard through it.
    virtual QString clipboardText() const = 0;
    virtual void setClipboardImage(const QImage &image) = 0;
    // Writes one of the files through which the desktop offers the program (an application
    // entry, a file-manager service menu, a desktop shortcut), creating its folder. The file is
    // replaced atomically and only when its bytes differ, so an unchanged file keeps its time.
    // True when the file holds `content` afterwards. These files live in the user's own folders,
    // so both desktops write them; the recorder also logs each write.
    virtual bool installMenuFile(const QString &path, const QByteArray &content, bool executable) = 0;
};

// The real desktop, or, when VELMORA_SIMULATE_DESKTOP names a file, a recorder that appends
// one line per effect to that file instead: the effect's name and its arguments, separated by
// tabs (for example "openWithDesktop\tfile:///home/u/a.jpg"). The recorder's currentWallpaper()
// answers with the value of VELMORA_SIMULATE_WALLPAPER ("" when it is not set).
std::unique_ptr<Desktop> createDesktop();
std::unique_ptr<Desktop> createSystemDesktop();
std::unique_ptr<Desktop> createRecordingDesktop(const QString &logPath);

}
