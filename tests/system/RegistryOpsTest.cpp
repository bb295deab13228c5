#include "system/RegistryOps.h"

#include <gtest/gtest.h>

using common::RegRoot;
using common::RegType;
using common::RegValue;

TEST(SafeFileName, ReplacesTheEightCharactersInOrder)
{
    const struct {
        const char *text;
        const char *expected;
    } cases[] = {
        { "a/b:c*d<e>f|g?h\\i", "a b：c，d[e]fIg？hi" },
        { "\"quoted\"", "\"quoted\"" },
        { "\\\\server\\share", "servershare" },
        { "照片 2021/05/01 12:30", "照片 2021 05 01 12：30" },
        { "", "" },
        { "||??**", "II？？，，" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(sys::SafeFileName(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected)) << c.text;
}

TEST(RegistryStrings, ReadGivesOnlyStringValuesUpToTheFirstNul)
{
    auto hive = common::RegistryHive::openInMemory();
    const QString key = QStringLiteral("Software\\Test");
    hive->setValue(RegRoot::CurrentUser, key, RegValue::fromDword(QStringLiteral("Dword"), 1));
    hive->setValue(RegRoot::CurrentUser, key, RegValue { QStringLiteral("Expand"), RegType::ExpandSz, "x" });
    hive->setValue(RegRoot::CurrentUser, key, RegValue { QStringLiteral("Binary"), RegType::Binary, "abc" });
    hive->setValue(RegRoot::CurrentUser, key, RegValue { QStringLiteral("Nul"), RegType::Sz, QByteArray("ab\0cd", 5) });
    hive->setValue(RegRoot::CurrentUser, key, RegValue::fromString(QStringLiteral("Text"), QStringLiteral("中文")));
    const struct {
        const char *key;
        const char *name;
        const char *expected;
    } cases[] = {
        { "Software\\Test", "Dword", "" },
        { "Software\\Test", "Expand", "" },
        { "Software\\Test", "Binary", "" },
        { "Software\\Test", "Nul", "ab" },
        { "software\\test", "TEXT", "中文" },
        { "Software\\Test", "Missing", "" },
        { "Software\\Missing", "Text", "" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(sys::ReadRegString(*hive, RegRoot::CurrentUser, QString::fromUtf8(c.key), QString::fromUtf8(c.name)),
            QString::fromUtf8(c.expected))
            << c.name;
    }
}

TEST(RegistryStrings, WriteCreatesTheKeyPathAndUsesTheDefaultValueForAnEmptyName)
{
    auto hive = common::RegistryHive::openInMemory();
    sys::WriteRegString(
        *hive, RegRoot::ClassesRoot, QStringLiteral("Directory\\shell\\see\\command"), {}, QStringLiteral("cmd"));
    sys::WriteRegString(
        *hive, RegRoot::ClassesRoot, QStringLiteral("Directory\\shell\\see"), {}, QStringLiteral("Vistelle"));
    sys::WriteRegString(
        *hive, RegRoot::ClassesRoot, QStringLiteral("Directory\\shell\\see"), {}, QStringLiteral("Vistelle"));
    EXPECT_EQ(
        hive->subKeys(RegRoot::ClassesRoot, QStringLiteral("Directory\\shell")), QStringList { QStringLiteral("see") });
    const auto values = hive->values(RegRoot::ClassesRoot, QStringLiteral("Directory\\shell\\see"));
    ASSERT_EQ(values.size(), 1);
    EXPECT_EQ(values[0], RegValue::fromString(QString(), QStringLiteral("Vistelle")));
    EXPECT_EQ(sys::ReadRegString(*hive, RegRoot::ClassesRoot, QStringLiteral("Directory\\shell\\see\\command"), {}),
        QStringLiteral("cmd"));
}

TEST(RegistryStrings, DeleteRemovesOnlyAKeyWithoutSubkeys)
{
    auto hive = common::RegistryHive::openInMemory();
    const QString verb = QStringLiteral("*\\shell\\Vistelle");
    sys::WriteRegString(*hive, RegRoot::ClassesRoot, verb + QStringLiteral("\\command"), {}, QStringLiteral("cmd"));

    sys::DeleteRegKey(*hive, RegRoot::ClassesRoot, verb);
    EXPECT_TRUE(hive->keyExists(RegRoot::ClassesRoot, verb + QStringLiteral("\\command")));
    sys::DeleteRegKey(*hive, RegRoot::ClassesRoot, verb + QStringLiteral("\\COMMAND"));
    sys::DeleteRegKey(*hive, RegRoot::ClassesRoot, verb);
    EXPECT_FALSE(hive->keyExists(RegRoot::ClassesRoot, verb));
    EXPECT_TRUE(hive->keyExists(RegRoot::ClassesRoot, QStringLiteral("*\\shell")));
    sys::DeleteRegKey(*hive, RegRoot::ClassesRoot, QString());
    EXPECT_TRUE(hive->keyExists(RegRoot::ClassesRoot, QStringLiteral("*\\shell")));
}
