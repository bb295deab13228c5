#pragma once

#include <QHash>
#include <QString>

namespace viewer::thumbs {

// The width in CSS pixels that a page gives each of its pictures, by the picture's local path:
// every <img> whose src is an absolute local path and that has a width attribute. Pictures drawn
// at their natural size (no width) are not listed. Where one file is shown twice, the larger
// width is kept.
QHash<QString, int> drawnWidths(const QString &html);

}
