#include "system/RegTool.h"

#include "common/Registry.h"
#include "tests/system/RegToolRun.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using common::RegRoot;
using common::RegType;
using common::RegValue;
using velmora::test::ToolRun;

namespace {

class RegToolTest : public testing::Test {
protected:
    ToolRun reg(const QStringList &arguments, const QString &hive = {})
    {
        return velmora::test::runRegToolOn(hive.isEmpty() ? m_hive : hive, arguments);
    }

    std::unique_ptr<common::RegistryHive> openHive(const QString &path = {})
    {
        auto hive = common::RegistryHive::open(path.isEmpty() ? m_hive : path);
        EXPECT_TRUE(hive);
        return hive;
    }

    QString path(const char *name) const { return m_folder.filePath(QLatin1String(name)); }

    QTemporaryDir m_folder;
    QString m_hive = m_folder.filePath(QStringLiteral("registry.db"));
};

const QString kSuccess = QStringLiteral("The operation completed successfully.\n");

}

TEST_F(RegToolTest, AddWritesTypedValuesAndQueryPrintsThemLikeReg)
{
    const QString key = QStringLiteral("HKCU\\Software\\Velmora");
    EXPECT_EQ(
        reg({ QStringLiteral("add"), key, QStringLiteral("/ve"), QStringLiteral("/d"), QStringLiteral("看图") }).out,
        kSuccess);
    EXPECT_EQ(reg({ QStringLiteral("ADD"),
                      key,
                      QStringLiteral("/v"),
                      QStringLiteral("Count"),
                      QStringLiteral("/t"),
                      QStringLiteral("reg_dword"),
                      QStringLiteral("/d"),
                      QStringLiteral("0x1A"),
                      QStringLiteral("/f") })
                  .code,
        0);
    EXPECT_EQ(reg({ QStringLiteral("add"),
                      key,
                      QStringLiteral("-v"),
                      QStringLiteral("Big"),
                      QStringLiteral("-t"),
                      QStringLiteral("REG_DWORD"),
                      QStringLiteral("-d"),
                      QStringLiteral("4294967295") })
                  .code,
        0);
    EXPECT_EQ(reg({ QStringLiteral("add"),
                      key,
                      QStringLiteral("/v"),
                      QStringLiteral("Path"),
                      QStringLiteral("/t"),
                      QStringLiteral("REG_EXPAND_SZ"),
                      QStringLiteral("/d"),
                      QStringLiteral("/d") })
                  .code,
        0);
    EXPECT_EQ(reg({ QStringLiteral("add"), key + QStringLiteral("\\Sub\\Deeper") }).code, 0);

    auto hive = openHive();
    EXPECT_EQ(hive->value(RegRoot::CurrentUser, QStringLiteral("Software\\Velmora"), QStringLiteral("count")),
        RegValue::fromDword(QStringLiteral("Count"), 26));
    EXPECT_EQ(hive->value(RegRoot::CurrentUser, QStringLiteral("Software\\Velmora"), QStringLiteral("Path")),
        (RegValue { QStringLiteral("Path"), RegType::ExpandSz, "/d" }));
    hive.reset();

    const ToolRun query = reg({ QStringLiteral("query"), QStringLiteral("HKEY_CURRENT_USER\\Software\\Velmora") });
    EXPECT_EQ(query.code, 0);
    EXPECT_EQ(query.out,
        QStringLiteral("\nHKEY_CURRENT_USER\\Software\\Velmora\n"
                       "    (Default)    REG_SZ    看图\n"
                       "    Count    REG_DWORD    0x1a\n"
                       "    Big    REG_DWORD    0xffffffff\n"
                       "    Path    REG_EXPAND_SZ    /d\n"
                       "\n"
                       "HKEY_CURRENT_USER\\Software\\Velmora\\Sub\n"));

    const ToolRun one = reg({ QStringLiteral("query"), key, QStringLiteral("/v"), QStringLiteral("COUNT") });
    EXPECT_EQ(one.out, QStringLiteral("\nHKEY_CURRENT_USER\\Software\\Velmora\n    Count    REG_DWORD    0x1a\n"));

    const ToolRun all = reg({ QStringLiteral("query"), key, QStringLiteral("/s") });
    EXPECT_TRUE(all.out.contains(QStringLiteral("\nHKEY_CURRENT_USER\\Software\\Velmora\\Sub\\Deeper\n")));
}

