#include "browser/page/SearchSites.h"

namespace browser::page {

const QStringList &searchEngineSuffixes()
{
    static const QStringList suffixes {
        QStringLiteral(".baidu.com/"),
        QStringLiteral(".so.com/"),
        QStringLiteral(".sogou.com/"),
        QStringLiteral(".bing.com/"),
        QStringLiteral(".google.com/"),
        QStringLiteral(".sm.cn/"),
        QStringLiteral(".yahoo.com/"),
        QStringLiteral(".yandex.com/"),
        QStringLiteral(".hao123.com/"),
        QStringLiteral(".qq.com/"),
        QStringLiteral(".163.com/"),
    };
    return suffixes;
}

bool IsSearchEngineAddress(const QString &address)
{
    for (const QString &suffix : searchEngineSuffixes()) {
        // Positions count from 1: the index 8 is the ninth character.
        const qsizetype at = address.indexOf(suffix, 0, Qt::CaseSensitive);
        if (at >= 0 && at + 1 > 8)
            return true;
    }
    return false;
}

bool isImageSearchPage(const QString &address)
{
    return address.startsWith(kImageSearchPrefixA) || address.startsWith(kImageSearchPrefixB);
}

bool needsControlledMode(bool safeMode, const QString &Intourl)
{
    return safeMode && !IsSearchEngineAddress(Intourl);
}

bool safeModeForPopup(bool safeMode, const QString &openerAddress)
{
    return isImageSearchPage(openerAddress) ? false : safeMode;
}

}
