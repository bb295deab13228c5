#include "common/Files.h"

#include "common/Paths.h"
#include "tests/TestSupport.h"
#include "tests/common/TinyDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using velmora::test::readAll;

namespace {

bool writeDirect(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

mode_t modeOf(const QString &path)
{
    struct stat st { };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Every name in the folder, hidden ones included.
QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A 64 KiB tmpfs holding one file with old bytes, then filled up to the last byte.
class FullDisk : public testing::Test {
protected:
    void SetUp() override
    {
        if (!m_disk.isMounted())
            GTEST_SKIP() << "a tmpfs cannot be mounted here";
        m_old = folder() + QStringLiteral("old.txt");
        ASSERT_TRUE(writeDirect(m_old, kOldBytes));
        m_disk.fill();
    }

    QString folder() const { return m_disk.folder(); }

    const QByteArray kOldBytes = QByteArray("the old contents, which must survive\n").repeated(20);
    velmora::test::TinyDisk m_disk;
    QTemporaryDir m_root;
    QString m_old;
};

TEST_F(FullDisk, AFailedReplaceKeepsTheOldBytesAndSaysWhy)
{
    const QString source = m_root.filePath(QStringLiteral("source.bin"));
    // Small writes are the ones a buffered writer only fails at its final flush.
    for (const qsizetype size :
        { qsizetype(1), qsizetype(100), qsizetype(10000), qsizetype(16384), qsizetype(200000) }) {
        for (const common::WriteFlags flags : { common::WriteFlags(), common::WriteFlags(common::WriteFlag::NoSync) }) {
            SCOPED_TRACE(testing::Message() << "size " << size << " flags " << int(flags));
            const QByteArray data(size, 'n');
            QString error;
            EXPECT_FALSE(common::writeFileAtomically(m_old, data, &error, flags));
            EXPECT_TRUE(error.contains(QStringLiteral("No space left"))) << qPrintable(error);
            EXPECT_EQ(readAll(m_old), kOldBytes);

            ASSERT_TRUE(writeDirect(source, data));
            error.clear();
            EXPECT_FALSE(common::copyFileReplacing(source, m_old, &error, flags));
            EXPECT_FALSE(error.isEmpty());
            EXPECT_EQ(readAll(m_old), kOldBytes);

            // A new file is not left behind half written either.
            EXPECT_FALSE(common::writeFileAtomically(folder() + QStringLiteral("new.txt"), data, nullptr, flags));
            EXPECT_EQ(namesIn(folder()), (QStringList { QStringLiteral("filler"), QStringLiteral("old.txt") }));
        }
    }
}

TEST(AtomicWrite, DevicesAreRefusedAndNeverReplaced)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("full-link"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), link));
    for (const QString &path : { QStringLiteral("/dev/full"), link, QStringLiteral("/dev/null"), dir.path() }) {
        SCOPED_TRACE(qPrintable(path));
        QString error;
        EXPECT_FALSE(common::writeFileAtomically(path, QByteArray(100, 'x'), &error));
        EXPECT_TRUE(error.contains(QStringLiteral("not a regular file"))) << qPrintable(error);
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(namesIn(dir.path()), QStringList { QStringLiteral("full-link") });
    QString error;
    EXPECT_FALSE(common::copyFileReplacing(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("z")), &error));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("z"))));
}