TEST_F(RegToolTest, DeleteRemovesValuesAndWholeKeys)
{
    auto hive = openHive();
    const QString path = QStringLiteral("Directory\\shell\\see");
    hive->setValue(RegRoot::ClassesRoot, path, RegValue::fromString({}, QStringLiteral("Vistelle")));
    hive->setValue(RegRoot::ClassesRoot, path, RegValue::fromString(QStringLiteral("a"), QStringLiteral("1")));
    hive->setValue(RegRoot::ClassesRoot, path, RegValue::fromString(QStringLiteral("b"), QStringLiteral("2")));
    hive->setValue(
        RegRoot::ClassesRoot, path + QStringLiteral("\\command"), RegValue::fromString({}, QStringLiteral("c")));
    hive.reset();
    const QString key = QStringLiteral("HKCR\\Directory\\shell\\see");

    EXPECT_EQ(
        reg({ QStringLiteral("delete"), key, QStringLiteral("/v"), QStringLiteral("A"), QStringLiteral("/f") }).code,
        0);
    EXPECT_EQ(reg({ QStringLiteral("delete"), key, QStringLiteral("/ve") }).code, 0);
    hive = openHive();
    EXPECT_EQ(hive->values(RegRoot::ClassesRoot, path).size(), 1);
    hive.reset();
    EXPECT_EQ(reg({ QStringLiteral("delete"), key, QStringLiteral("/va") }).code, 0);
    hive = openHive();
    EXPECT_TRUE(hive->values(RegRoot::ClassesRoot, path).isEmpty());
    EXPECT_TRUE(hive->keyExists(RegRoot::ClassesRoot, path + QStringLiteral("\\command")));
    hive.reset();
    EXPECT_EQ(reg({ QStringLiteral("delete"), key }).out, kSuccess);
    hive = openHive();
    EXPECT_FALSE(hive->keyExists(RegRoot::ClassesRoot, path));
    EXPECT_TRUE(hive->keyExists(RegRoot::ClassesRoot, QStringLiteral("Directory\\shell")));
}

TEST_F(RegToolTest, ExportThenImportIntoAnEmptyHiveKeepsEverythingChineseIncluded)
{
    auto hive = openHive();
    const QString base = QStringLiteral("Software\\VB and VBA Program Settings\\Velmora2021");
    hive->setValue(RegRoot::CurrentUser,
        base + QStringLiteral("\\setup"),
        RegValue::fromString(QStringLiteral("DownloadPath"), QStringLiteral("/home/用户/下载/")));
    hive->setValue(RegRoot::CurrentUser,
        base + QStringLiteral("\\CancelPage"),
        RegValue::fromString(QStringLiteral("Page_1"), QStringLiteral("\"引号\" \\ 反斜杠")));
    hive->setValue(RegRoot::CurrentUser, base + QStringLiteral("\\目录"), RegValue::fromDword(QStringLiteral("数"), 7));
    hive->setValue(
        RegRoot::CurrentUser, base, RegValue { QStringLiteral("Bin"), RegType::Binary, QByteArray(100, '\x5A') });
    hive.reset();

    const QString file = path("export.reg");
    EXPECT_EQ(reg({ QStringLiteral("export"),
                      QStringLiteral("HKCU\\Software\\VB and VBA Program Settings"),
                      file,
                      QStringLiteral("/y") })
                  .out,
        kSuccess);
    const QString copy = path("copy.db");
    const ToolRun imported = reg({ QStringLiteral("import"), file }, copy);
    EXPECT_EQ(imported.code, 0) << qPrintable(imported.err);

    const QString again = path("again.reg");
    EXPECT_EQ(
        reg({ QStringLiteral("export"), QStringLiteral("HKCU\\Software\\VB and VBA Program Settings"), again }, copy)
            .code,
        0);
    QFile first(file);
    QFile second(again);
    ASSERT_TRUE(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly));
    const QByteArray text = first.readAll();
    EXPECT_EQ(text, second.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("\"DownloadPath\"=\"/home/用户/下载/\"").toUtf8()));
    EXPECT_TRUE(text.contains(
        QStringLiteral("[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Velmora2021\\目录]").toUtf8()));
    EXPECT_EQ(openHive(copy)
                  ->value(RegRoot::CurrentUser, base + QStringLiteral("\\CancelPage"), QStringLiteral("Page_1"))
                  ->text(),
        QStringLiteral("\"引号\" \\ 反斜杠"));
}

