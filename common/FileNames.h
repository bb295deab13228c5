#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <cstddef>

namespace common {

// File names as the file system holds them are bytes; the program holds them as text. Names
// in UTF-8 decode as usual. A byte that is not part of a valid UTF-8 sequence is kept as the
// character U+DC00 + byte (U+DC80..U+DCFF: lone low surrogates, which no decoded text holds),
// so that encodeFileName gives the very bytes back and the file opens.
QString decodeFileName(const char *bytes, std::size_t length);
QString decodeFileName(const QByteArray &bytes);
// The bytes of a name or path decoded by decodeFileName (for other text: its UTF-8).
QByteArray encodeFileName(const QString &name);

// The file: address of a path, kept bytes written as %XX; the inverse of localPathFromUrl.
QUrl fileUrl(const QString &path);
// The local path a file: address names, with bytes that are not UTF-8 kept as decodeFileName
// keeps them; "" for any other address.
QString localPathFromUrl(const QUrl &url);

// True for a character that stands for one undecodable byte; its byte is the low 8 bits.
constexpr bool isKeptByte(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

}
