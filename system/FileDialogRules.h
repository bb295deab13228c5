#pragma once

#include <QString>
#include <QStringList>

namespace sys {

// Everything a file dialog shows, decided without any widget.
struct FileDialogRules {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString title;
    // Qt name filters, "description (patterns)" with patterns separated by spaces; the dialog hides
    // the part in the last parentheses, so the user reads the description alone.
    QStringList nameFilters;
    QString selectedFilter;
    // Empty: the dialog opens where the last one was left.
    QString startFolder;
    QString proposedName;
};

// The filter text of the save dialog: description|patterns pairs, patterns separated by ";".
inline const QString kSaveDialogFilter = QStringLiteral(
    "全部(*.*)|*.*|图像文件(BMP,JPG,GIF,PNG,TIF)|*.jpg;*.bmp;*.gif;*.png;*.tif|网页文件 (HTM,HTML)|*.htm;*.html|"
    "文本文件 (TXT)|*.txt");

// The title of the folder picker when the caller gives no prompt.
inline const QString kDefaultFolderPrompt = QStringLiteral("Select a folder:");

// One Qt name filter from a description and ";"-separated patterns. "*.*" becomes "*" so that
// names without a dot are listed too: "*.*" means every file.
QString qtNameFilter(const QString &description, const QString &patterns);

// "description|patterns|description|patterns..." into Qt name filters, in order. A trailing
// description without patterns is dropped.
QStringList qtNameFiltersFromPipeText(const QString &pipeText);

// The four filters of the open/save file dialog, in order.
QStringList fileDialogNameFilters();

// The filter at a 1-based index; an index outside the list selects the first filter.
QString filterAt(const QStringList &filters, int filterIndex);

// The open/save file dialog: "open" in any letter case opens, anything else saves. setMenu1 is the
// stored "SetMenu1" text: missing or zero starts in currentFolder, any other number leaves the
// folder to the dialog.
FileDialogRules fileDialogRules(const QString &mode,
    const QString &title,
    const QString &defaultName,
    int filterIndex,
    const QString &setMenu1,
    const QString &currentFolder);

// The save dialog of the shared operations: its own filter text and the proposed name made safe.
FileDialogRules saveDialogRules(const QString &title, const QString &defaultName, int filterIndex);

// The folder picker's title: the prompt, or kDefaultFolderPrompt when it is empty.
QString folderPickerTitle(const QString &prompt);

}
