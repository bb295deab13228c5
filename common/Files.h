#pragma once

#include <QByteArray>
#include <QFlags>
#include <QString>

namespace common {

enum class WriteFlag {
    // Skip the fsync before the rename. For files that are cheap to make again (a generated page):
    // every write is still checked, so a full disk is still reported and the old file kept.
    NoSync = 0x1,
    // When the path is a symbolic link, replace the link itself instead of the file it names.
    // Used where nobody but the program should put anything, such as the private page folder.
    ReplaceLinks = 0x2,
};
Q_DECLARE_FLAGS(WriteFlags, WriteFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(WriteFlags)

// Replaces the whole file so that readers see the old bytes or the new ones, never a mix.
// The data goes to a new temporary file beside the target (created with O_EXCL and O_NOFOLLOW),
// every write and the close are checked, the file is fsync-ed unless NoSync, and only then is it
// renamed over the target. A replaced file keeps its permission bits; a new one gets 0666 less
// the umask. On any failure the old file is left as it was, the temporary file is removed, and
// false is returned with the reason in error. An existing item that is not a regular file (a
// device such as /dev/full, a folder, a pipe) is refused. A link to a regular file is followed
// unless ReplaceLinks is given.
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error = nullptr, WriteFlags flags = {});

// Copies the regular file source (links followed) over target the same way: through a
// temporary file beside target that is renamed into place, so a failed copy never leaves half a
// file where the old one was. The copy gets the source's permission bits. An existing target
// that is not a regular file (links followed) is refused.
bool copyFileReplacing(const QString &source, const QString &target, QString *error = nullptr, WriteFlags flags = {});

enum class XdgFolder {
    Config, // $XDG_CONFIG_HOME, else ~/.config/
    Data, // $XDG_DATA_HOME, else ~/.local/share/
    Cache, // $XDG_CACHE_HOME, else ~/.cache/
    Runtime, // $XDG_RUNTIME_DIR, else empty: there is no fallback below the home folder
};

// The base folder, ending with "/". A variable that is empty or not an absolute path counts as
// unset, as the base-directory rules say.
QString xdgFolder(XdgFolder folder);

// A folder only this user may enter: a real folder (not a link) owned by the effective user with
// mode 0700. A missing folder is created so (its parents with the default mode). Nothing is
// changed on a folder that exists but does not qualify; false and the reason are returned.
bool ensurePrivateFolder(const QString &folder, QString *error = nullptr);

}
