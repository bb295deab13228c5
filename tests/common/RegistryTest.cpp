#include "common/Registry.h"

#include "tests/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <sqlite3.h>

using velmora::test::readAll;
using velmora::test::writeAll;
using namespace common;

namespace {

std::unique_ptr<RegistryHive> memoryHive()
{
    auto hive = RegistryHive::openInMemory();
    EXPECT_TRUE(hive);
    return hive;
}

}

TEST(RegistryHive, KeyPathsAndValueNamesIgnoreCaseIncludingNonAscii)
{
    auto hive = memoryHive();
    ASSERT_TRUE(hive->setValue(RegRoot::CurrentUser,
        QStringLiteral("Software\\Ärger\\Σίσυφος"),
        RegValue::fromString(QStringLiteral("ÉtéName"), QStringLiteral("值"))));
    const struct {
        const char *key;
        const char *name;
    } spellings[] = {
        { "SOFTWARE\\ärger\\ΣΊΣΥΦΟΣ", "éténame" },
        { "\\software\\\\ÄRGER\\σίσυφοσ\\", "ÉTÉNAME" },
        { "Software\\Ärger\\Σίσυφος", "ÉtéName" },
    };
    for (const auto &spelling : spellings) {
        const auto value =
            hive->value(RegRoot::CurrentUser, QString::fromUtf8(spelling.key), QString::fromUtf8(spelling.name));
        ASSERT_TRUE(value) << spelling.key;
        EXPECT_EQ(value->text(), QStringLiteral("值"));
        EXPECT_EQ(value->name, QStringLiteral("ÉtéName"));
    }
    EXPECT_FALSE(
        hive->value(RegRoot::LocalMachine, QStringLiteral("Software\\Ärger\\Σίσυφος"), QStringLiteral("ÉtéName")));
}

TEST(RegistryHive, OverwriteKeepsFirstSpellingPlaceAndTakesNewType)
{
    auto hive = memoryHive();
    const QString key = QStringLiteral("Software\\Test");
    hive->setValue(RegRoot::CurrentUser, key, RegValue::fromString(QStringLiteral("First"), QStringLiteral("1")));
    hive->setValue(RegRoot::CurrentUser, key, RegValue::fromString(QStringLiteral("Second"), QStringLiteral("2")));
    hive->setValue(RegRoot::CurrentUser, key, RegValue::fromDword(QStringLiteral("FIRST"), 26));
    const auto values = hive->values(RegRoot::CurrentUser, QStringLiteral("software\\TEST"));
    ASSERT_EQ(values.size(), 2);
    EXPECT_EQ(values[0], RegValue::fromDword(QStringLiteral("First"), 26));
    EXPECT_EQ(values[1].name, QStringLiteral("Second"));
    EXPECT_EQ(values[0].dword(), 26u);
    EXPECT_EQ(values[0].text(), QString());
}

TEST(RegistryHive, TypedValuesComeBackByteForByte)
{
    auto hive = memoryHive();
    const QList<RegValue> written = {
        RegValue::fromString(QString(), QStringLiteral("默认")),
        RegValue::fromDword(QStringLiteral("Dword"), 0xFFFFFFFFu),
        RegValue { QStringLiteral("Expand"), RegType::ExpandSz, QByteArray("%HOME%/x") },
        RegValue { QStringLiteral("Binary"), RegType::Binary, QByteArray("\x00\x01\xFF", 3) },
        RegValue { QStringLiteral("Multi"), RegType::MultiSz, QByteArray("a\0b\0\0", 5) },
        RegValue { QStringLiteral("Qword"), RegType::Qword, QByteArray(8, '\x7F') },
        RegValue { QStringLiteral("Empty"), RegType::Sz, QByteArray() },
    };
    for (const auto &value : written)
        ASSERT_TRUE(hive->setValue(RegRoot::ClassesRoot, QStringLiteral("*\\shell"), value));
    EXPECT_EQ(hive->values(RegRoot::ClassesRoot, QStringLiteral("*\\shell")), written);
    EXPECT_EQ(RegValue::fromDword({}, 0x12345678u).data, QByteArray("\x78\x56\x34\x12", 4));
    EXPECT_EQ(hive->value(RegRoot::ClassesRoot, QStringLiteral("*\\shell"), QString())->text(), QStringLiteral("默认"));
}

