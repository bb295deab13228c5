#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>

namespace velmora::test {

// A small tmpfs mounted for one test (tests run as root); unmounted when it goes out of scope.
// isMounted() is false where mounting is impossible, and the test then skips.
class TinyDisk {
public:
    explicit TinyDisk(const char *size = "64k")
    {
        m_path = m_root.filePath(QStringLiteral("disk"));
        QDir().mkpath(m_path);
        const QByteArray options = QByteArray("mode=0755,size=") + size;
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~TinyDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    TinyDisk(const TinyDisk &) = delete;
    TinyDisk &operator=(const TinyDisk &) = delete;

    bool isMounted() const { return m_mounted; }
    // The mount point, ending with "/".
    QString folder() const { return m_path + QLatin1Char('/'); }

    // Writes a filler file until the disk takes not one more byte.
    void fill() const
    {
        QFile filler(folder() + QStringLiteral("filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) { }
        while (filler.write("f", 1) == 1) { }
    }

    // Makes the mounted disk read-only.
    bool makeReadOnly() const
    {
        return ::mount(nullptr, QFile::encodeName(m_path).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QTemporaryDir m_root;
    QString m_path;
    bool m_mounted = false;
};

}
