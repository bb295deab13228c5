#include "common/FileAttributes.h"

#include "common/Files.h"
#include "common/TextCodec.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace common {

namespace {

    constexpr const char *kDosAttributeName = "user.DOSATTRIB";

    bool itemExists(const QByteArray &nativePath)
    {
        struct stat st { };
        return ::lstat(nativePath.constData(), &st) == 0;
    }

    QString hiddenListPath(const QFileInfo &info)
    {
        return info.absolutePath() + QStringLiteral("/.hidden");
    }

    QStringList readHiddenList(const QString &listPath)
    {
        QFile file(listPath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList names = decodeText(file.readAll()).split(QLatin1Char('\n'));
        for (QString &name : names) {
            if (name.endsWith(QLatin1Char('\r')))
                name.chop(1);
        }
        names.removeAll(QString());
        return names;
    }

    void updateHiddenList(const QFileInfo &info, bool hidden)
    {
        const QString listPath = hiddenListPath(info);
        QStringList names = readHiddenList(listPath);
        const QString name = info.fileName();
        const bool listed = names.contains(name);
        if (listed == hidden)
            return;
        if (hidden)
            names.append(name);
        else
            names.removeAll(name);
        if (names.isEmpty()) {
            QFile::remove(listPath);
            return;
        }
        writeFileAtomically(listPath, (names.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    }

    int dosAttributeBits(const QByteArray &nativePath)
    {
        char buffer[32] = {};
        const ssize_t length = ::lgetxattr(nativePath.constData(), kDosAttributeName, buffer, sizeof buffer - 1);
        if (length <= 0)
            return 0;
        bool ok = false;
        const int bits = QByteArray(buffer, int(length)).trimmed().toInt(&ok, 0);
        return ok ? bits & (AttrHidden | AttrSystem) : 0;
    }

    void setDosAttributeBits(const QByteArray &nativePath, int bits)
    {
        // Silently skipped where the file system has no user extended attributes.
        if (bits == 0) {
            ::lremovexattr(nativePath.constData(), kDosAttributeName);
            return;
        }
        const QByteArray text = "0x" + QByteArray::number(bits, 16);
        ::lsetxattr(nativePath.constData(), kDosAttributeName, text.constData(), size_t(text.size()), 0);
    }

}

bool setFileAttributes(const QString &path, int attributes, bool listInHiddenFile)
{
    const QByteArray nativePath = QFile::encodeName(path);
    if (path.isEmpty() || !itemExists(nativePath))
        return false;
    const QFileInfo info(path);

    if (!info.isSymLink()) {
        QFile::Permissions permissions = QFile::permissions(path);
        if (attributes & AttrReadOnly)
            permissions &= ~QFile::Permissions(QFile::WriteOwner | QFile::WriteUser);
        else
            permissions |= QFile::WriteOwner | QFile::WriteUser;
        QFile::setPermissions(path, permissions);
    }
    if (listInHiddenFile)
        updateHiddenList(info, attributes & AttrHidden);
    setDosAttributeBits(nativePath, attributes & (AttrHidden | AttrSystem));
    return true;
}

int fileAttributes(const QString &path)
{
    const QByteArray nativePath = QFile::encodeName(path);
    if (path.isEmpty() || !itemExists(nativePath))
        return AttrNormal;
    const QFileInfo info(path);
    int attributes = dosAttributeBits(nativePath);
    if (!info.isSymLink() && !(QFile::permissions(path) & QFile::WriteOwner))
        attributes |= AttrReadOnly;
    if (readHiddenList(hiddenListPath(info)).contains(info.fileName()))
        attributes |= AttrHidden;
    return attributes;
}

}
