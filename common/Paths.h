#pragma once

#include <QString>

namespace common {

// Every folder text returned here ends with "/".
QString withTrailingSlash(const QString &folder);

// The folder of the running executable.
QString programFolder();

// programFolder() + "Velmora/" when that folder exists (a portable install), else
// $XDG_DATA_HOME/Velmora/ (~/.local/share/Velmora/). Not created here.
QString dataFolder();

// dataFolder() + "Download/".
QString defaultDownloadFolder();

// $XDG_CONFIG_HOME/Velmora/ (~/.config/Velmora/): the registry hive lives there.
QString configFolder();

// Private folder for generated pages: $XDG_RUNTIME_DIR/Velmora/ when XDG_RUNTIME_DIR is set,
// else dataFolder() + "pages/". Created with mode 0700 on first use. A folder that is a link,
// belongs to another user or is open to others is never used (nor changed): the data folder's
// "pages/" is used instead, and the reason is said once on standard error. Empty when neither
// folder is fit.
QString pageFolder();

// The full path of a generated page file ("Tpc.htm", "Quodra.htm", "img.htm"); empty when there
// is no page folder.
QString pageFilePath(const QString &fileName);

// The user's Pictures folder, else the home folder: where the viewer starts before a folder is
// chosen.
QString defaultPicturesFolder();

// The XDG desktop folder.
QString desktopFolder();

// The path of the running executable.
QString programPath();

// The local path of a file URL, percent-decoded ("file:///home/u/a%20b.jpg" gives "/home/u/a b.jpg");
// empty for anything that is not a local file URL.
QString localPathFromUrlText(const QString &urlText);

}
