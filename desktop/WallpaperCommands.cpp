#include "desktop/WallpaperCommands.h"

#include <QUrl>

namespace desktop {

namespace {

    ToolCall gsettings(const char *schema, const char *key, const QString &value)
    {
        return { QStringLiteral("gsettings"),
            { QStringLiteral("set"), QString::fromLatin1(schema), QString::fromLatin1(key), value } };
    }

    // sway joins its arguments into one command and splits it again at blanks, so the path is
    // quoted (with its own quotes and backslashes escaped).
    QString swayQuoted(QString path)
    {
        path.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        path.replace(QLatin1Char('"'), QLatin1String("\\\""));
        return QLatin1Char('"') + path + QLatin1Char('"');
    }

}

DesktopKind desktopKind(const QString &session)
{
    const QStringList names = session.toUpper().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const auto has = [&names](const char *name) {
        return names.contains(QLatin1String(name));
    };
    if (has("KDE"))
        return DesktopKind::Kde;
    if (has("XFCE"))
        return DesktopKind::Xfce;
    if (has("MATE"))
        return DesktopKind::Mate;
    if (has("X-CINNAMON") || has("CINNAMON"))
        return DesktopKind::Cinnamon;
    if (has("GNOME") || has("UNITY") || has("BUDGIE") || has("PANTHEON"))
        return DesktopKind::Gnome;
    if (has("SWAY"))
        return DesktopKind::Sway;
    return DesktopKind::Other;
}

QList<ToolCall> wallpaperCommands(DesktopKind kind, const QString &picture, const QStringList &xfceProperties)
{
    const QString uri = QUrl::fromLocalFile(picture).toString(QUrl::FullyEncoded);
    const QString zoom = QStringLiteral("zoom");
    switch (kind) {
    case DesktopKind::Gnome:
        return { gsettings("org.gnome.desktop.background", "picture-uri", uri),
            gsettings("org.gnome.desktop.background", "picture-uri-dark", uri),
            gsettings("org.gnome.desktop.background", "picture-options", zoom) };
    case DesktopKind::Cinnamon:
        return { gsettings("org.cinnamon.desktop.background", "picture-uri", uri),
            gsettings("org.cinnamon.desktop.background", "picture-options", zoom) };
    case DesktopKind::Mate:
        return { gsettings("org.mate.background", "picture-filename", picture),
            gsettings("org.mate.background", "picture-options", zoom) };
    case DesktopKind::Kde:
        return { { QStringLiteral("plasma-apply-wallpaperimage"), { QStringLiteral("--"), picture } } };
    case DesktopKind::Xfce: {
        QStringList properties;
        for (const QString &property : xfceProperties) {
            const QString name = property.trimmed();
            if (name.startsWith(QLatin1String("/backdrop/")) && name.endsWith(QLatin1String("/last-image")))
                properties.append(name);
        }
        if (properties.isEmpty())
            properties.append(QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image"));
        QList<ToolCall> calls;
        for (const QString &property : properties)
            calls.append({ QStringLiteral("xfconf-query"),
                { QStringLiteral("-c"),
                    QStringLiteral("xfce4-desktop"),
                    QStringLiteral("-p"),
                    property,
                    QStringLiteral("-s"),
                    picture } });
        return calls;
    }
    case DesktopKind::Sway:
        return { { QStringLiteral("swaymsg"),
            { QStringLiteral("output"),
                QStringLiteral("*"),
                QStringLiteral("bg"),
                swayQuoted(picture),
                QStringLiteral("fill") } } };
    case DesktopKind::Other:
        break;
    }
    return { { QStringLiteral("feh"), { QStringLiteral("--bg-fill"), QStringLiteral("--"), picture } } };
}

std::optional<ToolCall> minimizeAllCommand(const QString &platformName)
{
    if (platformName != QLatin1String("xcb"))
        return std::nullopt;
    return ToolCall { QStringLiteral("wmctrl"), { QStringLiteral("-k"), QStringLiteral("on") } };
}

}
