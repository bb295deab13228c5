#include "system/ShellIntegration.h"

#include "common/Paths.h"
#include "common/Registry.h"
#include "common/Settings.h"
#include "common/platform/Desktop.h"
#include "tests/TestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using velmora::test::readAll;

namespace {

using common::RegRoot;

// Every value in the hive below the three roots, as "ROOT\key\name=data".
QStringList everyValue(common::RegistryHive &hive)
{
    QStringList found;
    std::function<void(RegRoot, const QString &)> walk = [&](RegRoot root, const QString &key) {
        for (const common::RegValue &value : hive.values(root, key))
            found << common::rootName(root) + QLatin1Char('\\') + key + QLatin1Char('\\') + value.name
                    + QLatin1Char('=') + value.text();
        for (const QString &sub : hive.subKeys(root, key))
            walk(root, key.isEmpty() ? sub : key + QLatin1Char('\\') + sub);
    };
    for (RegRoot root : { RegRoot::ClassesRoot, RegRoot::CurrentUser, RegRoot::LocalMachine })
        walk(root, QString());
    found.sort();
    return found;
}

TEST(ShellIntegration, TwoStartsLeaveExactlyTheSixEntries)
{
    const auto desktop = common::platform::createDesktop();
    auto hive = common::RegistryHive::openInMemory();
    const QString program = QStringLiteral("/opt/Tools/vistelle");
    sys::RegisterShellMenus(*hive, program, *desktop);
    const QStringList first = everyValue(*hive);
    sys::RegisterShellMenus(*hive, program, *desktop);
    EXPECT_EQ(everyValue(*hive), first);

    const QString command = QStringLiteral("\"/opt/Tools/vistelle\" \"%1\"");
    EXPECT_EQ(first,
        (QStringList { QStringLiteral("HKEY_CLASSES_ROOT\\*\\shell\\=Vistelle"),
            QStringLiteral("HKEY_CLASSES_ROOT\\*\\shell\\Vistelle\\command\\=") + command,
            QStringLiteral("HKEY_CLASSES_ROOT\\Directory\\shell\\see\\=Vistelle"),
            QStringLiteral("HKEY_CLASSES_ROOT\\Directory\\shell\\see\\command\\=") + command,
            QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\CLASSES\\Drive\\shell\\see\\=Vistelle"),
            QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\CLASSES\\Drive\\shell\\see\\command\\=") + command }));
    EXPECT_EQ(sys::ShellCommand(QStringLiteral("/a b/v")), QStringLiteral("\"/a b/v\" \"%1\""));
}

TEST(ShellIntegration, DesktopEntriesAreWrittenOnlyWhenTheyDiffer)
{
    const auto desktop = common::platform::createDesktop();
    auto hive = common::RegistryHive::openInMemory();
    const QString program = QStringLiteral("/opt/My \"Tools\"/vistelle");
    sys::RegisterShellMenus(*hive, program, *desktop);
    const QByteArray entry = readAll(sys::desktopEntryPath());
    EXPECT_TRUE(entry.contains("MimeType=image/bmp;image/jpeg;image/gif;image/png;image/tiff;inode/directory;"));
    // Quotes are escaped for the desktop-entry parser, which unescapes backslashes once more.
    EXPECT_TRUE(entry.contains("Exec=\"/opt/My \\\\\"Tools\\\\\"/vistelle\" %f")) << entry.constData();
    EXPECT_TRUE(QFileInfo(sys::serviceMenuPath()).isExecutable());

    const QDateTime old = QFileInfo(sys::desktopEntryPath()).lastModified().addSecs(-100);
    {
        QFile file(sys::desktopEntryPath());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    velmora::test::clearSimulatedDesktopEffects();
    sys::RegisterShellMenus(*hive, program, *desktop);
    EXPECT_EQ(QFileInfo(sys::desktopEntryPath()).lastModified(), old);
    // The desktop layer writes the menu files and the recorder logs each write, none when unchanged.
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(), QStringList());
    sys::RegisterShellMenus(*hive, QStringLiteral("/elsewhere/vistelle"), *desktop);
    EXPECT_TRUE(readAll(sys::desktopEntryPath()).contains("Exec=\"/elsewhere/vistelle\" %f"));
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(),
        (QStringList { QStringLiteral("installMenuFile\t") + sys::desktopEntryPath(),
            QStringLiteral("installMenuFile\t") + sys::browserEntryPath(),
            QStringLiteral("installMenuFile\t") + sys::serviceMenuPath() }));
}

TEST(ShellIntegration, ShortcutsAreExecutableDesktopEntriesInTheDesktopFolder)
{
    const auto desktop = common::platform::createDesktop();
    ASSERT_TRUE(sys::CreateDesktopShortcut(QStringLiteral("Nimbrow"), QStringLiteral("/opt/vistelle"), *desktop));
    const QString path = common::desktopFolder() + QStringLiteral("Nimbrow.desktop");
    EXPECT_TRUE(QFileInfo(path).isExecutable());
    EXPECT_TRUE(readAll(path).contains("Name=Nimbrow\n"));
    EXPECT_TRUE(readAll(path).contains("Exec=\"/opt/vistelle\"\n"));
    // Overwritten, not duplicated.
    ASSERT_TRUE(sys::CreateDesktopShortcut(QStringLiteral("Nimbrow"), QStringLiteral("/opt/other"), *desktop));
    EXPECT_TRUE(readAll(path).contains("Exec=\"/opt/other\"\n"));
}

TEST(ShellIntegration, TheBrowserHasItsOwnMenuEntryAndShortcutWithItsArgument)
{
    const auto desktop = common::platform::createDesktop();
    auto hive = common::RegistryHive::openInMemory();
    sys::RegisterShellMenus(*hive, QStringLiteral("/opt/vistelle"), *desktop);
    const QByteArray entry = readAll(sys::browserEntryPath());
    EXPECT_TRUE(entry.contains("Name=Nimbrow\n")) << entry.constData();
    EXPECT_TRUE(entry.contains("Exec=\"/opt/vistelle\" --browser\n")) << entry.constData();
    EXPECT_FALSE(entry.contains("MimeType"));
    ASSERT_TRUE(sys::CreateDesktopShortcut(
        QStringLiteral("Nimbrow"), QStringLiteral("/opt/vistelle"), *desktop, { QStringLiteral("--browser") }));
    EXPECT_TRUE(readAll(common::desktopFolder() + QStringLiteral("Nimbrow.desktop"))
                    .contains("Exec=\"/opt/vistelle\" \"--browser\"\n"));
}

TEST(ShellIntegration, FirstStartWritesTheInitialSettingsOnce)
{
    const auto desktop = common::platform::createDesktop();
    auto hive = common::RegistryHive::openInMemory();
    common::SettingsStore settings(*hive);
    const QString program = QStringLiteral("/opt/vistelle");
    EXPECT_TRUE(sys::InitialiseFirstStart(*hive, settings, program, *desktop));
    EXPECT_EQ(settings.read(QStringLiteral("setup"), QStringLiteral("Pop")), QStringLiteral("1"));
    EXPECT_EQ(settings.read(QStringLiteral("setup"), QStringLiteral("AutoDownload")), QStringLiteral("1"));
    EXPECT_EQ(settings.read(QStringLiteral("setup"), QStringLiteral("Homepage")), sys::kDefaultHomepage);
    EXPECT_TRUE(QFileInfo::exists(common::desktopFolder() + QStringLiteral("Vistelle.desktop")));

    // The user's later choices survive the next start.
    settings.save(QStringLiteral("setup"), QStringLiteral("Pop"), QStringLiteral("0"));
    EXPECT_FALSE(sys::InitialiseFirstStart(*hive, settings, program, *desktop));
    EXPECT_EQ(settings.read(QStringLiteral("setup"), QStringLiteral("Pop")), QStringLiteral("0"));
    // Another installation of the program is a first start of its own.
    EXPECT_TRUE(sys::InitialiseFirstStart(*hive, settings, QStringLiteral("/home/u/portable/vistelle"), *desktop));
}

}
