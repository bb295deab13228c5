#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class QImage;

namespace common::platform {

// The one way the program reaches the desktop. No external program is ever started through a
// shell: arguments always travel as a list. Every call returns false when the effect could not
// be had (no such program, no D-Bus service) and never blocks on the program it starts.
class Desktop {
public:
    virtual ~Desktop() = default;

    // Opens a file, folder or address with the desktop's default handler (xdg-open).
    virtual bool openWithDesktop(const QUrl &target) = 0;
    // Starts a program detached, with its arguments as a list.
    virtual bool startProgram(const QString &program, const QStringList &arguments) = 0;
    // Shows the item selected in the file manager, else opens its parent folder.
    virtual bool showInFileManager(const QString &path) = 0;
    // The file manager's properties sheet; false when no file manager offers one.
    virtual bool showFileProperties(const QString &path) = 0;
    // The first image editor found (kolourpaint, pinta, gimp), the path as one argument; an
    // empty path starts the editor alone. Without an editor the picture opens with the desktop.
    virtual bool openImageEditor(const QString &path) = 0;
    virtual bool setWallpaper(const QString &picturePath) = 0;
    virtual bool powerOff() = 0;
    virtual bool monitorOff() = 0;
    virtual bool toggleMute() = 0;
    virtual void setClipboardText(const QString &text) = 0;
    virtual void setClipboardImage(const QImage &image) = 0;
};

// The real desktop, or, when VELMORA_SIMULATE_DESKTOP names a file, a recorder that appends
// one line per effect to that file instead: the effect's name and its arguments, separated by
// tabs (for example "openWithDesktop\tfile:///home/u/a.jpg").
std::unique_ptr<Desktop> createDesktop();

}