TEST(AtomicWrite, KeepsPermissionsAndTreatsLinksAsAsked)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kept.txt"));
    ASSERT_TRUE(common::writeFileAtomically(path, "one"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_TRUE(common::writeFileAtomically(path, "two"));
    EXPECT_EQ(readAll(path), QByteArray("two"));
    EXPECT_EQ(modeOf(path), mode_t(0640));

    const mode_t mask = ::umask(022);
    ::umask(mask);
    const QString fresh = dir.filePath(QStringLiteral("fresh.txt"));
    ASSERT_TRUE(common::writeFileAtomically(fresh, "x"));
    EXPECT_EQ(modeOf(fresh), mode_t(0666 & ~mask));

    // By default a link is followed and the file it names replaced; with ReplaceLinks the link
    // itself is replaced and the file it named is not touched.
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(common::writeFileAtomically(link, "through"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(path), QByteArray("through"));
    ASSERT_TRUE(common::writeFileAtomically(link, "own", nullptr, common::WriteFlag::ReplaceLinks));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(link), QByteArray("own"));
    EXPECT_EQ(readAll(path), QByteArray("through"));

    // A copy takes the source's bytes and permission bits.
    ASSERT_TRUE(common::copyFileReplacing(path, fresh));
    EXPECT_EQ(readAll(fresh), QByteArray("through"));
    EXPECT_EQ(modeOf(fresh), mode_t(0640));
    EXPECT_EQ(namesIn(dir.path()),
        (QStringList { QStringLiteral("fresh.txt"), QStringLiteral("kept.txt"), QStringLiteral("link.txt") }));
}

TEST(XdgFolders, SetAbsoluteValuesCountAndOthersFallBackBelowHome)
{
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedCache = qgetenv("XDG_CACHE_HOME");
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("HOME", "/home/u");
    const struct {
        const char *cache;
        const char *runtime;
        const char *expectedCache;
        const char *expectedRuntime;
    } rows[] = {
        { "/c", "/r/", "/c/", "/r/" },
        { "relative/c", "relative", "/home/u/.cache/", "" },
        { "", "", "/home/u/.cache/", "" },
    };
    for (const auto &row : rows) {
        qputenv("XDG_CACHE_HOME", row.cache);
        qputenv("XDG_RUNTIME_DIR", row.runtime);
        EXPECT_EQ(common::xdgFolder(common::XdgFolder::Cache), QLatin1String(row.expectedCache)) << row.cache;
        EXPECT_EQ(common::xdgFolder(common::XdgFolder::Runtime), QLatin1String(row.expectedRuntime)) << row.runtime;
    }
    qputenv("HOME", savedHome);
    qputenv("XDG_CACHE_HOME", savedCache);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    EXPECT_TRUE(common::xdgFolder(common::XdgFolder::Config).endsWith(QStringLiteral("/.config/")));
    EXPECT_TRUE(common::xdgFolder(common::XdgFolder::Data).endsWith(QStringLiteral("/.local/share/")));
}

// The page folder: each row plants something at $XDG_RUNTIME_DIR/Velmora before the program
// looks; anything but a private folder of our own makes the data folder's pages/ the page folder.
TEST(PageFolder, OnlyAPrivateFolderOfOurOwnIsUsed)
{
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    enum class Plant { Nothing, LinkToAFolder, OpenFolder, ForeignFolder, PlainFile };
    const struct {
        Plant plant;
        bool used;
        const char *reason;
    } rows[] = {
        { Plant::Nothing, true, "" },
        { Plant::LinkToAFolder, false, "is a link" },
        { Plant::OpenFolder, false, "open to others" },
        { Plant::ForeignFolder, false, "another user" },
        { Plant::PlainFile, false, "not a folder" },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.reason);
        QTemporaryDir runtime;
        const QString planted = runtime.filePath(QStringLiteral("Velmora"));
        const QString other = runtime.filePath(QStringLiteral("other"));
        ASSERT_TRUE(QDir().mkpath(other));
        ASSERT_EQ(::chmod(QFile::encodeName(other).constData(), 0755), 0);
        switch (row.plant) {
        case Plant::Nothing:
            break;
        case Plant::LinkToAFolder:
            ASSERT_TRUE(QFile::link(other, planted));
            break;
        case Plant::OpenFolder:
            ASSERT_TRUE(QDir().mkpath(planted));
            ASSERT_EQ(::chmod(QFile::encodeName(planted).constData(), 0755), 0);
            break;
        case Plant::ForeignFolder:
            ASSERT_TRUE(QDir().mkpath(planted));
            ASSERT_EQ(::chmod(QFile::encodeName(planted).constData(), 0700), 0);
            if (::chown(QFile::encodeName(planted).constData(), 65534, 65534) != 0)
                GTEST_SKIP() << "chown needs root";
            break;
        case Plant::PlainFile:
            ASSERT_TRUE(writeDirect(planted, "x"));
            break;
        }
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        testing::internal::CaptureStderr();
        const QString folder = common::pageFolder();
        const QString again = common::pageFolder();
        const QString message = QString::fromStdString(testing::internal::GetCapturedStderr());
        EXPECT_EQ(again, folder);
        if (row.used) {
            EXPECT_EQ(folder, planted + QLatin1Char('/'));
            EXPECT_EQ(modeOf(planted), mode_t(0700));
            EXPECT_TRUE(message.isEmpty()) << qPrintable(message);
        } else {
            EXPECT_EQ(folder, common::dataFolder() + QStringLiteral("pages/"));
            EXPECT_EQ(modeOf(folder), mode_t(0700));
            EXPECT_EQ(message.count(QLatin1Char('\n')), 1) << qPrintable(message);
            EXPECT_TRUE(message.contains(QLatin1String(row.reason))) << qPrintable(message);
        }
        // The folder a link named is neither made private nor written into.
        EXPECT_EQ(modeOf(other), mode_t(0755));
        EXPECT_TRUE(namesIn(other).isEmpty());
        const QString page = common::pageFilePath(QStringLiteral("Tpc.htm"));
        EXPECT_TRUE(page.startsWith(folder));
        ASSERT_TRUE(common::writeFileAtomically(page, "<body>", nullptr, common::WriteFlag::ReplaceLinks));
        EXPECT_TRUE(namesIn(other).isEmpty());
        QFile::remove(page);
    }
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
}

TEST(PrivateFolder, MissingFoldersAreCreatedPrivateAndOthersAreLeftAlone)
{
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("a/b/private"));
    const mode_t mask = ::umask(077);
    EXPECT_TRUE(common::ensurePrivateFolder(fresh));
    ::umask(mask);
    EXPECT_EQ(modeOf(fresh), mode_t(0700));
    EXPECT_TRUE(common::ensurePrivateFolder(fresh + QLatin1Char('/')));

    const QString open = dir.filePath(QStringLiteral("open"));
    ASSERT_TRUE(QDir().mkpath(open));
    ASSERT_EQ(::chmod(QFile::encodeName(open).constData(), 0755), 0);
    QString error;
    EXPECT_FALSE(common::ensurePrivateFolder(open, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("0755"))) << qPrintable(error);
    EXPECT_EQ(modeOf(open), mode_t(0755));
}

}
