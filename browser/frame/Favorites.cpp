#include "browser/frame/Favorites.h"

#include "browser/frame/AddressRules.h"
#include "browser/frame/History.h"
#include "common/Files.h"
#include "common/TextCodec.h"

#include <QFile>
#include <QUrl>

namespace browser::frame {

namespace {
    constexpr int kNameCut = 30;
    const QString kNamePadding = QStringLiteral("     ");

    QString oneLine(QString text)
    {
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return text;
    }

    QByteArray readAllOf(const QString &path, bool *ok)
    {
        QFile file(path);
        *ok = file.open(QIODevice::ReadOnly);
        return *ok ? file.readAll() : QByteArray();
    }
}

QString favoritesPath(const QString &dataFolder)
{
    return dataFolder + kFavoritesFileName;
}

QStringList favoritesLines(const QByteArray &bytes)
{
    const QString text = common::decodeText(bytes);
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
            ++end;
        if (end > start)
            lines.append(text.mid(start, end - start));
        if (end < text.size() && text.at(end) == QLatin1Char('\r') && end + 1 < text.size()
            && text.at(end + 1) == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    return lines;
}

Favorite splitFavoriteLine(const QString &line)
{
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    if (comma < 0)
        return { QString(), line };
    return { line.left(comma), line.mid(comma + 1) };
}

QList<Favorite> readFavorites(const QByteArray &bytes)
{
    QList<Favorite> favorites;
    for (const QString &line : favoritesLines(bytes))
        favorites.append(splitFavoriteLine(line));
    return favorites;
}

QList<Favorite> readFavoritesFile(const QString &path)
{
    bool ok = false;
    const QByteArray bytes = readAllOf(path, &ok);
    return readFavorites(bytes);
}

QStringList readFavoritesFileLines(const QString &path)
{
    bool ok = false;
    const QByteArray bytes = readAllOf(path, &ok);
    return favoritesLines(bytes);
}

QString storedFavoriteName(const QString &typed)
{
    QString name = leftCharacters(typed + kNamePadding, kNameCut);
    name.remove(QLatin1Char(','));
    return name;
}

QString favoriteLine(const QString &name, const QString &address)
{
    if (name.isEmpty() || address.isEmpty())
        return {};
    return storedFavoriteName(oneLine(name)) + QLatin1Char(',') + oneLine(address);
}

bool appendFavoriteLine(const QString &path, const QString &line, QString *error)
{
    bool ok = false;
    const QByteArray old = readAllOf(path, &ok);
    QString text = common::decodeText(old);
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')) && !text.endsWith(QLatin1Char('\r')))
        text += common::kCrLf;
    text += line + common::kCrLf;
    return common::writeFileAtomically(path, common::encodeLocal(text), error);
}

bool writeFavoritesLines(const QString &path, const QStringList &lines, QString *error)
{
    QString text;
    for (const QString &line : lines)
        text += line + common::kCrLf;
    text += common::kCrLf;
    return common::writeFileAtomically(path, common::encodeLocal(text), error);
}

QString favoriteTarget(const QString &address)
{
    QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (isReopenableAddress(trimmed))
        return trimmed;
    // Only an address without a scheme of its own is completed; any other scheme stays refused.
    const QUrl typed(trimmed, QUrl::TolerantMode);
    if (!typed.scheme().isEmpty() && trimmed.startsWith(typed.scheme() + QLatin1Char(':')))
        return {};
    const QString completed = QUrl::fromUserInput(trimmed).toString();
    return isReopenableAddress(completed) ? completed : QString();
}

QString favoritesCategoryFolder(const QString &dataFolder, const QString &answer)
{
    if (answer.isEmpty() || answer == QLatin1String(".") || answer == QLatin1String("..")
        || answer.contains(QLatin1Char('/')) || answer.contains(QChar(0)))
        return {};
    return dataFolder + kFavoritesFolderName + answer;
}

int selectionAfterDelete(int removed, int remaining)
{
    if (removed < 0 || removed >= remaining)
        return -1;
    return removed;
}

}
