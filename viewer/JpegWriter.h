#pragma once

#include <QString>

class QImage;

namespace viewer {

// Writes the picture as a baseline JPEG file at the quality (0..100; values outside are clamped).
// The file appears complete or not at all: it is written beside the target and renamed into place.
// True only when the file was written; a null picture, a folder that cannot take the file or a full
// disk give false and leave any earlier file as it was.
bool SaveAsJpeg(const QImage &picture, const QString &path, int quality);

}
