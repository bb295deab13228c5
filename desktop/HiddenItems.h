#pragma once

#include <QString>
#include <QStringList>

namespace desktop {

// The list of hidden items kept in the data folder.
QString hiddenListPath(const QString &dataFolder);

// The paths of the list file, one per line (UTF-8, or GBK from older data folders); empty lines
// are skipped. A missing file gives an empty list.
QStringList readHiddenList(const QString &listPath);

// Adds one path as a line (the locale's charset, CR LF) to the list file. The file is made normal,
// replaced atomically with the line added, and marked hidden and system again.
bool appendHiddenList(const QString &listPath, const QString &item);

// Why an item may not be hidden.
enum class HideRefusal {
    None,
    Empty, // nothing chosen
    Root, // the root folder
    Home, // the home folder itself
    DataFolder, // the program's own data folder
};
HideRefusal hideRefusal(const QString &item, const QString &homeFolder, const QString &dataFolder);

// Hides an item: exactly the hidden and system attributes (any read-only mark is dropped).
bool hideItem(const QString &item);
// Makes an item normal again: visible and writable by its owner.
bool restoreItem(const QString &item);

}
