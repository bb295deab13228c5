#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

namespace browser::page {

// The folder text with "/" appended when it does not end with one.
QString withTrailingSlash(const QString &folder);

// folder + year month day "_" hour minute counter ".jpg", numbers without leading zeros:
// 15:07 on 9 March 2026 with counter 0 gives "202639_1570.jpg".
QString pictureFileName(const QString &folder, const QDateTime &when, int counter);

// The first name from `FileCounter` on for which no file exists; the counter advances after every
// name tried, the one returned included.
QString NextPictureFileName(const QString &folder, const QDateTime &when, int &FileCounter);

// Moves the finished file `source` to the next free picture name of the folder without ever
// replacing a file: the name is taken atomically, and a name that appeared meanwhile makes the
// counter advance. Answers the name, or empty when the file could not be moved (source is then
// left for the caller to remove).
QString claimPictureName(const QString &source, const QString &folder, const QDateTime &when, int &FileCounter);

// A hidden work-file name in folder for a picture on its way in; never an existing name.
QString workFileName(const QString &folder);

// Decodes picture bytes, turned upright; a null picture when they are no picture or state more
// pixels than the decoder's budget. Safe to call from any thread.
QImage decodePictureBytes(const QByteArray &bytes);

// Decodes picture bytes (refusing more than the decoder's pixel budget) and writes them as a
// JPEG file of quality 80. False when the bytes are no picture, too large, or the file cannot be
// written. Safe to call from any thread.
bool encodePictureBytes(const QByteArray &bytes, const QString &jpegPath);

}
