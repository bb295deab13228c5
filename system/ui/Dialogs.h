#pragma once

#include "system/FileDialogRules.h"

#include <QString>

class QBoxLayout;
class QDialog;
class QFileDialog;
class QPushButton;
class QWidget;

namespace common {
class SettingsStore;
namespace platform {
    class Desktop;
}
}

namespace sys {

// A non-native QFileDialog set up from the rules (title, filters with the chosen one selected,
// start folder, proposed name, open or save mode with the overwrite question).
QFileDialog *createFileDialog(const FileDialogRules &rules, QWidget *owner);

// Runs the dialog modally: the chosen full path, or "" when cancelled or nothing was chosen.
QString runFileDialog(const FileDialogRules &rules, QWidget *owner);

// A folder picker titled with the prompt ("Select a folder:" when empty). The chosen folder
// without a trailing "/" (the root stays "/"), or "" when cancelled.
QString BrowseForFolder(const QString &prompt, QWidget *owner);

// The save dialog of the shared operations. "" when cancelled.
QString ShowSaveDialog(const QString &title, const QString &defaultName, int filterIndex, QWidget *owner = nullptr);

// The open/save file dialog; reads "SetMenu1" of section "setup" for its start folder, which is
// `currentFolder` (the viewer's listed folder) unless that setting says otherwise.
QString ShowFileDialog(const common::SettingsStore &settings,
    const QString &currentFolder,
    const QString &mode,
    const QString &title,
    const QString &defaultName,
    int filterIndex,
    QWidget *owner = nullptr);

// The file manager's properties sheet, else a small window of our own with the name, folder,
// size, date and picture dimensions. False when the path names nothing.
bool ShowFileProperties(common::platform::Desktop &desktop, const QString &path, QWidget *owner);

// The options dialogs' button row, right-aligned below `layout`: "确定(&Y)" (the default) and "取消(&C)".
void addConfirmButtons(QDialog *dialog, QBoxLayout *layout, QPushButton *&ok, QPushButton *&cancel);

// Turns the screen off.
void MonitorOff(common::platform::Desktop &desktop);

}
