#pragma once

#include "viewer/ViewerState.h"

#include <QString>
#include <QStringList>

namespace viewer {

// True when a file name is a picture's: its extension (the text after the last ".", or the whole
// name when it has no "."), lower-cased, is one of bmp, jpg, jpeg, gif, png, tif, tiff. So a file
// named exactly "bmp" counts, "c.jpe" and "d" do not.
bool isPictureFileName(const QString &fileName);

// The names of the files in a folder (every entry that is not a folder, hidden ones included;
// "." and ".." skipped) in the order the viewer lists them, decoded by decodeFileName so that
// names that are not UTF-8 keep their bytes,: ordinal comparison of the upper-cased
// names, so a.jpg, B.jpg, c.jpg. Empty when the folder cannot be read.
QStringList folderFileNames(const QString &folder);

struct FolderScanResult {
    QString CurrentFolder; // the scanned folder, always ending with "/"
    QStringList ViewerList; // full paths, at most ViewerState::kViewerListBound
    QString ViewerListText; // every path of ViewerList followed by CR LF
    int ViewerCount = 0; // ViewerList.size()
    bool boundReached = false; // the folder held more pictures than the list can take
};

// Lists the pictures of a folder. Without a target, in folder order; with a target (a file name
// compared exactly, case-sensitive) that is found, starting at the target and wrapping round to
// the pictures before it; with a target that is not found, in folder order. The list stops
// growing at `bound` entries. A folder that cannot be read (or an empty folder text) gives an
// empty list.
FolderScanResult scanFolder(
    const QString &folder, const QString &TargetFileName, int bound = ViewerState::kViewerListBound);

// Puts a scan into the shared values the viewer and its exports read.
void applyFolderScan(const FolderScanResult &scan, ViewerState &state);

}