TEST(RegistryHive, KeysListInCreationOrderWithTheirFirstSpelling)
{
    auto hive = memoryHive();
    for (const char *name : { "zeta", "Alpha", "mid", "ALPHA\\child" })
        ASSERT_TRUE(hive->createKey(RegRoot::LocalMachine, QStringLiteral("Soft\\") + QLatin1String(name)));
    EXPECT_EQ(hive->subKeys(RegRoot::LocalMachine, QStringLiteral("soft")),
        QStringList({ QStringLiteral("zeta"), QStringLiteral("Alpha"), QStringLiteral("mid") }));
    EXPECT_EQ(
        hive->subKeys(RegRoot::LocalMachine, QStringLiteral("soft\\alpha")), QStringList { QStringLiteral("child") });
    EXPECT_EQ(hive->subKeys(RegRoot::LocalMachine, QString()), QStringList { QStringLiteral("Soft") });
    EXPECT_TRUE(hive->keyExists(RegRoot::LocalMachine, QString()));
    EXPECT_FALSE(hive->createKey(RegRoot::LocalMachine, QStringLiteral("\\\\")));
    EXPECT_FALSE(hive->keyExists(RegRoot::CurrentUser, QStringLiteral("Soft")));
}

TEST(RegistryHive, DeleteKeyIsRecursiveOnlyWhenAsked)
{
    auto hive = memoryHive();
    const QString parent = QStringLiteral("Directory\\shell\\see");
    hive->setValue(RegRoot::ClassesRoot, parent, RegValue::fromString({}, QStringLiteral("Vistelle")));
    hive->setValue(RegRoot::ClassesRoot,
        parent + QStringLiteral("\\command\\deep"),
        RegValue::fromString({}, QStringLiteral("x")));
    hive->setValue(RegRoot::ClassesRoot,
        QStringLiteral("Directory\\shell\\other"),
        RegValue::fromString({}, QStringLiteral("kept")));

    EXPECT_FALSE(hive->deleteKey(RegRoot::ClassesRoot, parent, false));
    EXPECT_TRUE(hive->keyExists(RegRoot::ClassesRoot, parent + QStringLiteral("\\command\\deep")));
    EXPECT_TRUE(hive->deleteKey(RegRoot::ClassesRoot, QStringLiteral("DIRECTORY\\SHELL\\SEE"), true));
    EXPECT_FALSE(hive->keyExists(RegRoot::ClassesRoot, parent));
    EXPECT_FALSE(hive->keyExists(RegRoot::ClassesRoot, parent + QStringLiteral("\\command")));
    EXPECT_EQ(hive->value(RegRoot::ClassesRoot, QStringLiteral("Directory\\shell\\other"), {})->text(),
        QStringLiteral("kept"));
    EXPECT_FALSE(hive->deleteKey(RegRoot::ClassesRoot, parent, true));
    EXPECT_FALSE(hive->deleteKey(RegRoot::ClassesRoot, QString(), true)) << "a root is never deleted";

    // A key made again after its deletion starts empty.
    hive->createKey(RegRoot::ClassesRoot, parent + QStringLiteral("\\command\\deep"));
    EXPECT_TRUE(hive->values(RegRoot::ClassesRoot, parent + QStringLiteral("\\command\\deep")).isEmpty());
}

TEST(RegistryHive, DeleteValueReportsWhetherThereWasOne)
{
    auto hive = memoryHive();
    hive->setValue(
        RegRoot::CurrentUser, QStringLiteral("K"), RegValue::fromString(QStringLiteral("Name"), QStringLiteral("v")));
    EXPECT_FALSE(hive->deleteValue(RegRoot::CurrentUser, QStringLiteral("K"), QStringLiteral("Other")));
    EXPECT_FALSE(hive->deleteValue(RegRoot::CurrentUser, QStringLiteral("Missing"), QStringLiteral("Name")));
    EXPECT_TRUE(hive->deleteValue(RegRoot::CurrentUser, QStringLiteral("k"), QStringLiteral("NAME")));
    EXPECT_FALSE(hive->value(RegRoot::CurrentUser, QStringLiteral("K"), QStringLiteral("Name")));
    EXPECT_TRUE(hive->keyExists(RegRoot::CurrentUser, QStringLiteral("K")));
}

