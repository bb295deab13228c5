#include "common/Registry.h"
#include "system/RegTool.h"
#include "tests/TestSupport.h"
#include "tests/common/TinyDisk.h"
#include "tests/system/RegToolRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <sqlite3.h>

using common::RegRoot;
using common::RegValue;
using velmora::test::readAll;
using velmora::test::ToolRun;
using velmora::test::writeAll;

namespace {

ToolRun reg(const QString &hive, const QStringList &arguments)
{
    return velmora::test::runRegToolOn(hive, arguments);
}

// The velmora-reg program built beside the test programs.
QString toolPath()
{
    return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../app/velmora-reg")).absoluteFilePath();
}

const QString kKey = QStringLiteral("HKCU\\Software\\Velmora");

}

TEST(RegToolFailures, ExportOntoAFullDiskFailsAndKeepsTheOldFile)
{
    velmora::test::TinyDisk disk;
    if (!disk.isMounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here";
    QTemporaryDir folder;
    const QString hive = folder.filePath(QStringLiteral("registry.db"));
    ASSERT_EQ(reg(hive,
                  { QStringLiteral("add"),
                      kKey,
                      QStringLiteral("/v"),
                      QStringLiteral("n"),
                      QStringLiteral("/d"),
                      QStringLiteral("a value that does not fit") })
                  .code,
        0);
    const QString file = disk.folder() + QStringLiteral("old.reg");
    const QByteArray old = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Old]\r\n\"kept\"=\"yes\"\r\n\r\n";
    ASSERT_TRUE(writeAll(file, old));
    disk.fill();
    const ToolRun run = reg(hive, { QStringLiteral("export"), kKey, file, QStringLiteral("/y") });
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("ERROR: Cannot write "))) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(QStringLiteral("No space left"))) << qPrintable(run.err);
    EXPECT_TRUE(run.out.isEmpty()) << qPrintable(run.out);
    EXPECT_EQ(readAll(file), old);

    // The program itself, as a user runs it.
    const QString tool = toolPath();
    if (!QFileInfo(tool).isExecutable())
        GTEST_SKIP() << "velmora-reg is not built at " << qPrintable(tool);
    QProcess child;
    child.start(tool, { QStringLiteral("--hive"), hive, QStringLiteral("export"), kKey, file });
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitCode(), 1);
    EXPECT_TRUE(child.readAllStandardError().startsWith("ERROR: Cannot write "));
    EXPECT_TRUE(child.readAllStandardOutput().isEmpty());
    EXPECT_EQ(readAll(file), old);
}

