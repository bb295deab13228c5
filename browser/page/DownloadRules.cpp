#include "browser/page/DownloadRules.h"

#include "common/Paths.h"

namespace browser::page {

QString addressFileName(const QString &address)
{
    return address.mid(address.lastIndexOf(QLatin1Char('/')) + 1);
}

bool isDownloadableAddress(const QString &address)
{
    return address.size() > 14;
}

bool isClipboardAddress(const QString &text)
{
    return text.startsWith(QLatin1String("http"));
}

QString localFileOfAddress(const QString &address)
{
    if (address.startsWith(QLatin1Char('/')))
        return address;
    return common::localPathFromUrlText(address);
}

}
