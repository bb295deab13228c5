#pragma once

#include <QString>
#include <QStringList>

namespace viewer {

// What the viewer lists now, shared with the windows it opens (the media search fills it, the
// exports and the slideshow read it).
struct ViewerState {
    static constexpr int kViewerListBound = 20001;

    // The folder listed now, ending with "/" once a folder has been scanned.
    QString CurrentFolder;
    // The viewer's picture list (at most kViewerListBound entries) and its export text.
    QStringList ViewerList;
    QString ViewerListText;
    int ViewerCount = 0;
    // Asks a running media search to end.
    bool SearchStop = false;
};

}
