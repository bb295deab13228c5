#pragma once

#include <QByteArray>
#include <QString>

namespace common {

// The charset of the user's locale (UTF-8 on nearly every system), as a page declares it.
QString localCharsetName();

// Text in the locale's charset; characters it cannot hold become "?".
QByteArray encodeLocal(const QString &text);

// Bytes read from a file: UTF-8 when they are valid UTF-8 (a byte-order mark is dropped),
// else GB18030 (a superset of GBK), so files carried over from the Windows program still read.
QString decodeText(const QByteArray &bytes);

// Writes the whole file through a temporary file and a rename, so readers never see half of it.
// Returns false (and leaves any old file as it was) when it cannot be written; an existing item
// that is not a regular file (a device such as /dev/full, a folder) is refused.
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error = nullptr);

}
