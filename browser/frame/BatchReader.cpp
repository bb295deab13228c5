#include "browser/frame/BatchReader.h"

#include <QDir>

#include <algorithm>

namespace browser::frame {

QStringList pageFilePatterns()
{
    return { QStringLiteral("*.htm"),
        QStringLiteral("*.html"),
        QStringLiteral("*.asp"),
        QStringLiteral("*.aspx"),
        QStringLiteral("*.php"),
        QStringLiteral("*.jsp"),
        QStringLiteral("*.xhtml") };
}

QString readerStartFolder(const QString &stored, const QString &dataFolder)
{
    if (!stored.isEmpty())
        return stored;
    return dataFolder + QStringLiteral("History");
}

QStringList pageFilesIn(const QString &folder)
{
    if (folder.isEmpty())
        return {};
    const QDir dir(folder);
    if (!dir.exists())
        return {};
    // Name filters of QDir compare without regard to case: "A.HTM" is a page file too.
    QStringList names = dir.entryList(pageFilePatterns(), QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int byUpper = QString::compare(a.toUpper(), b.toUpper(), Qt::CaseSensitive);
        return byUpper != 0 ? byUpper < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
    return names;
}

QString fileInFolder(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

ReaderLayout readerLayout(int innerWidthTwips)
{
    const int w = innerWidthTwips;
    return { w - 3200, w - 1700, w - 1100, w - 200 };
}

}
