#pragma once

#include <QByteArray>
#include <QString>

namespace common {

// Lines of the suite's text files and pages end in CR LF.
inline const QString kCrLf = QStringLiteral("\r\n");

// The charset of the user's locale (UTF-8 on nearly every system), as a page declares it.
QString localCharsetName();

// Text in the locale's charset; characters it cannot hold become "?".
QByteArray encodeLocal(const QString &text);

// Bytes read from a file: UTF-8 when they are valid UTF-8 (a byte-order mark is dropped),
// else GB18030 (a superset of GBK), so files written by older versions in GBK still read.
QString decodeText(const QByteArray &bytes);

}
