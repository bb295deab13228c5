#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace viewer::thumbs {

// The width in CSS pixels that a page gives each of its pictures, by the picture's local path:
// every <img> whose src is an absolute local path, with 0 for one drawn at its natural size (no
// width attribute). Where one file is shown twice, the larger width is kept.
QHash<QString, int> drawnWidths(const QString &html);

// The src values (as the document reads them, entities undone) of the pictures drawn at a given
// width, each with its local path; in page order, each once.
QList<std::pair<QString, QString>> sourcesDrawnAtWidth(const QString &html);

}