TEST(RegistryHive, DeepTreesAreCreatedAndDeleted)
{
    auto hive = memoryHive();
    QStringList parts;
    for (int i = 0; i < kMaxKeyDepth; ++i)
        parts.append(QStringLiteral("k%1").arg(i));
    const QString deep = parts.join(QLatin1Char('\\'));
    ASSERT_TRUE(hive->setValue(RegRoot::CurrentUser, deep, RegValue::fromDword(QStringLiteral("n"), 1)));
    EXPECT_TRUE(hive->deleteKey(RegRoot::CurrentUser, QStringLiteral("k0"), true));
    EXPECT_TRUE(hive->subKeys(RegRoot::CurrentUser, QString()).isEmpty());
}

TEST(RegistryKeyNames, ParseLongAndShortRoots)
{
    const struct {
        const char *text;
        std::optional<RegRoot> root;
        const char *path;
    } cases[] = {
        { "HKEY_CURRENT_USER\\Software\\X", RegRoot::CurrentUser, "Software\\X" },
        { "hkcu\\Software\\\\X\\", RegRoot::CurrentUser, "Software\\X" },
        { "HKCR\\*\\shell", RegRoot::ClassesRoot, "*\\shell" },
        { "HKEY_LOCAL_MACHINE", RegRoot::LocalMachine, "" },
        { "HKLM\\Software", RegRoot::LocalMachine, "Software" },
        { "HKCUX\\Software", std::nullopt, "" },
        { "HKEY_USERS\\x", std::nullopt, "" },
        { "", std::nullopt, "" },
    };
    for (const auto &c : cases) {
        const auto parsed = parseKeyName(QString::fromUtf8(c.text));
        ASSERT_EQ(parsed.has_value(), c.root.has_value()) << c.text;
        if (parsed) {
            EXPECT_EQ(parsed->first, *c.root) << c.text;
            EXPECT_EQ(parsed->second, QString::fromUtf8(c.path)) << c.text;
        }
    }
    EXPECT_EQ(rootName(RegRoot::ClassesRoot), QStringLiteral("HKEY_CLASSES_ROOT"));
}

TEST(RegistryHiveFile, ValuesSurviveReopening)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("registry.db"));
    {
        QString error;
        auto hive = RegistryHive::open(path, &error);
        ASSERT_TRUE(hive) << qPrintable(error);
        EXPECT_FALSE(hive->isInMemory());
        hive->setValue(RegRoot::CurrentUser,
            QStringLiteral("A\\B"),
            RegValue::fromString(QStringLiteral("n"), QStringLiteral("保存")));
    }
    auto hive = RegistryHive::open(path);
    ASSERT_TRUE(hive);
    EXPECT_EQ(
        hive->value(RegRoot::CurrentUser, QStringLiteral("a\\b"), QStringLiteral("N"))->text(), QStringLiteral("保存"));
}

TEST(RegistryHiveFile, UnusableFilesAreRefusedAndLeftUntouched)
{
    QTemporaryDir folder;
    const QString garbage = folder.filePath(QStringLiteral("garbage.db"));
    QByteArray noise;
    for (int i = 0; i < 8192; ++i)
        noise.append(char((i * 131 + 7) % 251));
    ASSERT_TRUE(writeAll(garbage, noise));

    const QString blocker = folder.filePath(QStringLiteral("plain-file"));
    ASSERT_TRUE(writeAll(blocker, "x"));

    // Someone else's database: same engine, different program.
    const QString foreign = folder.filePath(QStringLiteral("foreign.db"));
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(foreign).constData(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE notes(t TEXT)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const QByteArray foreignBytes = readAll(foreign);

    for (const QString &path : { garbage, blocker + QStringLiteral("/registry.db"), foreign }) {
        const QByteArray before = readAll(path);
        QString error;
        EXPECT_FALSE(RegistryHive::open(path, &error)) << qPrintable(path);
        EXPECT_FALSE(error.isEmpty()) << qPrintable(path);
        EXPECT_EQ(readAll(path), before) << qPrintable(path);
    }
    EXPECT_EQ(readAll(foreign), foreignBytes);
    QString error;
    RegistryHive::open(garbage, &error);
    EXPECT_TRUE(error.contains(QStringLiteral("not a database"))) << qPrintable(error);
}

// The child side of the two-process test: writes 500 values, each its own write.
TEST(RegistryHiveFile, ChildWriter)
{
    const QString path = qEnvironmentVariable("VELMORA_REG_CHILD_HIVE");
    if (path.isEmpty())
        GTEST_SKIP() << "only run as a child of ConcurrentProcessesLoseNothing";
    const QString prefix = qEnvironmentVariable("VELMORA_REG_CHILD_PREFIX");
    QString error;
    auto hive = RegistryHive::open(path, &error);
    ASSERT_TRUE(hive) << qPrintable(error);
    // Both writers start together, so their writes really interleave.
    const QDir folder = QFileInfo(path).dir();
    ASSERT_TRUE(writeAll(folder.filePath(prefix + QStringLiteral(".ready")), "1"));
    for (int wait = 0; wait < 3000 && folder.entryList({ QStringLiteral("*.ready") }).size() < 2; ++wait)
        QThread::msleep(10);
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(hive->setValue(RegRoot::CurrentUser,
            QStringLiteral("Shared\\Key"),
            RegValue::fromString(prefix + QString::number(i), QString::number(i))));
    }
}