TEST(RegToolFailures, ALockedHiveIsReadAtOnceAndWritesFailWithAReason)
{
    QTemporaryDir folder;
    const QString hive = folder.filePath(QStringLiteral("registry.db"));
    ASSERT_EQ(reg(hive,
                  { QStringLiteral("add"),
                      kKey,
                      QStringLiteral("/v"),
                      QStringLiteral("n"),
                      QStringLiteral("/d"),
                      QStringLiteral("v") })
                  .code,
        0);
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(hive).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "DELETE FROM reg_values", nullptr, nullptr, nullptr), SQLITE_OK);

    QElapsedTimer timer;
    timer.start();
    const ToolRun query = reg(hive, { QStringLiteral("query"), kKey });
    EXPECT_EQ(query.code, 0) << qPrintable(query.err);
    EXPECT_TRUE(query.out.contains(QStringLiteral("REG_SZ    v"))) << qPrintable(query.out);
    EXPECT_LT(timer.elapsed(), 1000);

    const struct {
        QStringList arguments;
    } writes[] = {
        { { QStringLiteral("add"),
            kKey,
            QStringLiteral("/v"),
            QStringLiteral("m"),
            QStringLiteral("/d"),
            QStringLiteral("w") } },
        { { QStringLiteral("delete"), kKey, QStringLiteral("/v"), QStringLiteral("n") } },
        { { QStringLiteral("delete"), kKey, QStringLiteral("/f") } },
    };
    for (const auto &write : writes) {
        SCOPED_TRACE(qPrintable(write.arguments.join(QLatin1Char(' '))));
        timer.restart();
        const ToolRun run = reg(hive, write.arguments);
        EXPECT_EQ(run.code, 1);
        EXPECT_LT(timer.elapsed(), common::RegistryHive::kLockTimeoutMs + 1000);
        EXPECT_TRUE(run.err.startsWith(
            QStringLiteral("ERROR: The registry could not be written: the registry hive is locked by another program")))
            << qPrintable(run.err);
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

TEST(RegToolFailures, AReadOnlyHiveSaysSo)
{
    velmora::test::TinyDisk disk("1m");
    if (!disk.isMounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here";
    const QString hive = disk.folder() + QStringLiteral("registry.db");
    ASSERT_EQ(reg(hive,
                  { QStringLiteral("add"),
                      kKey,
                      QStringLiteral("/v"),
                      QStringLiteral("n"),
                      QStringLiteral("/d"),
                      QStringLiteral("v") })
                  .code,
        0);
    ASSERT_TRUE(disk.makeReadOnly());
    EXPECT_EQ(reg(hive, { QStringLiteral("query"), kKey, QStringLiteral("/v"), QStringLiteral("n") }).code, 0);
    for (const QStringList &arguments : { QStringList { QStringLiteral("add"),
                                              kKey,
                                              QStringLiteral("/v"),
                                              QStringLiteral("m"),
                                              QStringLiteral("/d"),
                                              QStringLiteral("w") },
             QStringList { QStringLiteral("delete"), kKey, QStringLiteral("/v"), QStringLiteral("n") } }) {
        const ToolRun run = reg(hive, arguments);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err, QStringLiteral("ERROR: The registry hive is read-only, so nothing was changed.\n"));
    }
}

TEST(RegToolFailures, DeepKeysAreRefusedWithTheLimit)
{
    QTemporaryDir folder;
    const QString hive = folder.filePath(QStringLiteral("registry.db"));
    QString key = QStringLiteral("HKCU");
    for (int i = 0; i < 513; ++i)
        key += QStringLiteral("\\k");
    const ToolRun run = reg(hive, { QStringLiteral("add"), key });
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, QStringLiteral("ERROR: Invalid key name: the key is more than 512 levels deep.\n"));
    key.chop(2);
    EXPECT_EQ(reg(hive, { QStringLiteral("add"), key }).code, 0);
}

// kill -9 of a velmora-reg import at any moment leaves every value of the file or none.
TEST(RegToolFailures, AKilledImportLeavesAllOrNothing)
{
    const QString tool = toolPath();
    if (!QFileInfo(tool).isExecutable())
        GTEST_SKIP() << "velmora-reg is not built at " << qPrintable(tool);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("big.reg"));
    constexpr int kValues = 100000;
    QByteArray text = "REGEDIT4\r\n\r\n";
    for (int i = 0; i < kValues; ++i) {
        if (i % 1000 == 0)
            text += "\r\n[HKEY_CURRENT_USER\\Big\\Part" + QByteArray::number(i / 1000) + "]\r\n";
        text += "\"value" + QByteArray::number(i) + "\"=\"" + QByteArray::number(i * 7) + "\"\r\n";
    }
    ASSERT_TRUE(writeAll(file, text));

    int partial = 0;
    for (const int delayMs : { 50, 200, 400, 800 }) {
        SCOPED_TRACE(delayMs);
        const QString hive = folder.filePath(QStringLiteral("registry%1.db").arg(delayMs));
        QProcess child;
        child.start(tool, { QStringLiteral("--hive"), hive, QStringLiteral("import"), file });
        ASSERT_TRUE(child.waitForStarted());
        QThread::msleep(delayMs);
        child.kill();
        child.waitForFinished();

        auto opened = common::RegistryHive::open(hive);
        if (!opened)
            continue; // killed before the hive file existed
        qsizetype count = 0;
        for (const QString &part : opened->subKeys(RegRoot::CurrentUser, QStringLiteral("Big")))
            count += opened->values(RegRoot::CurrentUser, QStringLiteral("Big\\") + part).size();
        EXPECT_TRUE(count == 0 || count == kValues) << count;
        partial += count == 0;
    }
    RecordProperty("imports_killed_before_commit", partial);
}
