#include "common/platform/WallpaperCommands.h"

#include <gtest/gtest.h>

namespace common::platform {

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

TEST(CurrentWallpaper, ToolAnswersBecomeLocalPaths)
{
    const std::pair<const char *, const char *> answers[] = {
        { "'file:///home/u/my%20pics/a.jpg'\n", "/home/u/my pics/a.jpg" },
        { "'/usr/share/backgrounds/mate.jpg'", "/usr/share/backgrounds/mate.jpg" },
        // gsettings switches to double quotes when the value holds a single quote.
        { "\"/home/u/it's.jpg\"", "/home/u/it's.jpg" },
        { "'/home/u/back\\\\slash \\'q\\'.jpg'", "/home/u/back\\slash 'q'.jpg" },
        { "'/home/u/\\u00e9t\\u00e9.jpg'", "/home/u/\xc3\xa9t\xc3\xa9.jpg" },
        { "'file:///home/u/%E5%A3%81%E7%BA%B8.png'", "/home/u/\xe5\xa3\x81\xe7\xba\xb8.png" },
        // xfconf-query prints the bare value.
        { "/usr/share/backgrounds/xfce/xfce-blue.jpg\n", "/usr/share/backgrounds/xfce/xfce-blue.jpg" },
        { "''", "" },
        { "", "" },
        { "'https://example.com/a.jpg'", "" },
        { "'relative.jpg'", "" },
    };
    for (const auto &[output, path] : answers)
        EXPECT_EQ(wallpaperFromToolOutput(QByteArray(output)), QString::fromUtf8(path)) << output;
}

TEST(CurrentWallpaper, PlasmaConfigGivesTheFirstImageOfAWallpaperGroup)
{
    const std::pair<const char *, const char *> files[] = {
        { "[Containments][1]\nImage=/not/this.jpg\n"
          "[Containments][1][Wallpaper][org.kde.color][General]\nImage=/nor/this.jpg\n"
          "[Containments][1][Wallpaper][org.kde.image][General]\nSlidePaths=/x\nImage=file:///home/u/my%20sky.jpg\n"
          "[Containments][2][Wallpaper][org.kde.image][General]\nImage=/second.jpg\n",
            "/home/u/my sky.jpg" },
        { "[Containments][7][Wallpaper][org.kde.image][General]\r\nImage = /home/u/\\sa.png\r\n", "/home/u/ a.png" },
        { "[Containments][7][Wallpaper][org.kde.image][General]\nImageX=/no.jpg\n", "" },
        { "", "" },
    };
    for (const auto &[text, path] : files)
        EXPECT_EQ(wallpaperFromPlasmaConfig(QString::fromUtf8(text)), QString::fromUtf8(path)) << text;
}

TEST(CurrentWallpaper, FehbgGivesTheFirstPicture)
{
    const std::pair<const char *, const char *> files[] = {
        { "#!/bin/sh\nfeh --no-fehbg --bg-fill '/home/u/a b.jpg' \n", "/home/u/a b.jpg" },
        { "#!/bin/sh\nfeh --no-fehbg --bg-fill '/home/u/it'\\''s.jpg' '/home/u/second.jpg' \n", "/home/u/it's.jpg" },
        { "#!/bin/sh\n/usr/bin/feh --no-fehbg --bg-center --image-bg 'black' '/p/c.png'\n", "/p/c.png" },
        { "feh --bg-fill -- \"/p/-x \\\"q\\\".png\"\n", "/p/-x \"q\".png" },
        { "#!/bin/sh\n# feh --bg-fill '/commented.jpg'\n", "" },
        { "", "" },
    };
    for (const auto &[text, path] : files)
        EXPECT_EQ(wallpaperFromFehbg(QString::fromUtf8(text)), QString::fromUtf8(path)) << text;
}

TEST(CurrentWallpaper, QueriesAndXfceList)
{
    const struct {
        DesktopKind kind;
        QString xfce;
        std::optional<ToolCall> call;
    } rows[] = {
        { DesktopKind::Gnome, {}, ToolCall { "gsettings", { "get", "org.gnome.desktop.background", "picture-uri" } } },
        { DesktopKind::Cinnamon,
            {},
            ToolCall { "gsettings", { "get", "org.cinnamon.desktop.background", "picture-uri" } } },
        { DesktopKind::Mate, {}, ToolCall { "gsettings", { "get", "org.mate.background", "picture-filename" } } },
        { DesktopKind::Xfce,
            {},
            ToolCall {
                "xfconf-query", { "-c", "xfce4-desktop", "-p", "/backdrop/screen0/monitor0/workspace0/last-image" } } },
        { DesktopKind::Xfce,
            QStringLiteral("/backdrop/screen0/monitorDP-1/workspace0/last-image"),
            ToolCall { "xfconf-query",
                { "-c", "xfce4-desktop", "-p", "/backdrop/screen0/monitorDP-1/workspace0/last-image" } } },
        { DesktopKind::Kde, {}, std::nullopt },
        { DesktopKind::Sway, {}, std::nullopt },
        { DesktopKind::Other, {}, std::nullopt },
    };
    for (const auto &row : rows)
        EXPECT_EQ(currentWallpaperCommand(row.kind, row.xfce), row.call) << int(row.kind);

    EXPECT_EQ(xfceListCommand(), (ToolCall { "xfconf-query", { "-c", "xfce4-desktop", "-l" } }));
    EXPECT_EQ(xfceLastImageProperties({ " /backdrop/screen0/monitorA/workspace0/last-image ",
                  "/backdrop/screen0/monitorA/workspace0/image-style",
                  "/backdrop/screen0/monitorA/workspace0/last-image",
                  "/other/last-image",
                  "",
                  "/backdrop/screen0/monitorB/workspace3/last-image" }),
        (QStringList {
            "/backdrop/screen0/monitorA/workspace0/last-image", "/backdrop/screen0/monitorB/workspace3/last-image" }));
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
