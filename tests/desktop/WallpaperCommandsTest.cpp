#include "desktop/WallpaperCommands.h"

#include <gtest/gtest.h>

namespace desktop {

TEST(WallpaperCommands, ChosenByTheSessionName)
{
    const std::pair<const char *, DesktopKind> sessions[] = {
        { "GNOME", DesktopKind::Gnome },
        { "ubuntu:GNOME", DesktopKind::Gnome },
        { "Budgie:GNOME", DesktopKind::Gnome },
        { "KDE", DesktopKind::Kde },
        { "XFCE", DesktopKind::Xfce },
        { "X-Cinnamon", DesktopKind::Cinnamon },
        { "MATE", DesktopKind::Mate },
        { "sway", DesktopKind::Sway },
        { "", DesktopKind::Other },
        { "i3", DesktopKind::Other },
        { "GNOME-Flashback:GNOME", DesktopKind::Gnome },
        // A name that only contains another one is not that desktop.
        { "NOTKDE", DesktopKind::Other },
    };
    for (const auto &[session, kind] : sessions)
        EXPECT_EQ(desktopKind(QString::fromLatin1(session)), kind) << session;
}

TEST(WallpaperCommands, EveryDesktopGetsItsCalls)
{
    const QString picture = QStringLiteral("/home/u/my pics/Desktop.bmp");
    const QString uri = QStringLiteral("file:///home/u/my%20pics/Desktop.bmp");
    const auto gs = [](const char *schema, const char *key, const QString &value) {
        return ToolCall { QStringLiteral("gsettings"),
            { QStringLiteral("set"), QString::fromLatin1(schema), QString::fromLatin1(key), value } };
    };
    struct Case {
        DesktopKind kind;
        QStringList xfce;
        QList<ToolCall> calls;
    };
    const QString xfconf = QStringLiteral("xfconf-query");
    const auto xf = [&](const char *property) {
        return ToolCall { xfconf,
            { QStringLiteral("-c"),
                QStringLiteral("xfce4-desktop"),
                QStringLiteral("-p"),
                QString::fromLatin1(property),
                QStringLiteral("-s"),
                picture } };
    };
    const Case cases[] = {
        { DesktopKind::Gnome,
            {},
            { gs("org.gnome.desktop.background", "picture-uri", uri),
                gs("org.gnome.desktop.background", "picture-uri-dark", uri),
                gs("org.gnome.desktop.background", "picture-options", QStringLiteral("zoom")) } },
        { DesktopKind::Kde,
            {},
            { { QStringLiteral("plasma-apply-wallpaperimage"), { QStringLiteral("--"), picture } } } },
        { DesktopKind::Xfce,
            { QStringLiteral("/backdrop/screen0/monitor0/workspace0/color-style"),
                QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace0/last-image"),
                QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace1/last-image"),
                QStringLiteral("/backdrop/screen0/monitoreDP-1/workspace0/last-image"),
                QStringLiteral("/other/last-image") },
            { xf("/backdrop/screen0/monitorHDMI-1/workspace0/last-image"),
                xf("/backdrop/screen0/monitorHDMI-1/workspace1/last-image"),
                xf("/backdrop/screen0/monitoreDP-1/workspace0/last-image") } },
        { DesktopKind::Xfce, {}, { xf("/backdrop/screen0/monitor0/workspace0/last-image") } },
        { DesktopKind::Sway,
            {},
            { { QStringLiteral("swaymsg"),
                { QStringLiteral("output"),
                    QStringLiteral("*"),
                    QStringLiteral("bg"),
                    QStringLiteral("\"/home/u/my pics/Desktop.bmp\""),
                    QStringLiteral("fill") } } } },
        { DesktopKind::Other,
            {},
            { { QStringLiteral("feh"), { QStringLiteral("--bg-fill"), QStringLiteral("--"), picture } } } },
        { DesktopKind::Mate,
            {},
            { gs("org.mate.background", "picture-filename", picture),
                gs("org.mate.background", "picture-options", QStringLiteral("zoom")) } },
    };
    for (const Case &c : cases) {
        const QList<ToolCall> calls = wallpaperCommands(c.kind, picture, c.xfce);
        ASSERT_EQ(calls.size(), c.calls.size()) << int(c.kind);
        for (qsizetype i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(calls[i].program, c.calls[i].program) << int(c.kind);
            EXPECT_EQ(calls[i].arguments, c.calls[i].arguments) << int(c.kind);
        }
    }
    // Quotes and backslashes in a path stay inside sway's quoted word.
    EXPECT_EQ(wallpaperCommands(DesktopKind::Sway, QStringLiteral("/a\"b\\c.bmp")).constFirst().arguments.at(3),
        QStringLiteral("\"/a\\\"b\\\\c.bmp\""));
}

TEST(MinimizeAll, OnlyWhereTheWindowSystemHasARequest)
{
    const std::optional<ToolCall> x11 = minimizeAllCommand(QStringLiteral("xcb"));
    ASSERT_TRUE(x11.has_value());
    EXPECT_EQ(x11->program, QStringLiteral("wmctrl"));
    EXPECT_EQ(x11->arguments, (QStringList { "-k", "on" }));
    for (const char *platform : { "wayland", "offscreen", "" })
        EXPECT_FALSE(minimizeAllCommand(QString::fromLatin1(platform)).has_value()) << platform;
}

}