TEST(RegistryHiveFile, ConcurrentProcessesLoseNothing)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("registry.db"));
    std::vector<std::unique_ptr<QProcess>> children;
    for (const char *prefix : { "a", "b" }) {
        auto child = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VELMORA_REG_CHILD_HIVE"), path);
        environment.insert(QStringLiteral("VELMORA_REG_CHILD_PREFIX"), QLatin1String(prefix));
        child->setProcessEnvironment(environment);
        child->setProcessChannelMode(QProcess::MergedChannels);
        child->start(
            QCoreApplication::applicationFilePath(), { QStringLiteral("--gtest_filter=RegistryHiveFile.ChildWriter") });
        children.push_back(std::move(child));
    }
    for (auto &child : children) {
        ASSERT_TRUE(child->waitForFinished(120000));
        EXPECT_EQ(child->exitCode(), 0) << child->readAll().constData();
    }
    auto hive = RegistryHive::open(path);
    ASSERT_TRUE(hive);
    const auto values = hive->values(RegRoot::CurrentUser, QStringLiteral("Shared\\Key"));
    EXPECT_EQ(values.size(), 1000);
    int switches = 0;
    for (qsizetype i = 1; i < values.size(); ++i)
        switches += values[i].name.at(0) != values[i - 1].name.at(0);
    // How often the writers took turns depends on scheduling, so it is recorded, not asserted.
    RecordProperty("writer_switches", switches);
    for (const char *prefix : { "a", "b" }) {
        for (int i = 0; i < 500; ++i) {
            const auto value = hive->value(
                RegRoot::CurrentUser, QStringLiteral("Shared\\Key"), QLatin1String(prefix) + QString::number(i));
            ASSERT_TRUE(value) << prefix << i;
            EXPECT_EQ(value->text(), QString::number(i));
        }
    }
}

TEST(ProcessHive, FallsBackToMemoryOnceWhenTheFileIsDamaged)
{
    const QString folder = QDir::cleanPath(qEnvironmentVariable("XDG_CONFIG_HOME")) + QStringLiteral("/Velmora");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/registry.db");
    const QByteArray garbage = QByteArray("this is no database at all\n").repeated(200);
    ASSERT_TRUE(writeAll(path, garbage));

    setProcessHive(nullptr);
    testing::internal::CaptureStderr();
    RegistryHive &hive = processHive();
    EXPECT_TRUE(hive.isInMemory());
    EXPECT_TRUE(hive.setValue(
        RegRoot::CurrentUser, QStringLiteral("X"), RegValue::fromString(QStringLiteral("n"), QStringLiteral("v"))));
    EXPECT_EQ(&processHive(), &hive);
    const QString message = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(message.count(QLatin1Char('\n')), 1) << qPrintable(message);
    EXPECT_TRUE(message.contains(path)) << qPrintable(message);
    EXPECT_TRUE(message.contains(QStringLiteral("not a database"))) << qPrintable(message);
    EXPECT_EQ(readAll(path), garbage);

    // With the file gone the next process hive is the real one again.
    setProcessHive(nullptr);
    QFile::remove(path);
    EXPECT_FALSE(processHive().isInMemory());
    EXPECT_TRUE(QFile::exists(path));
    setProcessHive(nullptr);
}
