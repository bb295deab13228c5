#include "common/Paths.h"
#include "common/RegEditText.h"
#include "common/Registry.h"
#include "tests/common/TinyDisk.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace common;

namespace {

QString deepPath(int levels, int nameLength = 3)
{
    QStringList parts;
    parts.reserve(levels);
    for (int i = 0; i < levels; ++i)
        parts.append(QStringLiteral("k%1").arg(i % 10).leftJustified(nameLength, QLatin1Char('x')));
    return parts.join(QLatin1Char('\\'));
}

mode_t statMode(const QString &path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

qsizetype valueCount(RegistryHive &hive, const QString &key)
{
    return hive.values(RegRoot::CurrentUser, key).size();
}

}

TEST(RegistryLimits, KeysDeeperThan512LevelsOrWithNamesOver255CharactersAreRefused)
{
    const struct {
        int levels;
        int nameLength;
        bool accepted;
        const char *reason;
    } rows[] = {
        { 512, 3, true, "" },
        { 513, 3, false, "more than 512 levels" },
        { 1, 255, true, "" },
        { 2, 256, false, "256 characters" },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.levels << " levels of " << row.nameLength);
        auto hive = RegistryHive::openInMemory();
        const QString path = deepPath(row.levels, row.nameLength);
        QString error;
        EXPECT_EQ(checkKeyPath(path, &error), row.accepted);
        EXPECT_EQ(
            hive->setValue(RegRoot::CurrentUser, path, RegValue::fromDword(QStringLiteral("n"), 1)), row.accepted);
        EXPECT_EQ(hive->createKey(RegRoot::CurrentUser, path), row.accepted);
        if (!row.accepted) {
            EXPECT_TRUE(error.contains(QLatin1String(row.reason))) << qPrintable(error);
            EXPECT_EQ(hive->lastError(), error);
            EXPECT_TRUE(hive->subKeys(RegRoot::CurrentUser, QString()).isEmpty());
        }
        QByteArray text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + path.toUtf8() + "]\r\n\"n\"=\"v\"\r\n";
        error.clear();
        EXPECT_EQ(importRegEditText(*hive, text, &error).has_value(), row.accepted) << qPrintable(error);
        if (!row.accepted) {
            EXPECT_TRUE(error.startsWith(QStringLiteral("line 3: "))) << qPrintable(error);
        }
    }
}

TEST(RegistryLimits, AHundredThousandLevelKeyIsRefusedAtOnceAndDeepExportsAreQuick)
{
    auto hive = RegistryHive::openInMemory();
    const QByteArray text =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + deepPath(100000, 1).toUtf8() + "]\r\n\"n\"=\"v\"\r\n";
    QElapsedTimer timer;
    timer.start();
    QString error;
    EXPECT_FALSE(importRegEditText(*hive, text, &error));
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_TRUE(error.contains(QStringLiteral("512"))) << qPrintable(error);

    const QString path = deepPath(500);
    ASSERT_TRUE(hive->setValue(RegRoot::CurrentUser, path, RegValue::fromDword(QStringLiteral("n"), 1)));
    timer.restart();
    const auto exported = exportRegEditText(*hive, RegRoot::CurrentUser, path.section(QLatin1Char('\\'), 0, 0));
    ASSERT_TRUE(exported);
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_TRUE(exported->contains(path.toUtf8()));
}

