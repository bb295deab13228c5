#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace common::platform {

// One desktop tool with its arguments as a list.
struct ToolCall {
    QString program;
    QStringList arguments;
    bool operator==(const ToolCall &) const = default;
};

enum class DesktopKind { Gnome, Cinnamon, Mate, Kde, Xfce, Sway, Other };

// The desktop named by XDG_CURRENT_DESKTOP (a ":"-separated list, any letter case).
DesktopKind desktopKind(const QString &session);

// The calls that make `picture` (an absolute path) the wallpaper of every screen, in both colour
// schemes where the desktop has two. The picture is already fitted to the screen, so desktops
// that scale are told to fill the screen without borders. Xfce keeps one property per monitor
// and workspace: `xfceProperties` are the names `xfconf-query -c xfce4-desktop -l` lists, and
// every ".../last-image" among them is set (the first monitor's first workspace when none is
// listed). The first call is the one that changes the picture shown; the others follow it.
QList<ToolCall> wallpaperCommands(DesktopKind kind, const QString &picture, const QStringList &xfceProperties = {});

// Xfce's call that lists the names of its desktop properties.
ToolCall xfceListCommand();
// The ".../last-image" properties among the lines of that list, in its order.
QStringList xfceLastImageProperties(const QStringList &listed);

// The call whose output names the current wallpaper: gsettings on the GNOME family, xfconf-query
// on Xfce (`xfceProperty` is the first ".../last-image" listed, or empty for the first monitor's
// first workspace). nullopt where the wallpaper is read from a file or cannot be read at all.
std::optional<ToolCall> currentWallpaperCommand(DesktopKind kind, const QString &xfceProperty = {});

// The local path in a tool's answer about the wallpaper: gsettings prints a quoted string
// (single quotes, or double quotes when the value holds a single quote, with backslash escapes),
// xfconf-query the bare value. A "file:" address becomes its local path; any other address or an
// empty value gives "".
QString wallpaperFromToolOutput(const QByteArray &output);

// The first picture of a Plasma desktop, from the text of plasma-org.kde.plasma.desktop-appletsrc:
// the "Image" entry of a group whose name ends in "[Wallpaper][org.kde.image][General]".
QString wallpaperFromPlasmaConfig(const QString &text);

// The first picture ~/.fehbg sets: the first operand of its feh command, with the shell's
// quoting undone.
QString wallpaperFromFehbg(const QString &text);

// Minimising every window: where the window system has a common request for it (X11's "show
// the desktop", through wmctrl), that call; nullopt elsewhere (Wayland has none).
std::optional<ToolCall> minimizeAllCommand(const QString &platformName);

}
