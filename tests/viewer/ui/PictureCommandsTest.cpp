#include "viewer/ui/PictureCommands.h"

#include "common/Registry.h"
#include "common/Settings.h"
#include "common/TextCodec.h"
#include "common/platform/Desktop.h"
#include "system/RegistryOps.h"
#include "tests/ServicesUnderTest.h"
#include "tests/TestSupport.h"
#include "viewer/ViewerState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray readOrMissing(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A bitmap header that claims 60000 × 60000 pixels with almost no data behind it.
QByteArray bitmapBomb()
{
    QByteArray bytes(54, '\0');
    auto put32 = [&bytes](int at, quint32 value) {
        qToLittleEndian(value, bytes.data() + at);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 54 + 16);
    put32(10, 54);
    put32(14, 40);
    put32(18, 60000);
    put32(22, 60000);
    qToLittleEndian<quint16>(1, bytes.data() + 26);
    qToLittleEndian<quint16>(24, bytes.data() + 28);
    return bytes + QByteArray(16, '\x7f');
}

struct SaveRequest {
    QString title;
    QString name;
    int filterIndex = 0;
};

class PictureCommandsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        picture = folder.filePath("a b;$(touch x)'q\".png");
        ASSERT_TRUE(QImage(7, 5, QImage::Format_RGB32).save(picture, "PNG"));
        rightClickPath = picture;
        commands.askSavePath = [this](const QString &title, const QString &name, int filterIndex) {
            requests.push_back({ title, name, filterIndex });
            return answer;
        };
        velmora::test::clearSimulatedDesktopEffects();
    }

    velmora::test::ServicesUnderTest services;
    common::SettingsStore &settings = services.settings;
    viewer::ViewerState viewerState;
    // The picture right-clicked in the page, which each picture command is given.
    QString rightClickPath;
    // Below the sandbox, so the trash of the sandboxed home is on the same file system.
    QTemporaryDir folder { velmora::test::sandboxRoot() + QStringLiteral("/pics-XXXXXX") };
    QString picture;
    viewer::PictureCommands commands { services.services, services.values, viewerState, nullptr };
    std::vector<SaveRequest> requests;
    QString answer;
};

TEST_F(PictureCommandsTest, DesktopCommandsPassThePathWhole)
{
    EXPECT_TRUE(commands.openPicture(rightClickPath));
    EXPECT_TRUE(commands.showPicturePath(rightClickPath));
    EXPECT_TRUE(commands.editPicture(rightClickPath));
    EXPECT_TRUE(commands.showProperties(rightClickPath));
    EXPECT_TRUE(commands.copyToClipboard(rightClickPath));
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(),
        (QStringList {
            "openWithDesktop\t" + QUrl::fromLocalFile(picture).toString(),
            "showInFileManager\t" + picture,
            "openImageEditor\t" + picture,
            "showFileProperties\t" + picture,
            QStringLiteral("setClipboardImage\t7x5"),
        }));
    EXPECT_TRUE(QFileInfo::exists(picture));
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("x")));
}

TEST_F(PictureCommandsTest, NothingHappensWithoutAPicture)
{
    rightClickPath.clear();
    EXPECT_FALSE(commands.openPicture(rightClickPath));
    EXPECT_FALSE(commands.showPicturePath(rightClickPath));
    EXPECT_FALSE(commands.editPicture(rightClickPath));
    EXPECT_FALSE(commands.showProperties(rightClickPath));
    EXPECT_FALSE(commands.copyToClipboard(rightClickPath));
    EXPECT_FALSE(commands.setDesktopBackground(rightClickPath));
    EXPECT_FALSE(commands.savePictureCopy(rightClickPath));
    EXPECT_FALSE(commands.deletePicture(rightClickPath));
    EXPECT_TRUE(velmora::test::simulatedDesktopEffects().isEmpty());
    EXPECT_TRUE(requests.empty());
}

TEST_F(PictureCommandsTest, WallpaperIsSetAndMirroredInTheRegistry)
{
    EXPECT_TRUE(commands.setDesktopBackground(rightClickPath));
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(), QStringList { "setWallpaper\t" + picture });
    // The value follows once the desktop reports the wallpaper taken.
    EXPECT_TRUE(velmora::test::waitUntil([&] {
        return sys::ReadRegString(*services.hive, common::RegRoot::CurrentUser, "Control Panel\\Desktop", "Wallpaper")
            == picture;
    }));

    rightClickPath = folder.filePath("gone.jpg");
    EXPECT_FALSE(commands.setDesktopBackground(rightClickPath));
    EXPECT_EQ(sys::ReadRegString(*services.hive, common::RegRoot::CurrentUser, "Control Panel\\Desktop", "Wallpaper"),
        picture);
}

