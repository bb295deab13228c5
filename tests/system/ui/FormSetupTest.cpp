#include "system/ui/FormSetup.h"

#include "common/Registry.h"
#include "common/Settings.h"
#include "system/ui/FormSetupSYS.h"
#include "tests/ServicesUnderTest.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FormSetupTest : public testing::Test {
protected:
    void SetUp() override
    {
        state.DownloadFolder = folder.filePath("old") + QLatin1Char('/');
        state.browser.SafeMode = true;
    }

    QStringList storedNames(const QString &section)
    {
        QStringList names;
        for (const auto &value : hive->values(
                 common::RegRoot::CurrentUser, common::SettingsStore::sectionKeyPath(common::kAppName, section)))
            names.append(value.name);
        return names;
    }

    velmora::test::ServicesUnderTest services;
    std::unique_ptr<common::RegistryHive> &hive = services.hive;
    common::SettingsStore &settings = services.settings;
    common::RunningValues &state = services.values;
    QTemporaryDir folder;
};

TEST_F(FormSetupTest, LoadsStoredBoxesAndRunningValues)
{
    settings.save("setup", "Homepage", "https://example.org/start");
    settings.save("setup", "DelHistory", "1");
    settings.save("setup", "UnderMe", "0");
    settings.save("setup", "AutoDownload", "abc");
    sys::FormSetup dialog(services.services, state);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("选项设置"));
    EXPECT_EQ(dialog.ComUrl->currentText(), QStringLiteral("https://example.org/start"));
    EXPECT_TRUE(dialog.Chk[0]->isChecked());
    EXPECT_TRUE(dialog.Chk[1]->isChecked());
    EXPECT_FALSE(dialog.Chk[2]->isChecked());
    EXPECT_FALSE(dialog.Chk[3]->isChecked());
    EXPECT_EQ(dialog.ComPath->currentText(), state.DownloadFolder);
    EXPECT_EQ(dialog.CmdOK->text(), QStringLiteral("确定(&Y)"));
    EXPECT_EQ(dialog.CmdCancel->text(), QStringLiteral("取消(&C)"));
    EXPECT_EQ(dialog.Chk[3]->text(), QStringLiteral("自动下载网页中的图片到本地硬盘（不超过 2GB）。"));
}

TEST_F(FormSetupTest, FolderPickerAnswerFillsThePathAndCancelLeavesIt)
{
    sys::FormSetup dialog(services.services, state);
    dialog.askFolder = [](QWidget *) {
        return QString();
    };
    dialog.ComPath->showPopup();
    EXPECT_EQ(dialog.ComPath->currentText(), state.DownloadFolder);
    dialog.askFolder = [this](QWidget *) {
        return folder.filePath("picked");
    };
    dialog.ComPath->showPopup();
    EXPECT_EQ(dialog.ComPath->currentText(), folder.filePath("picked"));
}

TEST_F(FormSetupTest, ConfirmUpdatesRunningValuesWritesInOrderAndMakesTheFolder)
{
    sys::FormSetup dialog(services.services, state);
    dialog.ComUrl->setEditText("https://example.org/");
    dialog.Chk[0]->setChecked(false);
    dialog.Chk[1]->setChecked(true);
    dialog.Chk[2]->setChecked(true);
    dialog.Chk[3]->setChecked(true);
    const QString download = folder.filePath("new/deeper");
    dialog.ComPath->setEditText(download);
    dialog.CmdOK->click();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(state.browser.SafeMode);
    EXPECT_TRUE(state.browser.BackgroundTabs);
    EXPECT_TRUE(state.browser.AutoSave);
    EXPECT_EQ(state.DownloadFolder, download + QLatin1Char('/'));
    EXPECT_EQ(state.browser.StartPage, QStringLiteral("https://example.org/"));
    EXPECT_EQ(storedNames("setup"),
        (QStringList { "Homepage", "Pop", "DelHistory", "UnderMe", "AutoDownload", "DownloadPath" }));
    EXPECT_EQ(settings.read("setup", "Pop"), QStringLiteral("0"));
    EXPECT_EQ(settings.read("setup", "DelHistory"), QStringLiteral("1"));
    EXPECT_EQ(settings.read("setup", "DownloadPath"), download);
    EXPECT_TRUE(QDir(download).exists());
}

