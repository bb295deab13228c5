#include "common/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace common {

namespace {

    QString errorText(int code)
    {
        return QString::fromStdString(std::generic_category().message(code));
    }

    bool fail(QString *error, const QString &text)
    {
        if (error)
            *error = text;
        return false;
    }

    bool failWithErrno(QString *error, const QString &what, int code)
    {
        return fail(error, QStringLiteral("%1: %2").arg(what, errorText(code)));
    }

    // A temporary file beside the target; removed when it goes out of scope unless kept.
    class TemporaryFile {
    public:
        TemporaryFile() = default;
        TemporaryFile(const TemporaryFile &) = delete;
        TemporaryFile &operator=(const TemporaryFile &) = delete;
        ~TemporaryFile()
        {
            if (m_fd >= 0)
                ::close(m_fd);
            if (!m_path.isEmpty())
                ::unlink(m_path.constData());
        }

        // Creates ".NAME.XXXXXX" in the target's folder, never through a link and never over
        // anything that is already there.
        bool create(const QByteArray &target, mode_t mode, QString *error)
        {
            const qsizetype cut = target.lastIndexOf('/');
            const QByteArray folder = cut < 0 ? QByteArray("./") : target.left(cut + 1);
            // Long names are shortened so the temporary name stays within the 255-byte limit.
            const QByteArray name = target.mid(cut + 1).left(200);
            for (int attempt = 0; attempt < 100; ++attempt) {
                const QByteArray candidate =
                    folder + '.' + name + '.' + QByteArray::number(QRandomGenerator::global()->bounded(0x7FFFFFFF), 36);
                const int fd =
                    ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
                if (fd >= 0) {
                    m_fd = fd;
                    m_path = candidate;
                    return true;
                }
                if (errno != EEXIST)
                    return failWithErrno(
                        error, QStringLiteral("cannot create a file in %1").arg(QFile::decodeName(folder)), errno);
            }
            return fail(error, QStringLiteral("cannot create a temporary file in %1").arg(QFile::decodeName(folder)));
        }

        int fd() const { return m_fd; }

        bool write(const char *data, size_t size, QString *error)
        {
            while (size > 0) {
                const ssize_t written = ::write(m_fd, data, size);
                if (written < 0) {
                    if (errno == EINTR)
                        continue;
                    return fail(error, errorText(errno));
                }
                data += written;
                size -= size_t(written);
            }
            return true;
        }

        // fsync (unless NoSync), close and rename over target; the folder is synced afterwards.
        bool commit(const QByteArray &target, WriteFlags flags, QString *error)
        {
            if (!flags.testFlag(WriteFlag::NoSync) && ::fsync(m_fd) != 0)
                return fail(error, errorText(errno));
            const int fd = m_fd;
            m_fd = -1;
            // close reports late write errors on some file systems (NFS, quotas).
            if (::close(fd) != 0 && errno != EINTR)
                return fail(error, errorText(errno));
            if (::rename(m_path.constData(), target.constData()) != 0)
                return failWithErrno(error, QStringLiteral("cannot replace %1").arg(QFile::decodeName(target)), errno);
            m_path.clear();
            if (!flags.testFlag(WriteFlag::NoSync)) {
                const qsizetype cut = target.lastIndexOf('/');
                const QByteArray folder = cut <= 0 ? QByteArray(cut == 0 ? "/" : ".") : target.left(cut);
                const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                if (folderFd >= 0) {
                    ::fsync(folderFd);
                    ::close(folderFd);
                }
            }
            return true;
        }

    private:
        int m_fd = -1;
        QByteArray m_path;
    };

    // The path the data really goes to, and the mode of the file it replaces (-1 for a new file);
    // false when the target is something that must not be replaced by a regular file.
    bool resolveTarget(const QString &path, WriteFlags flags, QByteArray &target, int &existingMode, QString *error)
    {
        if (path.isEmpty())
            return fail(error, QStringLiteral("no file name"));
        target = QFile::encodeName(path);
        existingMode = -1;
        struct stat st { };
        if (::lstat(target.constData(), &st) != 0) {
            if (errno == ENOENT)
                return true;
            return failWithErrno(error, path, errno);
        }
        if (S_ISLNK(st.st_mode) && !flags.testFlag(WriteFlag::ReplaceLinks)) {
            struct stat linked { };
            if (::stat(target.constData(), &linked) != 0) {
                if (errno == ENOENT)
                    return true; // a dangling link is replaced like a missing file
                return failWithErrno(error, path, errno);
            }
            if (!S_ISREG(linked.st_mode))
                return fail(error, QStringLiteral("%1 is not a regular file").arg(path));
            const QString canonical = QFileInfo(path).canonicalFilePath();
            if (canonical.isEmpty())
                return fail(error, QStringLiteral("the link %1 cannot be followed").arg(path));
            target = QFile::encodeName(canonical);
            existingMode = int(linked.st_mode & 07777);
            return true;
        }
        if (S_ISLNK(st.st_mode))
            return true;
        if (!S_ISREG(st.st_mode))
            return fail(error, QStringLiteral("%1 is not a regular file").arg(path));
        existingMode = int(st.st_mode & 07777);
        return true;
    }

}

bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error, WriteFlags flags)
{
    QByteArray target;
    int existingMode = -1;
    if (!resolveTarget(path, flags, target, existingMode, error))
        return false;
    TemporaryFile temporary;
    // A new file gets 0666 less the umask; a replaced file keeps its own bits exactly.
    if (!temporary.create(target, existingMode < 0 ? 0666 : 0600, error))
        return false;
    if (existingMode >= 0 && ::fchmod(temporary.fd(), mode_t(existingMode)) != 0)
        return failWithErrno(error, QStringLiteral("cannot set the permissions of %1").arg(path), errno);
    if (!temporary.write(data.constData(), size_t(data.size()), error))
        return false;
    return temporary.commit(target, flags, error);
}

bool copyFileReplacing(const QString &source, const QString &target, QString *error, WriteFlags flags)
{
    const QByteArray sourcePath = QFile::encodeName(source);
    const int in = ::open(sourcePath.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return failWithErrno(error, source, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer { in };
    struct stat st { };
    if (::fstat(in, &st) != 0)
        return failWithErrno(error, source, errno);
    if (!S_ISREG(st.st_mode))
        return fail(error, QStringLiteral("%1 is not a regular file").arg(source));

    QByteArray targetPath;
    int ignored = -1;
    if (!resolveTarget(target, flags, targetPath, ignored, error))
        return false;
    TemporaryFile temporary;
    if (!temporary.create(targetPath, 0600, error))
        return false;
    if (::fchmod(temporary.fd(), st.st_mode & 07777) != 0)
        return failWithErrno(error, QStringLiteral("cannot set the permissions of %1").arg(target), errno);
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t count = ::read(in, buffer.data(), size_t(buffer.size()));
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return failWithErrno(error, QStringLiteral("cannot read %1").arg(source), errno);
        }
        if (count == 0)
            break;
        if (!temporary.write(buffer.constData(), size_t(count), error))
            return false;
    }
    return temporary.commit(targetPath, flags, error);
}

QString xdgFolder(XdgFolder folder)
{
    struct Base {
        const char *variable;
        const char *belowHome;
    };
    static constexpr Base kBases[] = {
        { "XDG_CONFIG_HOME", ".config/" },
        { "XDG_DATA_HOME", ".local/share/" },
        { "XDG_CACHE_HOME", ".cache/" },
        { "XDG_RUNTIME_DIR", nullptr },
    };
    const Base &base = kBases[int(folder)];
    const QString value = qEnvironmentVariable(base.variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value.endsWith(QLatin1Char('/')) ? value : value + QLatin1Char('/');
    if (!base.belowHome)
        return {};
    QString home = QDir::homePath();
    if (!home.endsWith(QLatin1Char('/')))
        home += QLatin1Char('/');
    return home + QLatin1String(base.belowHome);
}

bool ensurePrivateFolder(const QString &folder, QString *error)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const QByteArray native = QFile::encodeName(path);
    struct stat st { };
    if (::lstat(native.constData(), &st) != 0) {
        if (errno != ENOENT)
            return failWithErrno(error, path, errno);
        const QString parent = QFileInfo(path).path();
        if (!QDir().mkpath(parent))
            return fail(error, QStringLiteral("%1 cannot be created").arg(parent));
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
            return failWithErrno(error, QStringLiteral("%1 cannot be created").arg(path), errno);
        if (::lstat(native.constData(), &st) != 0)
            return failWithErrno(error, path, errno);
        // mkdir applies the umask, which may have taken bits 0700 needs.
        if (S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 07777) != 0700
            && ::chmod(native.constData(), 0700) == 0)
            st.st_mode = (st.st_mode & ~mode_t(07777)) | 0700;
    }
    if (S_ISLNK(st.st_mode))
        return fail(error, QStringLiteral("%1 is a link, not a folder").arg(path));
    if (!S_ISDIR(st.st_mode))
        return fail(error, QStringLiteral("%1 is not a folder").arg(path));
    if (st.st_uid != ::geteuid())
        return fail(error, QStringLiteral("%1 belongs to another user (uid %2)").arg(path).arg(st.st_uid));
    if ((st.st_mode & 07777) != 0700)
        return fail(error,
            QStringLiteral("%1 is open to others (mode %2, not 0700)")
                .arg(path)
                .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0')));
    return true;
}

}
