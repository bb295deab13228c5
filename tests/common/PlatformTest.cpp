#include "common/FileAttributes.h"
#include "common/Files.h"
#include "common/Paths.h"
#include "common/TextCodec.h"
#include "common/platform/Desktop.h"
#include "tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using velmora::test::readAll;

namespace {

TEST(Paths, FollowTheXdgFoldersOfTheSandbox)
{
    const QString root = velmora::test::sandboxRoot();
    EXPECT_EQ(common::configFolder(), root + QStringLiteral("/home/.config/Velmora/"));
    EXPECT_EQ(common::dataFolder(), root + QStringLiteral("/home/.local/share/Velmora/"));
    EXPECT_EQ(common::defaultDownloadFolder(), common::dataFolder() + QStringLiteral("Download/"));
    EXPECT_EQ(common::pageFilePath(QStringLiteral("Tpc.htm")), root + QStringLiteral("/runtime/Velmora/Tpc.htm"));
    const auto groupOrOther =
        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_FALSE(QFileInfo(common::pageFolder()).permissions() & groupOrOther);
    EXPECT_TRUE(common::programFolder().endsWith(QLatin1Char('/')));
    EXPECT_EQ(common::withTrailingSlash(QStringLiteral("/a")), QStringLiteral("/a/"));
    EXPECT_EQ(common::withTrailingSlash(QStringLiteral("/a/")), QStringLiteral("/a/"));
}

TEST(Paths, PageFolderFallsBackToTheDataFolderWithoutARuntimeFolder)
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(common::pageFolder(), common::dataFolder() + QStringLiteral("pages/"));
    EXPECT_TRUE(QFileInfo(common::pageFolder()).isDir());
    qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(TextCodec, ReadsUtf8AndFallsBackToGbk)
{
    const QString chinese = QStringLiteral("图片下载目录");
    EXPECT_EQ(common::decodeText(chinese.toUtf8()), chinese);
    EXPECT_EQ(common::decodeText(QByteArray("\xEF\xBB\xBF") + chinese.toUtf8()), chinese);
    // "中文" in GBK, which is not valid UTF-8.
    EXPECT_EQ(common::decodeText(QByteArray("\xD6\xD0\xCE\xC4")), QStringLiteral("中文"));
    EXPECT_EQ(common::encodeLocal(chinese), chinese.toUtf8()); // the sandbox runs in a UTF-8 or C locale
}

TEST(TextCodec, AtomicWriteReplacesWholeFilesAndReportsFailures)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    ASSERT_TRUE(common::writeFileAtomically(path, "first"));
    ASSERT_TRUE(common::writeFileAtomically(path, "second"));
    EXPECT_EQ(readAll(path), QByteArray("second"));

    // A path below a regular file cannot be written, even as root.
    QString error;
    EXPECT_FALSE(common::writeFileAtomically(path + QStringLiteral("/below.txt"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(path), QByteArray("second"));
    if (QFileInfo::exists(QStringLiteral("/dev/full"))) {
        EXPECT_FALSE(common::writeFileAtomically(QStringLiteral("/dev/full"), QByteArray(70000, 'x')));
    }
}

TEST(FileAttributes, HiddenReadOnlyAndBackToNormal)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a b.jpg"));
    ASSERT_TRUE(common::writeFileAtomically(path, "x"));
    const QString other = dir.filePath(QStringLiteral("other"));
    ASSERT_TRUE(common::writeFileAtomically(other, "x"));

    ASSERT_TRUE(common::setFileAttributes(path, common::AttrHidden | common::AttrReadOnly));
    EXPECT_TRUE(common::fileAttributes(path) & common::AttrHidden);
    EXPECT_TRUE(common::fileAttributes(path) & common::AttrReadOnly);
    EXPECT_FALSE(QFileInfo(path).permissions() & QFile::WriteOwner);
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral(".hidden"))), QByteArray("a b.jpg\n"));

    ASSERT_TRUE(common::setFileAttributes(other, common::AttrHidden));
    ASSERT_TRUE(common::setFileAttributes(path, common::AttrNormal));
    EXPECT_EQ(common::fileAttributes(path), common::AttrNormal);
    EXPECT_TRUE(QFileInfo(path).permissions() & QFile::WriteOwner);
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral(".hidden"))), QByteArray("other\n"));

    ASSERT_TRUE(common::setFileAttributes(other, common::AttrNormal));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral(".hidden"))));
    EXPECT_FALSE(common::setFileAttributes(dir.filePath(QStringLiteral("missing")), common::AttrHidden));
}

TEST(FileAttributes, PageFilesOnlyCarryTheExtendedAttribute)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tpc.htm"));
    ASSERT_TRUE(common::writeFileAtomically(path, "x"));
    ASSERT_TRUE(common::setFileAttributes(path, common::AttrHidden | common::AttrSystem, false));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral(".hidden"))));
    // Where the file system keeps user attributes both marks read back.
    const int attributes = common::fileAttributes(path);
    EXPECT_TRUE(attributes == (common::AttrHidden | common::AttrSystem) || attributes == 0);
}

TEST(DesktopRecorder, WritesOneLinePerEffectWithArgumentsAsAList)
{
    velmora::test::clearSimulatedDesktopEffects();
    auto desktop = common::platform::createDesktop();
    EXPECT_TRUE(desktop->openWithDesktop(QUrl::fromLocalFile(QStringLiteral("/tmp/a b.jpg"))));
    EXPECT_TRUE(desktop->startProgram(QStringLiteral("systemctl"), { QStringLiteral("poweroff") }));
    EXPECT_TRUE(desktop->openImageEditor(QStringLiteral("/tmp/x;rm -rf ~.jpg")));
    EXPECT_TRUE(desktop->setWallpaper(QStringLiteral("/tmp/tab\there.jpg")));
    desktop->setClipboardImage(QImage(3, 2, QImage::Format_RGB32));
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(),
        (QStringList { QStringLiteral("openWithDesktop\tfile:///tmp/a b.jpg"),
            QStringLiteral("startProgram\tsystemctl\tpoweroff"),
            QStringLiteral("openImageEditor\t/tmp/x;rm -rf ~.jpg"),
            QStringLiteral("setWallpaper\t/tmp/tab\\there.jpg"),
            QStringLiteral("setClipboardImage\t3x2") }));
}

}
