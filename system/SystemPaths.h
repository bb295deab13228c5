#pragma once

#include <QString>

namespace sys {

// The handful of system places the suite's tools refer to, read once at start-up. Every folder
// ends with "/".
struct SystemPaths {
    // Where the system keeps its own configuration: "/etc/" (nothing of ours lives below it).
    QString windowsFolder;
    // Where the system's programs live: "/usr/bin/".
    QString systemFolder;
    // The login name of the account the program runs under.
    QString userName;
    // The user's own folder ($HOME), which stands where the profile folder
    // "Documents and Settings\<user>" stood.
    QString profileFolder;
    // The disk cache of the program's web engine: $XDG_CACHE_HOME/Velmora/web/. The browser gives
    // this folder to its web-engine profile, so clearing it clears the browser's cache.
    QString cacheFolder;
};

// Reads the paths above. The account name comes from the password database, else from $USER or
// $LOGNAME; nothing is created on disk.
SystemPaths LoadSystemPaths();

}
