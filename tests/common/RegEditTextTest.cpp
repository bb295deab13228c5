#include "common/RegEditText.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

using namespace common;

namespace {

QByteArray crlf(const char *text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

void fillSample(RegistryHive &hive)
{
    const QString key = QStringLiteral("Software\\VB and VBA Program Settings\\Velmora2021");
    hive.setValue(RegRoot::CurrentUser,
        key + QStringLiteral("\\setup"),
        RegValue::fromString(QStringLiteral("Homepage"), QStringLiteral("http://论坛.example/")));
    hive.setValue(RegRoot::CurrentUser,
        key + QStringLiteral("\\setup"),
        RegValue::fromString(QStringLiteral("Path \"x\""), QStringLiteral("C:\\下载\\")));
    hive.setValue(
        RegRoot::CurrentUser, key + QStringLiteral("\\setup"), RegValue::fromDword(QStringLiteral("Count"), 26));
    hive.setValue(
        RegRoot::CurrentUser, key + QStringLiteral("\\setup"), RegValue::fromString(QString(), QStringLiteral("默认")));
    hive.setValue(RegRoot::CurrentUser,
        key + QStringLiteral("\\Main"),
        RegValue { QStringLiteral("Bin"), RegType::Binary, QByteArray(40, '\xAB') });
    hive.setValue(RegRoot::CurrentUser,
        key + QStringLiteral("\\Main"),
        RegValue { QStringLiteral("Exp"), RegType::ExpandSz, "%HOME%" });
    hive.setValue(RegRoot::CurrentUser,
        key + QStringLiteral("\\Main"),
        RegValue { QStringLiteral("Multi"), RegType::MultiSz, QByteArray("a\0b\0\0", 5) });
    hive.setValue(RegRoot::CurrentUser,
        key + QStringLiteral("\\Main"),
        RegValue { QStringLiteral("Q"), RegType::Qword, QByteArray(8, '\x01') });
    hive.setValue(RegRoot::CurrentUser,
        key + QStringLiteral("\\Main"),
        RegValue::fromString(QStringLiteral("Lines"), QStringLiteral("a\r\nb")));
    hive.setValue(
        RegRoot::CurrentUser, key + QStringLiteral("\\Main"), RegValue { QStringLiteral("Odd"), RegType::Dword, "12" });
    hive.setValue(RegRoot::CurrentUser,
        key + QStringLiteral("\\Main"),
        RegValue { QStringLiteral("Latin1"), RegType::Sz, "\xE9t\xE9" });
    hive.createKey(RegRoot::CurrentUser, key + QStringLiteral("\\Main\\空的"));
}

// Every key below root with its values, in order, for comparing two hives.
QStringList dump(const RegistryHive &hive, RegRoot root, const QString &path = {})
{
    QStringList lines { QStringLiteral("[%1]").arg(path) };
    for (const RegValue &value : hive.values(root, path))
        lines.append(QStringLiteral("%1|%2|%3")
                         .arg(value.name)
                         .arg(int(value.type))
                         .arg(QString::fromLatin1(value.data.toHex())));
    for (const QString &child : hive.subKeys(root, path))
        lines += dump(hive, root, path.isEmpty() ? child : path + QLatin1Char('\\') + child);
    return lines;
}

}

TEST(RegEditText, ExportWritesRegedit4WithCrLfAndUtf8)
{
    auto hive = RegistryHive::openInMemory();
    hive->setValue(RegRoot::ClassesRoot,
        QStringLiteral("Directory\\shell\\see"),
        RegValue::fromString({}, QStringLiteral("Vistelle")));
    hive->setValue(RegRoot::ClassesRoot,
        QStringLiteral("Directory\\shell\\see\\command"),
        RegValue::fromString({}, QStringLiteral("\"/opt/v/vistelle\" \"%1\"")));
    hive->setValue(RegRoot::ClassesRoot,
        QStringLiteral("Directory\\shell\\see"),
        RegValue::fromDword(QStringLiteral("Flags"), 0x1a));
    hive->setValue(RegRoot::ClassesRoot,
        QStringLiteral("Directory\\shell\\see"),
        RegValue::fromString(QStringLiteral("名"), QStringLiteral("C:\\图")));
    const auto text = exportRegEditText(*hive, RegRoot::ClassesRoot, QStringLiteral("DIRECTORY\\Shell"));
    ASSERT_TRUE(text);
    EXPECT_EQ(*text,
        crlf("REGEDIT4\n\n"
             "[HKEY_CLASSES_ROOT\\Directory\\shell]\n\n"
             "[HKEY_CLASSES_ROOT\\Directory\\shell\\see]\n"
             "@=\"Vistelle\"\n"
             "\"Flags\"=dword:0000001a\n"
             "\"\xE5\x90\x8D\"=\"C:\\\\\xE5\x9B\xBE\"\n\n"
             "[HKEY_CLASSES_ROOT\\Directory\\shell\\see\\command]\n"
             "@=\"\\\"/opt/v/vistelle\\\" \\\"%1\\\"\"\n\n"));
}

TEST(RegEditText, LongHexDataIsWrappedWithContinuations)
{
    auto hive = RegistryHive::openInMemory();
    hive->setValue(RegRoot::LocalMachine,
        QStringLiteral("K"),
        RegValue { QStringLiteral("Data"), RegType::Binary, QByteArray(60, '\x0F') });
    const QByteArray text = *exportRegEditText(*hive, RegRoot::LocalMachine, QStringLiteral("K"));
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_GT(lines.size(), 6);
    EXPECT_TRUE(lines[3].startsWith("\"Data\"=hex:0f,0f,"));
    EXPECT_TRUE(lines[3].endsWith(",\\\r"));
    EXPECT_TRUE(lines[4].startsWith("  0f,"));
    for (const QByteArray &line : lines)
        EXPECT_LE(line.size(), 80);
}

TEST(RegEditText, ExportThenImportIntoAnEmptyHiveGivesTheSameHive)
{
    auto source = RegistryHive::openInMemory();
    fillSample(*source);
    const auto text = exportRegEditText(*source, RegRoot::CurrentUser, QStringLiteral("Software"));
    ASSERT_TRUE(text);
    auto target = RegistryHive::openInMemory();
    QString error;
    const auto summary = importRegEditText(*target, *text, &error);
    ASSERT_TRUE(summary) << qPrintable(error);
    EXPECT_EQ(summary->keys, 6);
    EXPECT_EQ(summary->values, 11);
    EXPECT_EQ(dump(*target, RegRoot::CurrentUser), dump(*source, RegRoot::CurrentUser));
    EXPECT_EQ(exportRegEditText(*target, RegRoot::CurrentUser, QStringLiteral("Software")), text);
}

TEST(RegEditText, ImportReadsWindowsFilesDeletionsAndContinuations)
{
    auto hive = RegistryHive::openInMemory();
    hive->setValue(RegRoot::CurrentUser,
        QStringLiteral("Old\\Sub"),
        RegValue::fromString(QStringLiteral("x"), QStringLiteral("1")));
    hive->setValue(RegRoot::CurrentUser,
        QStringLiteral("Keep"),
        RegValue::fromString(QStringLiteral("gone"), QStringLiteral("1")));
    hive->setValue(RegRoot::CurrentUser,
        QStringLiteral("Keep"),
        RegValue::fromString(QStringLiteral("stay"), QStringLiteral("1")));
    QByteArray gbk = "REGEDIT4\r\n\r\n; a comment\r\n[-HKEY_CURRENT_USER\\Old]\r\n\r\n[HKCU\\Keep]\r\n\"gone\"=-\r\n"
                     "\"Bin\"=hex:01,02,\\\r\n   03,\\\r\n  04\r\n\"D\" = dword:FFFFFFFF\r\n\"T\"=\"";
    gbk += QStringEncoder("GB18030").encode(QStringLiteral("中文"));
    gbk += "\"\r\n@=\"\"\r\n";
    QString error;
    ASSERT_TRUE(importRegEditText(*hive, gbk, &error)) << qPrintable(error);
    EXPECT_FALSE(hive->keyExists(RegRoot::CurrentUser, QStringLiteral("Old")));
    const auto values = hive->values(RegRoot::CurrentUser, QStringLiteral("Keep"));
    ASSERT_EQ(values.size(), 5);
    EXPECT_EQ(values[0].name, QStringLiteral("stay"));
    EXPECT_EQ(values[1], (RegValue { QStringLiteral("Bin"), RegType::Binary, QByteArray("\x01\x02\x03\x04") }));
    EXPECT_EQ(values[2], RegValue::fromDword(QStringLiteral("D"), 0xFFFFFFFFu));
    EXPECT_EQ(values[3], RegValue::fromString(QStringLiteral("T"), QStringLiteral("中文")));
    EXPECT_EQ(values[4], RegValue::fromString(QString(), QString()));
}

TEST(RegEditText, ImportReadsVersion5TextInUtf16)
{
    const QString text =
        QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                       "\"Wallpaper\"=\"/home/u/壁纸.bmp\"\r\n\"E\"=hex(2):25,00,41,00,25,00,00,00\r\n");
    QByteArray bytes("\xFF\xFE");
    bytes += QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    auto hive = RegistryHive::openInMemory();
    QString error;
    ASSERT_TRUE(importRegEditText(*hive, bytes, &error)) << qPrintable(error);
    EXPECT_EQ(hive->value(RegRoot::CurrentUser, QStringLiteral("Control Panel\\Desktop"), QStringLiteral("wallpaper"))
                  ->text(),
        QStringLiteral("/home/u/壁纸.bmp"));
    EXPECT_EQ(hive->value(RegRoot::CurrentUser, QStringLiteral("Control Panel\\Desktop"), QStringLiteral("E")),
        (RegValue { QStringLiteral("E"), RegType::ExpandSz, "%A%" }));
}

