#pragma once

#include <QString>
#include <QStringList>

namespace viewer {

// What the viewer lists at start-up: a folder, and the picture to start at (empty for none).
struct StartTarget {
    QString folder;
    QString targetFileName;
    bool isEmpty() const { return folder.isEmpty(); }
};

// The command line text: the program's arguments joined by spaces.
QString commandLineText(const QStringList &arguments);

// The start-up rule: every double quote is removed; an existing file longer than 30 bytes is a
// picture whose folder is listed starting at it; a folder, or a file of 30 bytes or fewer, is
// taken whole as the folder; a path to nothing is split like a file. Empty when nothing remains.
StartTarget parseStartTarget(const QString &commandLine);

}
