#pragma once

#include <QString>

namespace common {

// The program's file attribute bits: read-only 1, hidden 2, system 4; 0 is normal.
enum FileAttribute : int { AttrNormal = 0, AttrReadOnly = 1, AttrHidden = 2, AttrSystem = 4 };

// Read-only clears the owner's write bit; hidden lists the name in the parent folder's ".hidden"
// file; hidden and system are also kept in the extended attribute "user.DOSATTRIB" where the file
// system has user attributes. 0 undoes all three. False when the item does not exist.
// A generated page in the program's private page folder passes listInHiddenFile = false: it only
// needs the extended attribute.
bool setFileAttributes(const QString &path, int attributes, bool listInHiddenFile = true);

// The attributes as setFileAttributes stores them; 0 for a missing item.
int fileAttributes(const QString &path);

}