TEST(RegEditText, BadTextNamesTheLineAndChangesNothing)
{
    const struct {
        const char *text;
        const char *error;
    } cases[] = {
        { "", "line 1: this is not registry text" },
        { "REGEDIT5\r\n", "line 1: this is not registry text" },
        { "REGEDIT4\n[HKEY_NOWHERE\\x]\n", "line 2: \"HKEY_NOWHERE\\x\" does not start with a known root key" },
        { "REGEDIT4\n[HKCU\\x\n", "line 2: the key name has no closing \"]\"" },
        { "REGEDIT4\n\"a\"=\"b\"\n", "line 2: a value line has no [key] line to go into" },
        { "REGEDIT4\n[HKCU\\x]\n\"a\"=\"b\n", "line 3: the string has no closing quote" },
        { "REGEDIT4\n[HKCU\\x]\n\"a\"=\"b\" c\n", "line 3: unexpected text after the closing quote" },
        { "REGEDIT4\n[HKCU\\x]\n\"a=\"b\"\n", "line 3: expected \"=\" after the value name" },
        { "REGEDIT4\n[HKCU\\x]\n\"a\"=dword:123456789\n",
            "line 3: dword data must be one to eight hexadecimal digits" },
        { "REGEDIT4\n[HKCU\\x]\n\"a\"=dword:0x1a\n", "line 3: dword data" },
        { "REGEDIT4\n[HKCU\\x]\n\"a\"=hex:1,zz\n", "line 3: \"zz\" is not a hexadecimal byte" },
        { "REGEDIT4\n[HKCU\\x]\n\"a\"=hex(q):00\n", "line 3: bad hex type \"(q)\"" },
        { "REGEDIT4\n[HKCU\\x]\n\n\"a\"=hex:00,\\", "line 4: the hex data goes on past the end of the text" },
        { "REGEDIT4\n[HKCU\\x]\n\"a\"=string\n", "line 3: unknown value data" },
        { "REGEDIT4\n[HKCU\\x]\nnonsense\n", "line 3: expected a [key]" },
        { "REGEDIT4\n[-HKCU]\n", "line 2: a root key cannot be deleted" },
        { "REGEDIT4\n[HKCU\\x]\n\"a\n", "line 3: the value name has no closing quote" },
    };
    for (const auto &c : cases) {
        auto hive = RegistryHive::openInMemory();
        hive->setValue(RegRoot::CurrentUser,
            QStringLiteral("x"),
            RegValue::fromString(QStringLiteral("keep"), QStringLiteral("1")));
        const QStringList before = dump(*hive, RegRoot::CurrentUser);
        QString error;
        // A good key after the bad line must not be applied either (except after a dangling continuation).
        QByteArray text(c.text);
        if (!text.endsWith("\\"))
            text += "[HKCU\\added]\n";
        EXPECT_FALSE(importRegEditText(*hive, text, &error)) << c.text;
        EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.error))) << c.text << " gave " << qPrintable(error);
        EXPECT_EQ(dump(*hive, RegRoot::CurrentUser), before) << c.text;
    }
}

TEST(RegEditText, ExportRefusesWhatItCannotWrite)
{
    auto hive = RegistryHive::openInMemory();
    QString error;
    EXPECT_FALSE(exportRegEditText(*hive, RegRoot::CurrentUser, QStringLiteral("Missing"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("does not exist")));
    hive->setValue(RegRoot::CurrentUser,
        QStringLiteral("K"),
        RegValue::fromString(QStringLiteral("two\nlines"), QStringLiteral("v")));
    EXPECT_FALSE(exportRegEditText(*hive, RegRoot::CurrentUser, QStringLiteral("K"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("line break")));
}
