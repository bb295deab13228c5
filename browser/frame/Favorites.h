#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace browser::frame {

// The favorites list "Fav.rar" of the data folder: one favorite a line, name "," address, lines
// ended by CR LF in the locale's charset. Only the first comma separates, so an address may hold
// commas; empty lines are allowed anywhere and skipped.

struct Favorite {
    QString name; // may end in blanks; empty for a line without a comma
    QString address; // the whole line when it has no comma
};

inline const QString kFavoritesFileName = QStringLiteral("Fav.rar");
// The dialog's "新建目录" makes its folders below this one.
inline const QString kFavoritesFolderName = QStringLiteral("Favorites/");

// dataFolder (ending with "/") + "Fav.rar".
QString favoritesPath(const QString &dataFolder);

// The non-empty lines of the file's bytes (UTF-8, else GBK), in file order. Lines end at CR LF, LF
// or a lone CR.
QStringList favoritesLines(const QByteArray &bytes);
// The split of one line at its first comma.
Favorite splitFavoriteLine(const QString &line);
QList<Favorite> readFavorites(const QByteArray &bytes);
// The favorites of the file at `path`; an empty list when it cannot be read.
QList<Favorite> readFavoritesFile(const QString &path);
QStringList readFavoritesFileLines(const QString &path);

// The name as the list stores it: the first 30 characters of the name followed by five blanks,
// with every comma then removed.
QString storedFavoriteName(const QString &typed);
// The line the dialog appends, or "" when the name or the address is empty. Line breaks inside
// either become blanks, so one favorite always stays one line.
QString favoriteLine(const QString &name, const QString &address);

// Appends one line to the list, made when missing. The file is written again as a whole in the
// locale's charset (an older GBK file is carried over) and replaced at once. False on failure,
// the old file then unchanged.
bool appendFavoriteLine(const QString &path, const QString &line, QString *error = nullptr);
// The organizer's save: every line followed by CR LF, then one empty line, replacing the file at
// once.
bool writeFavoritesLines(const QString &path, const QStringList &lines, QString *error = nullptr);

// The address to open for a chosen favorite, or "" when it must not be opened: only web, ftp and
// local file addresses open; a "javascript:" or "data:" address (any case, blanks around it) is
// shown in the menu but never run. An address typed without a scheme ("www.a.com") opens as the
// address box would open it.
QString favoriteTarget(const QString &address);

// The folder "新建目录" makes for the answer of its input box: dataFolder + "Favorites/" + the
// answer. "" (nothing is made) for an empty answer or one that is not a single folder name
// ("a/b", ".", "..").
QString favoritesCategoryFolder(const QString &dataFolder, const QString &answer);

// The organizer: the line to select after deleting line `removed` when `remaining` lines are left;
// -1 for none.
int selectionAfterDelete(int removed, int remaining);

}