// Another program holds the write lock: opening and reading go on at once, a write gives up
// within the lock timeout and says why.
TEST(RegistryLock, ReadsDoNotWaitAndWritesFailWithinTheTimeout)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("registry.db"));
    {
        auto hive = RegistryHive::open(path);
        ASSERT_TRUE(hive);
        ASSERT_TRUE(hive->setValue(
            RegRoot::CurrentUser, QStringLiteral("A"), RegValue::fromString(QStringLiteral("n"), QStringLiteral("v"))));
    }
    for (const char *begin : { "BEGIN IMMEDIATE", "BEGIN EXCLUSIVE" }) {
        SCOPED_TRACE(begin);
        sqlite3 *other = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, begin, nullptr, nullptr, nullptr), SQLITE_OK);
        ASSERT_EQ(
            sqlite3_exec(
                other, "INSERT INTO reg_keys(parent, name, path) VALUES (2, 'B', '2\\b')", nullptr, nullptr, nullptr),
            SQLITE_OK);

        QElapsedTimer timer;
        timer.start();
        QString error;
        auto hive = RegistryHive::open(path, &error);
        ASSERT_TRUE(hive) << qPrintable(error);
        const auto value = hive->value(RegRoot::CurrentUser, QStringLiteral("a"), QStringLiteral("N"));
        ASSERT_TRUE(value);
        EXPECT_EQ(value->text(), QStringLiteral("v"));
        EXPECT_LT(timer.elapsed(), 500);

        timer.restart();
        EXPECT_FALSE(hive->setValue(
            RegRoot::CurrentUser, QStringLiteral("A"), RegValue::fromString(QStringLiteral("n"), QStringLiteral("w"))));
        EXPECT_LT(timer.elapsed(), RegistryHive::kLockTimeoutMs + 1000);
        EXPECT_TRUE(hive->lastError().contains(QStringLiteral("locked by another program")))
            << qPrintable(hive->lastError());
        // The writes that follow at once (start-up saves several settings) do not each wait again.
        timer.restart();
        for (int i = 0; i < 6; ++i) {
            EXPECT_FALSE(
                hive->setValue(RegRoot::CurrentUser, QStringLiteral("B"), RegValue::fromDword(QStringLiteral("n"), 1)));
            EXPECT_TRUE(hive->lastError().contains(QStringLiteral("locked by another program")));
        }
        EXPECT_LT(timer.elapsed(), 500);

        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        EXPECT_TRUE(hive->setValue(
            RegRoot::CurrentUser, QStringLiteral("A"), RegValue::fromString(QStringLiteral("n"), QStringLiteral("v"))));
        EXPECT_TRUE(hive->lastError().isEmpty());
    }
}

TEST(RegistryImport, AFullDiskLeavesNothingAndSaysSo)
{
    velmora::test::TinyDisk disk("512k");
    if (!disk.isMounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here";
    QString error;
    auto hive = RegistryHive::open(disk.folder() + QStringLiteral("registry.db"), &error);
    ASSERT_TRUE(hive) << qPrintable(error);
    ASSERT_TRUE(
        hive->setValue(RegRoot::CurrentUser, QStringLiteral("Before"), RegValue::fromDword(QStringLiteral("n"), 1)));
    QByteArray text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Imported]\r\n";
    for (int i = 0; i < 20000; ++i)
        text += "\"value" + QByteArray::number(i) + "\"=\"" + QByteArray(40, 'x') + "\"\r\n";
    disk.fill();
    EXPECT_FALSE(importRegEditText(*hive, text, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("disk is full"))) << qPrintable(error);
    EXPECT_FALSE(hive->keyExists(RegRoot::CurrentUser, QStringLiteral("Imported")));
    EXPECT_EQ(valueCount(*hive, QStringLiteral("Before")), 1);
}

TEST(RegistryImport, AFailedWriteUndoesTheWholeImport)
{
    auto hive = RegistryHive::openInMemory();
    ASSERT_TRUE(
        hive->setValue(RegRoot::CurrentUser, QStringLiteral("Kept"), RegValue::fromDword(QStringLiteral("n"), 1)));
    // The body's last write fails: every change before it is undone too.
    EXPECT_FALSE(hive->runInTransaction([&] {
        hive->setValue(RegRoot::CurrentUser, QStringLiteral("New"), RegValue::fromDword(QStringLiteral("n"), 2));
        hive->deleteKey(RegRoot::CurrentUser, QStringLiteral("Kept"), true);
        return hive->setValue(RegRoot::CurrentUser, deepPath(600), RegValue::fromDword(QStringLiteral("n"), 3));
    }));
    EXPECT_FALSE(hive->keyExists(RegRoot::CurrentUser, QStringLiteral("New")));
    EXPECT_EQ(valueCount(*hive, QStringLiteral("Kept")), 1);
    // A body that only finds nothing to delete still commits what it wrote.
    EXPECT_TRUE(hive->runInTransaction([&] {
        EXPECT_FALSE(hive->deleteValue(RegRoot::CurrentUser, QStringLiteral("Kept"), QStringLiteral("missing")));
        return hive->setValue(RegRoot::CurrentUser, QStringLiteral("New"), RegValue::fromDword(QStringLiteral("n"), 2));
    }));
    EXPECT_TRUE(hive->keyExists(RegRoot::CurrentUser, QStringLiteral("New")));
}

