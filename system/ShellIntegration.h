#pragma once

#include "common/Registry.h"

#include <QString>
#include <QStringList>

namespace common {
class SettingsStore;
namespace platform {
    class Desktop;
}
}

namespace sys {

// The command the file manager runs: the program's path in quotes, a space, then "%1" in quotes.
QString ShellCommand(const QString &programPath);

// Writes the six context-menu entries (files, folders and drives open with the program) into the
// hive, and the Linux counterparts: the desktop entry "vistelle.desktop" in the applications folder
// (so "Open With Vistelle" appears for pictures and folders) and a Dolphin service menu, both
// written through `desktop`. The two files are rewritten only when their text differs. Failures
// are ignored.
void RegisterShellMenus(common::RegistryHive &hive, const QString &programPath, common::platform::Desktop &desktop);

// Creates or overwrites an executable desktop entry `name`.desktop in the desktop folder that
// starts `target` with `arguments`, written through `desktop`. False when it could not be written.
bool CreateDesktopShortcut(
    const QString &name, const QString &target, common::platform::Desktop &desktop, const QStringList &arguments = {});

// On the first start of an installation (this program path never started before with this
// hive): writes "Pop" = "1", "AutoDownload" = "1" and a default "Homepage" under "setup", creates
// the desktop shortcut "Vistelle", and remembers the installation. True when it was a first start.
bool InitialiseFirstStart(common::RegistryHive &hive,
    common::SettingsStore &settings,
    const QString &programPath,
    common::platform::Desktop &desktop);

// The start page written on a first start.
inline const QString kDefaultHomepage = QStringLiteral("https://www.douban.com/group/explore");

// Where the Linux menu files go (under $XDG_DATA_HOME). The browser's own entry "Nimbrow" starts
// the program with "--browser".
QString desktopEntryPath();
QString browserEntryPath();
QString serviceMenuPath();

}
