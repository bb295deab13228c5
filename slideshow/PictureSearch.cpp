#include "PictureSearch.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace slideshow {

namespace {

    bool hasPictureType(const QString &name)
    {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const QString type = QLatin1Char(',') + (dot < 0 ? name : name.mid(dot + 1)) + QLatin1Char(',');
        // The leading "$$$" keeps a bare "," match from the start of the list out.
        return QStringLiteral("$$$,bmp,jpg,jpeg,gif,").indexOf(type.toLower()) > 1;
    }

}

QStringList SearchPictureFile(const QString &folder)
{
    QString base = folder;
    if (base.isEmpty())
        return {};
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    QStringList names =
        QDir(base).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return QString::compare(a.toUpper(), b.toUpper(), Qt::CaseSensitive) < 0;
    });
    QStringList pictures;
    for (const QString &name : names) {
        if (!hasPictureType(name))
            continue;
        const QFileInfo info(base + name);
        if (!info.isFile() || info.size() <= kSmallPictureBytes)
            continue;
        pictures.append(base + name);
        if (pictures.size() >= kPictureListBound)
            break;
    }
    return pictures;
}

}
