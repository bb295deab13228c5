#pragma once

#include <QString>

namespace sys {

// The operation codes of ShellFileOp.
enum ShellFileFunction : int { FileOpMove = 1, FileOpCopy = 2, FileOpDelete = 3, FileOpRename = 4 };

// Moves, copies, deletes or renames one item, or the files that one wildcard pattern names inside
// one folder. Silent: no question, no message.
//
// from: an absolute path. Its name part may hold "*" (any run of characters) and "?" (any one
//   character); the folder part may not. A pattern ending in ".*" also takes names without a dot,
//   so "*.*" takes every file. A pattern takes files and symbolic links only, never folders; "."
//   and ".." are never taken. Without a wildcard the item itself is taken, a folder included.
// to: for move and copy, an existing folder receives the items under their own names; otherwise
//   `to` is the new path of a single item, or the folder (created when missing) that receives the
//   items of a pattern. Existing files there are replaced. For rename, `to` is the new path, or a
//   bare name in the item's own folder; rename takes a single item and never replaces one.
// Symbolic links are handled as links: they are moved, copied or deleted themselves and their
// targets are never read, changed or entered. Delete is permanent.
// Returns true when every item taken was handled; a missing source or a pattern matching nothing
// does nothing and returns false.
bool ShellFileOp(int function, const QString &from, const QString &to = {});

}
