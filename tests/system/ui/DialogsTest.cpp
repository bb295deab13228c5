#include "system/ui/Dialogs.h"

#include "common/Registry.h"
#include "common/Settings.h"
#include "common/platform/Desktop.h"
#include "system/FileDialogRules.h"
#include "system/ui/FilePropertiesDialog.h"
#include "tests/ModalWindows.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

QStringList comboTexts(QFileDialog *dialog)
{
    QStringList texts;
    if (auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
        for (int i = 0; i < combo->count(); ++i)
            texts.append(combo->itemText(i));
    return texts;
}

QString typedName(QFileDialog *dialog)
{
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    return edit ? edit->text() : QStringLiteral("<no edit>");
}

class DialogsTest : public testing::Test {
protected:
    void SetUp() override
    {
        currentFolder = folder.path() + QLatin1Char('/');
        velmora::test::clearSimulatedDesktopEffects();
    }

    std::unique_ptr<common::RegistryHive> hive = common::RegistryHive::openInMemory();
    common::SettingsStore settings { *hive };
    std::unique_ptr<common::platform::Desktop> desktop = common::platform::createDesktop();
    QString currentFolder;
    QTemporaryDir folder;
};

TEST_F(DialogsTest, OpenModeInAnyCaseStartsInTheCurrentFolderWithThePictureFilter)
{
    settings.save("setup", "SetMenu1", "0");
    bool checked = false;
    velmora::test::whenModal<QFileDialog>([&](QFileDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("打开图像"));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->nameFilters(), sys::fileDialogNameFilters());
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("图像文件(BMP,JPG,GIF,PNG,TIF)"));
        EXPECT_EQ(comboTexts(dialog),
            (QStringList {
                "全部文件(*.*)", "图像文件(BMP,JPG,GIF,PNG,TIF)", "网页文件 (HTM,HTML)", "文本文件 (TXT)" }));
        EXPECT_EQ(dialog->directory().absolutePath(), folder.path());
        checked = true;
        dialog->reject();
    });
    EXPECT_EQ(sys::ShowFileDialog(settings, currentFolder, "OPEN", "打开图像", "", 2), QString());
    EXPECT_TRUE(checked);
}

TEST_F(DialogsTest, SaveModeProposesTheNameAndReturnsTheConfirmedPath)
{
    velmora::test::whenModal<QFileDialog>([&](QFileDialog *dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(typedName(dialog), QStringLiteral("截图.jpg"));
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("图像文件(BMP,JPG,GIF,PNG,TIF)"));
        static_cast<QDialog *>(dialog)->accept();
    });
    EXPECT_EQ(
        sys::ShowFileDialog(settings, currentFolder, "save", "截图另存为", "截图.jpg", 2), folder.filePath("截图.jpg"));
}

TEST_F(DialogsTest, SaveDialogShowsItsOwnFiltersAndASafeName)
{
    velmora::test::whenModal<QFileDialog>([&](QFileDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("图像另存为"));
        EXPECT_EQ(comboTexts(dialog),
            (QStringList { "全部(*.*)", "图像文件(BMP,JPG,GIF,PNG,TIF)", "网页文件 (HTM,HTML)", "文本文件 (TXT)" }));
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("文本文件 (TXT)"));
        EXPECT_EQ(typedName(dialog), QStringLiteral("a b：c？.txt"));
        dialog->reject();
    });
    EXPECT_EQ(sys::ShowSaveDialog("图像另存为", "a/b:c?.txt", 4), QString());
}

TEST_F(DialogsTest, FolderPickerTitleAndAnswer)
{
    velmora::test::whenModal<QFileDialog>([&](QFileDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select a folder:"));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        dialog->reject();
    });
    EXPECT_EQ(sys::BrowseForFolder("", nullptr), QString());

    QDir(folder.path()).mkdir("chosen");
    velmora::test::whenModal<QFileDialog>([&](QFileDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("请指定一个保存图片的文件目录"));
        dialog->setDirectory(folder.filePath("chosen"));
        static_cast<QDialog *>(dialog)->accept();
    });
    EXPECT_EQ(sys::BrowseForFolder("请指定一个保存图片的文件目录", nullptr), folder.filePath("chosen"));
}

TEST_F(DialogsTest, PropertiesGoToTheDesktopAndMonitorOffIsRecorded)
{
    const QString picture = folder.filePath("p q.png");
    ASSERT_TRUE(QImage(3, 2, QImage::Format_RGB32).save(picture));
    EXPECT_TRUE(sys::ShowFileProperties(*desktop, picture, nullptr));
    EXPECT_FALSE(sys::ShowFileProperties(*desktop, folder.filePath("missing.png"), nullptr));
    EXPECT_FALSE(sys::ShowFileProperties(*desktop, QString(), nullptr));
    sys::MonitorOff(*desktop);
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(),
        (QStringList { "showFileProperties\t" + picture, QStringLiteral("monitorOff") }));
}

TEST_F(DialogsTest, OwnPropertiesSheetListsNameFolderSizeAndDimensions)
{
    const QString picture = folder.filePath("p.png");
    ASSERT_TRUE(QImage(3, 2, QImage::Format_RGB32).save(picture));
    const auto rows = sys::FilePropertiesDialog::rowsFor(picture);
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], qMakePair(QStringLiteral("名称："), QStringLiteral("p.png")));
    EXPECT_EQ(rows[1], qMakePair(QStringLiteral("位置："), folder.path()));
    EXPECT_EQ(rows[2].first, QStringLiteral("大小："));
    EXPECT_EQ(rows[4], qMakePair(QStringLiteral("尺寸："), QStringLiteral("3 × 2")));
    EXPECT_EQ(sys::FilePropertiesDialog::rowsFor(folder.path())[2].second, QStringLiteral("文件夹"));
}

}