TEST_F(RegToolTest, ErrorsGoToStandardErrorWithExitCodeOne)
{
    QFile bad(path("bad.reg"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("REGEDIT4\r\n\r\n[HKCU\\x]\r\n\"a\"=dword:xyz\r\n");
    bad.close();
    QFile blocker(path("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    reg({ QStringLiteral("add"), QStringLiteral("HKCU\\Exists") });

    const struct {
        QStringList arguments;
        const char *error;
    } cases[] = {
        { { QStringLiteral("frobnicate") }, "ERROR: Unknown operation \"frobnicate\"" },
        { { QStringLiteral("query"), QStringLiteral("HKEY_USERS\\x") }, "ERROR: Invalid key name \"HKEY_USERS\\x\"" },
        { { QStringLiteral("query"), QStringLiteral("HKCU\\Missing") }, "ERROR: The system was unable to find" },
        { { QStringLiteral("query"), QStringLiteral("HKCU\\Exists"), QStringLiteral("/v"), QStringLiteral("nope") },
            "ERROR: The system was unable to find" },
        { { QStringLiteral("query") }, "ERROR: Invalid syntax: query takes 1 argument(s)" },
        { { QStringLiteral("query"), QStringLiteral("HKCU\\Exists"), QStringLiteral("extra") },
            "ERROR: Invalid syntax" },
        { { QStringLiteral("add"), QStringLiteral("HKCU\\x"), QStringLiteral("/v") },
            "ERROR: Invalid syntax: /v needs a value." },
        { { QStringLiteral("add"), QStringLiteral("HKCU\\x"), QStringLiteral("/t"), QStringLiteral("REG_FOO") },
            "ERROR: Invalid type \"REG_FOO\"" },
        { { QStringLiteral("add"),
              QStringLiteral("HKCU\\x"),
              QStringLiteral("/v"),
              QStringLiteral("n"),
              QStringLiteral("/t"),
              QStringLiteral("REG_DWORD"),
              QStringLiteral("/d"),
              QStringLiteral("12abc") },
            "ERROR: The data \"12abc\" is not a REG_DWORD number" },
        { { QStringLiteral("add"),
              QStringLiteral("HKCU\\x"),
              QStringLiteral("/t"),
              QStringLiteral("REG_DWORD"),
              QStringLiteral("/d"),
              QStringLiteral("4294967296") },
            "ERROR: The data \"4294967296\" is not a REG_DWORD number" },
        { { QStringLiteral("add"),
              QStringLiteral("HKCU\\x"),
              QStringLiteral("/v"),
              QStringLiteral("a"),
              QStringLiteral("/ve") },
            "ERROR: Invalid syntax: use either /v or /ve." },
        { { QStringLiteral("delete"), QStringLiteral("HKCU") }, "ERROR: A root key cannot be deleted." },
        { { QStringLiteral("delete"), QStringLiteral("HKCU\\Missing") }, "ERROR: The system was unable to find" },
        { { QStringLiteral("delete"), QStringLiteral("HKCU\\Exists"), QStringLiteral("/v"), QStringLiteral("none") },
            "ERROR: The system was unable to find" },
        { { QStringLiteral("export"), QStringLiteral("HKCU\\Missing"), path("out.reg") },
            "ERROR: The system was unable to find" },
        { { QStringLiteral("export"), QStringLiteral("HKCU\\Exists"), path("file") + QStringLiteral("/out.reg") },
            "ERROR: Cannot write" },
        { { QStringLiteral("import"), path("missing.reg") }, "ERROR: Cannot read" },
        { { QStringLiteral("import"), path("bad.reg") }, "ERROR: " },
        { { QStringLiteral("import") }, "ERROR: Invalid syntax: import takes 1 argument(s)" },
    };
    for (const auto &c : cases) {
        const ToolRun run = reg(c.arguments);
        EXPECT_EQ(run.code, 1) << qPrintable(c.arguments.join(QLatin1Char(' ')));
        EXPECT_TRUE(run.err.startsWith(QString::fromUtf8(c.error))) << qPrintable(run.err);
        EXPECT_TRUE(run.out.isEmpty()) << qPrintable(run.out);
    }
    EXPECT_TRUE(reg({ QStringLiteral("import"), path("bad.reg") }).err.contains(QStringLiteral("line 4: dword data")));
    EXPECT_FALSE(openHive()->keyExists(RegRoot::CurrentUser, QStringLiteral("x")));
}

TEST_F(RegToolTest, UsageAndHiveErrors)
{
    ToolRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    EXPECT_EQ(sys::runRegTool({}, out, err), 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Usage: velmora-reg")));

    QFile garbage(path("garbage.db"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    const ToolRun bad = reg({ QStringLiteral("query"), QStringLiteral("HKCU") }, path("garbage.db"));
    EXPECT_EQ(bad.code, 1);
    EXPECT_TRUE(bad.err.startsWith(QStringLiteral("ERROR: The hive file"))) << qPrintable(bad.err);
    EXPECT_EQ(reg({ QStringLiteral("/?") }).code, 0);
}

TEST(RegToolProcessHive, RefusesToChangeAnInMemoryStandIn)
{
    common::setProcessHive(common::RegistryHive::openInMemory());
    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    EXPECT_EQ(sys::runRegTool({ QStringLiteral("add"), QStringLiteral("HKCU\\x") }, out, err), 1);
    EXPECT_TRUE(errText.contains(QStringLiteral("nothing was changed")));
    common::setProcessHive(nullptr);
}
