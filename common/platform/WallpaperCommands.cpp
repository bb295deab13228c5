#include "common/platform/WallpaperCommands.h"

#include <QFileInfo>
#include <QUrl>

namespace common::platform {

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

    const QString kXfceFirstImage = QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image");

    // A stored wallpaper value as a local path: "file:" addresses are decoded, plain absolute
    // paths kept, anything else (another scheme, a relative name) is not a file of this machine.
    QString localPicture(const QString &value)
    {
        if (value.startsWith(QLatin1String("file:")))
            return QUrl(value).toLocalFile();
        return value.startsWith(QLatin1Char('/')) ? value : QString();
    }

    // Undoes gsettings' quoting of a string value (the quotes already removed).
    QString unescapeVariantString(const QString &quoted)
    {
        QString out;
        out.reserve(quoted.size());
        for (qsizetype i = 0; i < quoted.size(); ++i) {
            const QChar c = quoted.at(i);
            if (c != QLatin1Char('\\') || i + 1 >= quoted.size()) {
                out.append(c);
                continue;
            }
            const QChar e = quoted.at(++i);
            switch (e.unicode()) {
            case 'n':
                out.append(QLatin1Char('\n'));
                break;
            case 't':
                out.append(QLatin1Char('\t'));
                break;
            case 'r':
                out.append(QLatin1Char('\r'));
                break;
            case 'u':
            case 'U': {
                const int digits = e == QLatin1Char('u') ? 4 : 8;
                bool ok = false;
                const uint code = quoted.mid(i + 1, digits).toUInt(&ok, 16);
                if (ok && quoted.size() - i - 1 >= digits) {
                    const char32_t point = code;
                    out.append(QString::fromUcs4(&point, 1));
                    i += digits;
                } else {
                    out.append(e);
                }
                break;
            }
            default:
                out.append(e);
            }
        }
        return out;
    }

    // Splits one line of shell text into words, undoing single quotes, double quotes and
    // backslashes. A "#" that starts a word ends the line.
    QStringList shellWords(const QString &line)
    {
        QStringList words;
        QString word;
        bool inWord = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line.at(i);
            if (c == QLatin1Char('\'')) {
                const qsizetype end = line.indexOf(QLatin1Char('\''), i + 1);
                const qsizetype stop = end < 0 ? line.size() : end;
                word += line.mid(i + 1, stop - i - 1);
                i = stop;
                inWord = true;
            } else if (c == QLatin1Char('"')) {
                for (++i; i < line.size() && line.at(i) != QLatin1Char('"'); ++i) {
                    if (line.at(i) == QLatin1Char('\\') && i + 1 < line.size()
                        && QStringLiteral("\"\\$`").contains(line.at(i + 1)))
                        ++i;
                    word += line.at(i);
                }
                inWord = true;
            } else if (c == QLatin1Char('\\')) {
                if (i + 1 < line.size())
                    word += line.at(++i);
                inWord = true;
            } else if (c.isSpace()) {
                if (inWord)
                    words.append(word);
                word.clear();
                inWord = false;
            } else if (c == QLatin1Char('#') && !inWord) {
                break;
            } else {
                word += c;
                inWord = true;
            }
        }
        if (inWord)
            words.append(word);
        return words;
    }

    // Undoes the escapes of a KDE configuration value.
    QString unescapeConfigValue(const QString &value)
    {
        QString out;
        for (qsizetype i = 0; i < value.size(); ++i) {
            const QChar c = value.at(i);
            if (c != QLatin1Char('\\') || i + 1 >= value.size()) {
                out.append(c);
                continue;
            }
            const QChar e = value.at(++i);
            if (e == QLatin1Char('s'))
                out.append(QLatin1Char(' '));
            else if (e == QLatin1Char('n'))
                out.append(QLatin1Char('\n'));
            else if (e == QLatin1Char('t'))
                out.append(QLatin1Char('\t'));
            else if (e == QLatin1Char('r'))
                out.append(QLatin1Char('\r'));
            else
                out.append(e);
        }
        return out;
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
        QStringList properties = xfceLastImageProperties(xfceProperties);
        if (properties.isEmpty())
            properties.append(kXfceFirstImage);
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

ToolCall xfceListCommand()
{
    return { QStringLiteral("xfconf-query"),
        { QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-l") } };
}

QStringList xfceLastImageProperties(const QStringList &listed)
{
    QStringList properties;
    for (const QString &line : listed) {
        const QString name = line.trimmed();
        if (name.startsWith(QLatin1String("/backdrop/")) && name.endsWith(QLatin1String("/last-image"))
            && !properties.contains(name))
            properties.append(name);
    }
    return properties;
}

std::optional<ToolCall> currentWallpaperCommand(DesktopKind kind, const QString &xfceProperty)
{
    const auto get = [](const char *schema, const char *key) {
        return ToolCall { QStringLiteral("gsettings"),
            { QStringLiteral("get"), QString::fromLatin1(schema), QString::fromLatin1(key) } };
    };
    switch (kind) {
    case DesktopKind::Gnome:
        // The light scheme's picture: the program sets both schemes to the same one.
        return get("org.gnome.desktop.background", "picture-uri");
    case DesktopKind::Cinnamon:
        return get("org.cinnamon.desktop.background", "picture-uri");
    case DesktopKind::Mate:
        return get("org.mate.background", "picture-filename");
    case DesktopKind::Xfce:
        return ToolCall { QStringLiteral("xfconf-query"),
            { QStringLiteral("-c"),
                QStringLiteral("xfce4-desktop"),
                QStringLiteral("-p"),
                xfceProperty.isEmpty() ? kXfceFirstImage : xfceProperty } };
    case DesktopKind::Kde:
    case DesktopKind::Sway:
    case DesktopKind::Other:
        break;
    }
    return std::nullopt;
}

QString wallpaperFromToolOutput(const QByteArray &output)
{
    QString value = QString::fromUtf8(output).trimmed();
    if (value.size() >= 2 && (value.front() == QLatin1Char('\'') || value.front() == QLatin1Char('"'))
        && value.back() == value.front())
        value = unescapeVariantString(value.mid(1, value.size() - 2));
    return localPicture(value);
}

QString wallpaperFromPlasmaConfig(const QString &text)
{
    bool inImageGroup = false;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inImageGroup = line.endsWith(QLatin1String("[Wallpaper][org.kde.image][General]"));
            continue;
        }
        if (!inImageGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || line.left(equals).trimmed() != QLatin1String("Image"))
            continue;
        QString picture = localPicture(unescapeConfigValue(line.mid(equals + 1).trimmed()));
        if (!picture.isEmpty())
            return picture;
    }
    return {};
}

QString wallpaperFromFehbg(const QString &text)
{
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QStringList words = shellWords(line);
        if (words.isEmpty() || QFileInfo(words.constFirst()).fileName() != QLatin1String("feh"))
            continue;
        bool operands = false;
        for (qsizetype i = 1; i < words.size(); ++i) {
            const QString &word = words.at(i);
            if (!operands && word == QLatin1String("--")) {
                operands = true;
            } else if (!operands && word.startsWith(QLatin1Char('-'))) {
                // The one option feh writes there with a separate value.
                if (word == QLatin1String("--image-bg"))
                    ++i;
            } else {
                return word;
            }
        }
    }
    return {};
}

std::optional<ToolCall> minimizeAllCommand(const QString &platformName)
{
    if (platformName != QLatin1String("xcb"))
        return std::nullopt;
    return ToolCall { QStringLiteral("wmctrl"), { QStringLiteral("-k"), QStringLiteral("on") } };
}

}