TEST_F(PictureCommandsTest, ClipboardRefusesBombsAndNonPictures)
{
    const struct {
        const char *name;
        QByteArray bytes;
    } rows[] = {
        { "bomb.bmp", bitmapBomb() },
        { "text.jpg", "not a picture" },
        { "empty.png", QByteArray() },
    };
    for (const auto &row : rows) {
        rightClickPath = folder.filePath(QString::fromUtf8(row.name));
        writeFile(rightClickPath, row.bytes);
        EXPECT_FALSE(commands.copyToClipboard(rightClickPath)) << row.name;
    }
    rightClickPath = folder.path();
    EXPECT_FALSE(commands.copyToClipboard(rightClickPath));
    EXPECT_TRUE(velmora::test::simulatedDesktopEffects().isEmpty());
}

TEST_F(PictureCommandsTest, SaveCopyAsksWithTheFileNameAndCopiesTheBytes)
{
    answer = folder.filePath("copy.png");
    writeFile(answer, "older and longer contents than nothing");
    EXPECT_TRUE(commands.savePictureCopy(rightClickPath));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, QStringLiteral("图像另存为"));
    EXPECT_EQ(requests[0].name, QFileInfo(picture).fileName());
    EXPECT_EQ(requests[0].filterIndex, 2);
    EXPECT_EQ(readOrMissing(answer), readOrMissing(picture));

    answer = picture;
    EXPECT_TRUE(commands.savePictureCopy(rightClickPath));
    EXPECT_EQ(readOrMissing(answer), readOrMissing(folder.filePath("copy.png")));
}

TEST_F(PictureCommandsTest, SaveCopyCancelledOrUnwritable)
{
    answer.clear();
    EXPECT_FALSE(commands.savePictureCopy(rightClickPath));
    answer = picture + "/below.png";
    EXPECT_FALSE(commands.savePictureCopy(rightClickPath));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList { QFileInfo(picture).fileName() });
}

TEST_F(PictureCommandsTest, DeleteMovesOnlyThatFileToTheTrash)
{
    const QString other = folder.filePath("other.png");
    writeFile(other, "other");
    EXPECT_TRUE(commands.deletePicture(rightClickPath));
    EXPECT_FALSE(QFileInfo::exists(picture));
    EXPECT_EQ(readOrMissing(other), "other");
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash/files/");
    EXPECT_TRUE(QFileInfo::exists(trash + QFileInfo(picture).fileName()));
    EXPECT_FALSE(commands.deletePicture(rightClickPath));
}

TEST_F(PictureCommandsTest, DeleteRefusesFoldersAndLinksToFolders)
{
    const QString sub = folder.filePath("sub");
    QDir().mkpath(sub);
    writeFile(sub + "/inside.png", "x");
    const QString link = folder.filePath("link");
    ASSERT_TRUE(QFile::link(sub, link));
    for (const QString &path : { sub, link, folder.path() }) {
        rightClickPath = path;
        EXPECT_FALSE(commands.deletePicture(rightClickPath)) << qPrintable(path);
    }
    EXPECT_EQ(readOrMissing(sub + "/inside.png"), "x");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST_F(PictureCommandsTest, DeletingALinkToAFileKeepsTheFile)
{
    const QString link = folder.filePath("shortcut.png");
    ASSERT_TRUE(QFile::link(picture, link));
    rightClickPath = link;
    EXPECT_TRUE(commands.deletePicture(rightClickPath));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(picture));
}

TEST_F(PictureCommandsTest, ExportWritesTheListAndOneMoreLineEndThenOpensIt)
{
    viewerState.ViewerListText = QStringLiteral("/p/a.jpg\r\n/p/图.jpg\r\n");
    answer = folder.filePath("文件列表.txt");
    EXPECT_TRUE(commands.exportList());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, QStringLiteral("文件另存为"));
    EXPECT_EQ(requests[0].name, QStringLiteral("文件列表.txt"));
    EXPECT_EQ(requests[0].filterIndex, 4);
    EXPECT_EQ(readOrMissing(answer), common::encodeLocal(QStringLiteral("/p/a.jpg\r\n/p/图.jpg\r\n\r\n")));
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(),
        QStringList { "openWithDesktop\t" + QUrl::fromLocalFile(answer).toString() });
}

TEST_F(PictureCommandsTest, ExportOfAnEmptyListIsOneLineEnd)
{
    answer = folder.filePath("empty.txt");
    EXPECT_TRUE(commands.exportList());
    EXPECT_EQ(readOrMissing(answer), "\r\n");
}

TEST_F(PictureCommandsTest, ExportCancelledOrUnwritableOpensNothing)
{
    viewerState.ViewerListText = QStringLiteral("/p/a.jpg\r\n");
    answer.clear();
    EXPECT_FALSE(commands.exportList());
    answer = picture + "/below.txt";
    EXPECT_FALSE(commands.exportList());
    answer = QStringLiteral("/dev/full");
    EXPECT_FALSE(commands.exportList());
    EXPECT_TRUE(velmora::test::simulatedDesktopEffects().isEmpty());
}

}
