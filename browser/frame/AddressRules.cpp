#include "browser/frame/AddressRules.h"

#include <QUrl>

namespace browser::frame {

QString addressBoxText(const QString &text)
{
    return text == QLatin1String("about:blank") ? QStringLiteral("http://www.") : text;
}

QString goAddress(const QString &typed)
{
    return typed.contains(QLatin1Char('.')) ? typed : webSearchAddress(typed);
}

QString webSearchAddress(const QString &words)
{
    return sites::kWebSearch + sites::kWebSearchQuery + words;
}

QString pictureSearchAddress(const QString &words)
{
    return sites::kImageSearch + QStringLiteral("/search/index?tn=") + sites::kImageSearchTn + sites::kImageSearchTail
        + words;
}

QString addressFromListEntry(const QString &entry)
{
    if (entry.left(4) == QLatin1String("http"))
        return entry;
    const qsizetype at = entry.indexOf(QLatin1String("http"));
    return at < 0 ? entry : entry.mid(at);
}

QString addressListEntry(const QString &title, const QString &address)
{
    return title + QStringLiteral("  ") + address;
}

QString shownAddress(const QString &address)
{
    return address == sites::kHomeWithQuery ? sites::kHomePlain : address;
}

bool isReopenableAddress(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::TolerantMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file"))
        return true;
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp"))
        && !url.host().isEmpty();
}

QStringList presetSearchWords()
{
    return { QStringLiteral("香山"),
        QStringLiteral("风景"),
        QStringLiteral("竹林"),
        QStringLiteral("枫叶"),
        QStringLiteral("红枫"),
        QStringLiteral("椰树"),
        QStringLiteral("城市夜景"),
        QStringLiteral("日出"),
        QStringLiteral("日落"),
        QStringLiteral("风景艺术"),
        QStringLiteral("美丽夕阳"),
        QStringLiteral("艺术壁纸"),
        QStringLiteral("梦幻风景"),
        QStringLiteral("风光壁纸"),
        QStringLiteral("海洋风光"),
        QStringLiteral("湖光山色"),
        QStringLiteral("海底世界"),
        QStringLiteral("海天一色"),
        QStringLiteral("浩瀚星空"),
        QStringLiteral("神秘宇宙"),
        QStringLiteral("海洋风光"),
        QStringLiteral("油画风景"),
        QStringLiteral("梦幻仙境"),
        QStringLiteral("3d风景"),
        QStringLiteral("黄昏"),
        QStringLiteral("瀑布"),
        QStringLiteral("夜色") };
}

QString SearchWords::search(const QString &word)
{
    m_words.append(word);
    return pictureSearchAddress(word);
}

}
