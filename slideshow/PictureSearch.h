#pragma once

#include <QString>
#include <QStringList>

namespace slideshow {

// The most pictures a slideshow list holds.
inline constexpr int kPictureListBound = 6001;
// Pictures of this many bytes or fewer are left out.
inline constexpr qint64 kSmallPictureBytes = 30000;

// The larger pictures of one folder (not its subfolders): files named *.bmp, *.jpg, *.jpeg
// or *.gif (any letter case) of more than 30000 bytes, as full paths, in the order of their
// upper-cased names, at most kPictureListBound of them. A folder that cannot be read gives
// an empty list.
QStringList SearchPictureFile(const QString &folder);

}
