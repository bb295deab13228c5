#include "common/Settings.h"

#include <gtest/gtest.h>

using namespace common;

namespace {

const QString kSetupKey = QStringLiteral("Software\\VB and VBA Program Settings\\Velmora2021\\setup");

}

TEST(SettingsStore, SavesOneStringValuePerKeyUnderTheSectionKey)
{
    auto hive = RegistryHive::openInMemory();
    SettingsStore settings(*hive);
    ASSERT_TRUE(
        settings.save(QStringLiteral("setup"), QStringLiteral("Homepage"), QStringLiteral("http://论坛.example/")));
    ASSERT_TRUE(settings.save(QStringLiteral("setup"), QStringLiteral("Pop"), QStringLiteral("1")));

    EXPECT_EQ(SettingsStore::sectionKeyPath(kAppName, QStringLiteral("setup")), kSetupKey);
    const auto values = hive->values(RegRoot::CurrentUser, kSetupKey);
    ASSERT_EQ(values.size(), 2);
    EXPECT_EQ(values[0], RegValue::fromString(QStringLiteral("Homepage"), QStringLiteral("http://论坛.example/")));
    EXPECT_EQ(values[1].type, RegType::Sz);
    EXPECT_EQ(settings.read(QStringLiteral("SETUP"), QStringLiteral("pop"), QStringLiteral("0")), QStringLiteral("1"));
}

TEST(SettingsStore, ReadGivesTheDefaultWhenMissingOrNotAString)
{
    auto hive = RegistryHive::openInMemory();
    SettingsStore settings(*hive);
    hive->setValue(RegRoot::CurrentUser, kSetupKey, RegValue::fromDword(QStringLiteral("Number"), 7));
    hive->setValue(RegRoot::CurrentUser, kSetupKey, RegValue { QStringLiteral("Path"), RegType::ExpandSz, "x" });
    settings.save(QStringLiteral("setup"), QStringLiteral("Blank"), QString());
    const struct {
        const char *section;
        const char *key;
        const char *expected;
    } cases[] = {
        { "setup", "Number", "dflt" },
        { "setup", "Path", "dflt" },
        { "setup", "Missing", "dflt" },
        { "Nowhere", "Pop", "dflt" },
        { "setup", "Blank", "" },
        { "", "Number", "dflt" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(settings.read(QLatin1String(c.section), QLatin1String(c.key), QStringLiteral("dflt")),
            QString::fromUtf8(c.expected))
            << c.section << "/" << c.key;
    }
    EXPECT_EQ(settings.read(QStringLiteral("setup"), QStringLiteral("Missing")), QString());
}

TEST(SettingsStore, RemoveDeletesOneValueAndRemoveSectionEverythingBelow)
{
    auto hive = RegistryHive::openInMemory();
    SettingsStore settings(*hive);
    settings.save(QStringLiteral("CancelPage"), QStringLiteral("Count"), QStringLiteral("2"));
    settings.save(QStringLiteral("CancelPage"), QStringLiteral("Page_1"), QStringLiteral("a"));
    settings.save(QStringLiteral("CancelPage\\Sub"), QStringLiteral("x"), QStringLiteral("y"));
    settings.save(QStringLiteral("Main"), QStringLiteral("PictureSize"), QStringLiteral("120"));

    EXPECT_TRUE(settings.remove(QStringLiteral("CancelPage"), QStringLiteral("page_1")));
    EXPECT_FALSE(settings.remove(QStringLiteral("CancelPage"), QStringLiteral("page_1")));
    EXPECT_EQ(settings.read(QStringLiteral("CancelPage"), QStringLiteral("Count")), QStringLiteral("2"));

    EXPECT_TRUE(settings.removeSection(QStringLiteral("cancelpage")));
    EXPECT_EQ(settings.read(QStringLiteral("CancelPage"), QStringLiteral("Count"), QStringLiteral("none")),
        QStringLiteral("none"));
    EXPECT_FALSE(hive->keyExists(
        RegRoot::CurrentUser, SettingsStore::sectionKeyPath(kAppName, QStringLiteral("CancelPage\\Sub"))));
    EXPECT_EQ(settings.read(QStringLiteral("Main"), QStringLiteral("PictureSize")), QStringLiteral("120"));
}

TEST(SettingsStore, AnEmptySectionNeverAddressesTheWholeApplication)
{
    auto hive = RegistryHive::openInMemory();
    SettingsStore settings(*hive);
    settings.save(QStringLiteral("Main"), QStringLiteral("PictureSize"), QStringLiteral("120"));
    EXPECT_FALSE(settings.removeSection(QString()));
    EXPECT_FALSE(settings.removeSection(QStringLiteral("\\")));
    EXPECT_FALSE(settings.save(QString(), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(settings.read(QStringLiteral("Main"), QStringLiteral("PictureSize")), QStringLiteral("120"));
}

TEST(SettingsStore, ApplicationsAreKeptApart)
{
    auto hive = RegistryHive::openInMemory();
    SettingsStore mine(*hive);
    SettingsStore other(*hive, QStringLiteral("Other"));
    mine.save(QStringLiteral("setup"), QStringLiteral("Pop"), QStringLiteral("1"));
    EXPECT_EQ(other.read(QStringLiteral("setup"), QStringLiteral("Pop"), QStringLiteral("0")), QStringLiteral("0"));
    other.removeSection(QStringLiteral("setup"));
    EXPECT_EQ(mine.read(QStringLiteral("setup"), QStringLiteral("Pop")), QStringLiteral("1"));
}
