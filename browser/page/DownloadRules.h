#pragma once

#include <QString>

namespace browser::page {

// The file name an address suggests: the text after its last "/" (all of it without one).
QString addressFileName(const QString &address);

// The download dialog starts only addresses longer than 14 characters.
bool isDownloadableAddress(const QString &address);

// Clipboard text the download dialog takes as its address: text that begins with "http".
bool isClipboardAddress(const QString &text);

// A local file named by an address: an absolute path or a file URL; empty for anything else.
QString localFileOfAddress(const QString &address);

}
