#pragma once

#include <QString>
#include <QStringList>

namespace browser::frame {

// The batch page reader: a folder's web-page files, each opened in a tab of its own.

// The page files it lists.
QStringList pageFilePatterns();
// The folder it starts on: the stored one, else dataFolder (ending with "/") + "History".
QString readerStartFolder(const QString &stored, const QString &dataFolder);
// The page files of a folder, names only, in the order the folder lists them (ordinal comparison
// of the upper-cased names). Empty for a folder that is missing or cannot be read.
QStringList pageFilesIn(const QString &folder);
// folder + "/" + name, with no second "/" after a folder that ends with one (the root "/").
QString fileInFolder(const QString &folder, const QString &name);

inline const QString kReaderCaption = QStringLiteral("成批阅读网页");
inline const QString kReaderBrowsePrompt = QStringLiteral("请选择一个包含有网页文件的目录");
inline const QString kReaderMissingFolder = QStringLiteral("路径不存在！   ");
inline const QString kReaderNoFiles = QStringLiteral("抱歉，该文件夹内没有一个网页文件，请换一个。  ");

// Control places for an inner width in twips.
struct ReaderLayout {
    int comPathWidth = 0;
    int cmdSearchLeft = 0;
    int command1Left = 0;
    int listFileWidth = 0;
};
ReaderLayout readerLayout(int innerWidthTwips);

}
