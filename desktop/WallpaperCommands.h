#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace desktop {

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
// listed).
QList<ToolCall> wallpaperCommands(DesktopKind kind, const QString &picture, const QStringList &xfceProperties = {});

// Minimising every window: where the window system has a common request for it (X11's "show
// the desktop", through wmctrl), that call; nullopt elsewhere (Wayland has none).
std::optional<ToolCall> minimizeAllCommand(const QString &platformName);

}
