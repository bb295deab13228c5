#pragma once

#include <QString>
#include <QStringList>

namespace browser::page {

// The eleven search and portal domain suffixes, in the order they are tried, each "." + domain + "/".
const QStringList &searchEngineSuffixes();

// True when one of the suffixes occurs in the address after its eighth character (compared with
// letter case), so "https://www.baidu.com/s?wd=x" is a search page and "http://.baidu.com/" is not.
bool IsSearchEngineAddress(const QString &address);

// The two picture search sites whose pages open pop-ups with their scripts on.
inline const QString kImageSearchPrefixA = QStringLiteral("https://image.baidu.com"); // 23 characters
inline const QString kImageSearchPrefixB = QStringLiteral("https://image.so.com"); // 20 characters
bool isImageSearchPage(const QString &address);

// Safe mode: a page that is not a search page runs without its own scripts.
bool needsControlledMode(bool safeMode, const QString &Intourl);

// A pop-up opened by a page at `openerAddress` starts in safe mode unless the opener is a picture
// search page: the result is the safe mode the new page window is created with.
bool safeModeForPopup(bool safeMode, const QString &openerAddress);

}