TEST_F(FormSetupTest, EmptyPathKeepsAndStoresTheFolderInUse)
{
    const QString old = state.DownloadFolder;
    for (const char *typed : { "", "   " }) {
        sys::FormSetup dialog(services.services, state);
        dialog.ComPath->setEditText(QString::fromLatin1(typed));
        dialog.CmdOK->click();
        // The next start reads the same folder as this run uses: never an empty path.
        EXPECT_EQ(state.DownloadFolder, old) << typed;
        EXPECT_EQ(settings.read("setup", "DownloadPath"), old) << typed;
    }
}

TEST_F(FormSetupTest, CancelWritesNothing)
{
    sys::FormSetup dialog(services.services, state);
    dialog.Chk[0]->setChecked(false);
    dialog.CmdCancel->click();
    EXPECT_TRUE(state.browser.SafeMode);
    EXPECT_TRUE(storedNames("setup").isEmpty());
}

TEST_F(FormSetupTest, SystemSettingsLoadFromStoreAndRunningValues)
{
    settings.save("setup", "SetMenu1", "1");
    state.viewer.PageSize = 77;
    state.viewer.MinPictureKB = 120;
    sys::FormSetupSYS dialog(services.services, state);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("系统设置中心"));
    EXPECT_TRUE(dialog.Chk[1]->isChecked());
    EXPECT_EQ(dialog.Chk[1]->text(), QStringLiteral("退出时保留图片的最后访问路径。"));
    EXPECT_EQ(dialog.TextFile->text(), QStringLiteral("77"));
    EXPECT_EQ(dialog.TextSize->text(), QStringLiteral("120"));
}

TEST_F(FormSetupTest, SystemSettingsConfirmAppliesTheRangeRule)
{
    const struct {
        const char *typed;
        int expected;
    } rows[] = {
        { "250", 30 },
        { "150px", 150 },
        { "abc", 30 },
        { "29", 30 },
        { "30", 30 },
        { "200", 200 },
        { "201", 30 },
        { "", 30 },
        { "-40", 30 },
        { "199.5", 200 },
        { "30.5", 30 },
        { " 77", 77 },
        { "1e3", 30 },
        { "200.4", 200 },
        { "200.6", 30 },
    };
    for (const auto &row : rows) {
        sys::FormSetupSYS dialog(services.services, state);
        dialog.Chk[1]->setChecked(true);
        dialog.TextFile->setText(QString::fromUtf8(row.typed));
        dialog.TextSize->setText(QString::fromUtf8(row.typed));
        dialog.CmdOK->click();
        EXPECT_EQ(settings.read("Main", "PageFileCount"), QString::number(row.expected)) << row.typed;
        EXPECT_EQ(settings.read("Main", "PictureSize"), QString::number(row.expected)) << row.typed;
        EXPECT_EQ(state.viewer.PageSize, row.expected) << row.typed;
        EXPECT_EQ(state.viewer.MinPictureKB, row.expected) << row.typed;
        EXPECT_EQ(settings.read("setup", "SetMenu1"), QStringLiteral("1"));
    }
    EXPECT_EQ(storedNames("Main"), (QStringList { "PageFileCount", "PictureSize" }));
}

TEST_F(FormSetupTest, SystemSettingsCancelKeepsEverything)
{
    state.viewer.PageSize = 50;
    sys::FormSetupSYS dialog(services.services, state);
    dialog.TextFile->setText("150");
    dialog.CmdCancel->click();
    EXPECT_EQ(state.viewer.PageSize, 50);
    EXPECT_TRUE(storedNames("Main").isEmpty());
}

}
