#include "desktop/HiddenItems.h"

#include "common/FileAttributes.h"
#include "common/Files.h"
#include "common/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace desktop {

namespace {

    // The path without a trailing "/" (the root stays "/"), with "." and ".." resolved.
    QString normalised(const QString &path)
    {
        if (path.isEmpty())
            return path;
        return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    }

    bool samePlace(const QString &a, const QString &b)
    {
        if (a.isEmpty() || b.isEmpty())
            return false;
        if (normalised(a) == normalised(b))
            return true;
        const QString canonicalA = QFileInfo(a).canonicalFilePath();
        return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
    }

}

QString hiddenListPath(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("file.ifo");
}

QStringList readHiddenList(const QString &listPath)
{
    QFile file(listPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList items;
    for (QString line : common::decodeText(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            items.append(line);
    }
    return items;
}

bool appendHiddenList(const QString &listPath, const QString &item)
{
    QByteArray bytes;
    {
        QFile existing(listPath);
        if (existing.open(QIODevice::ReadOnly))
            bytes = existing.readAll();
    }
    common::setFileAttributes(listPath, common::AttrNormal);
    // A list cut short by an older program keeps its last line apart from the new one.
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        bytes.append("\r\n");
    bytes.append(common::encodeLocal(item));
    bytes.append("\r\n");
    const bool written = common::writeFileAtomically(listPath, bytes);
    common::setFileAttributes(listPath, common::AttrHidden | common::AttrSystem);
    return written;
}

HideRefusal hideRefusal(const QString &item, const QString &homeFolder, const QString &dataFolder)
{
    if (item.trimmed().isEmpty())
        return HideRefusal::Empty;
    if (normalised(item) == QLatin1String("/"))
        return HideRefusal::Root;
    if (samePlace(item, homeFolder))
        return HideRefusal::Home;
    if (samePlace(item, dataFolder))
        return HideRefusal::DataFolder;
    return HideRefusal::None;
}

bool hideItem(const QString &item)
{
    return common::setFileAttributes(normalised(item), common::AttrHidden | common::AttrSystem);
}

bool restoreItem(const QString &item)
{
    return common::setFileAttributes(normalised(item), common::AttrNormal);
}

}