TEST(RegistryHiveFile, ReadOnlyHivesReadAndRefuseWritesTruthfully)
{
    velmora::test::TinyDisk disk("1m");
    if (!disk.isMounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here";
    const QString path = disk.folder() + QStringLiteral("registry.db");
    {
        auto hive = RegistryHive::open(path);
        ASSERT_TRUE(hive);
        ASSERT_TRUE(hive->setValue(
            RegRoot::CurrentUser, QStringLiteral("A"), RegValue::fromString(QStringLiteral("n"), QStringLiteral("v"))));
    }
    ASSERT_TRUE(disk.makeReadOnly());
    QString error;
    auto hive = RegistryHive::open(path, &error);
    ASSERT_TRUE(hive) << qPrintable(error);
    EXPECT_TRUE(hive->isReadOnly());
    EXPECT_EQ(hive->value(RegRoot::CurrentUser, QStringLiteral("A"), QStringLiteral("n"))->text(), QStringLiteral("v"));
    EXPECT_FALSE(
        hive->setValue(RegRoot::CurrentUser, QStringLiteral("A"), RegValue::fromDword(QStringLiteral("m"), 1)));
    EXPECT_EQ(hive->lastError(), QStringLiteral("the registry hive is read-only"));
    EXPECT_FALSE(hive->deleteKey(RegRoot::CurrentUser, QStringLiteral("A"), true));
    EXPECT_EQ(hive->lastError(), QStringLiteral("the registry hive is read-only"));
    EXPECT_TRUE(hive->keyExists(RegRoot::CurrentUser, QStringLiteral("A")));
}

TEST(RegistryHiveFile, PrivateModesAndNoDevices)
{
    QTemporaryDir folder;
    const QString fresh = folder.filePath(QStringLiteral("fresh.db"));
    ASSERT_TRUE(RegistryHive::open(fresh));
    EXPECT_EQ(statMode(fresh), mode_t(0600));

    const QString open = folder.filePath(QStringLiteral("open.db"));
    ASSERT_TRUE(RegistryHive::open(open));
    ASSERT_EQ(::chmod(QFile::encodeName(open).constData(), 0644), 0);
    ASSERT_TRUE(RegistryHive::open(open));
    EXPECT_EQ(statMode(open), mode_t(0600));

    // A link to a device is refused before the database engine sees it, so nothing is made
    // beside the device.
    const bool journalBefore = QFileInfo::exists(QStringLiteral("/dev/zero-journal"));
    const bool walBefore = QFileInfo::exists(QStringLiteral("/dev/zero-wal"));
    const QString link = folder.filePath(QStringLiteral("link.db"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), link));
    QString error;
    EXPECT_FALSE(RegistryHive::open(link, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a regular file"))) << qPrintable(error);
    EXPECT_EQ(QFileInfo::exists(QStringLiteral("/dev/zero-journal")), journalBefore);
    EXPECT_EQ(QFileInfo::exists(QStringLiteral("/dev/zero-wal")), walBefore);
    EXPECT_FALSE(RegistryHive::open(QStringLiteral("/dev/null"), &error));

    // The process hive's folder is closed to others.
    setProcessHive(nullptr);
    processHive();
    EXPECT_EQ(statMode(configFolder()), mode_t(0700));
    EXPECT_EQ(statMode(configFolder() + QStringLiteral("registry.db")), mode_t(0600));
    setProcessHive(nullptr);
}
