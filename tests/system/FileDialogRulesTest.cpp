#include "system/FileDialogRules.h"

#include <gtest/gtest.h>

namespace {

using sys::FileDialogRules;

TEST(FileDialogRules, OpenFilterListHasTheFourEntriesInOrder)
{
    EXPECT_EQ(sys::fileDialogNameFilters(),
        (QStringList {
            QStringLiteral("全部文件(*.*) (*)"),
            QStringLiteral("图像文件(BMP,JPG,GIF,PNG,TIF) (*.jpg *.bmp *.gif *.png *.tif)"),
            QStringLiteral("网页文件 (HTM,HTML) (*.htm *.html *.shtml *.mht *.asp *.php *.css)"),
            QStringLiteral("文本文件 (TXT) (*.txt)"),
        }));
}

TEST(FileDialogRules, SaveFilterTextIsKeptAndTurnedIntoQtFilters)
{
    EXPECT_EQ(sys::kSaveDialogFilter,
        QStringLiteral("全部(*.*)|*.*|图像文件(BMP,JPG,GIF,PNG,TIF)|*.jpg;*.bmp;*.gif;*.png;*.tif|"
                       "网页文件 (HTM,HTML)|*.htm;*.html|文本文件 (TXT)|*.txt"));
    EXPECT_EQ(sys::qtNameFiltersFromPipeText(sys::kSaveDialogFilter),
        (QStringList {
            QStringLiteral("全部(*.*) (*)"),
            QStringLiteral("图像文件(BMP,JPG,GIF,PNG,TIF) (*.jpg *.bmp *.gif *.png *.tif)"),
            QStringLiteral("网页文件 (HTM,HTML) (*.htm *.html)"),
            QStringLiteral("文本文件 (TXT) (*.txt)"),
        }));
}

TEST(FileDialogRules, PipeTextEdgeCases)
{
    EXPECT_TRUE(sys::qtNameFiltersFromPipeText(QString()).isEmpty());
    EXPECT_EQ(sys::qtNameFiltersFromPipeText(QStringLiteral("A|*.a|dangling")), QStringList { "A (*.a)" });
    EXPECT_EQ(sys::qtNameFiltersFromPipeText(QStringLiteral("Empty|")), QStringList { "Empty (*)" });
    EXPECT_EQ(sys::qtNameFilter(QStringLiteral("X"), QStringLiteral(" *.a ; ;*.b")), QStringLiteral("X (*.a *.b)"));
}

TEST(FileDialogRules, ModeIsOpenOnlyForOpenInAnyCase)
{
    const struct {
        const char *mode;
        FileDialogRules::Mode expected;
    } rows[] = {
        { "open", FileDialogRules::Mode::Open },
        { "OPEN", FileDialogRules::Mode::Open },
        { "oPeN", FileDialogRules::Mode::Open },
        { "save", FileDialogRules::Mode::Save },
        { "", FileDialogRules::Mode::Save },
        { "opened", FileDialogRules::Mode::Save },
        { " open", FileDialogRules::Mode::Save },
    };
    for (const auto &row : rows) {
        const auto rules = sys::fileDialogRules(QString::fromUtf8(row.mode), "t", "", 1, "", "/pics/");
        EXPECT_EQ(rules.mode, row.expected) << row.mode;
    }
}

TEST(FileDialogRules, FilterIndexSelectsOneBasedEntryAndFallsBackToTheFirst)
{
    const QStringList filters = sys::fileDialogNameFilters();
    const struct {
        int index;
        int expected;
    } rows[] = { { 1, 0 }, { 2, 1 }, { 3, 2 }, { 4, 3 }, { 0, 0 }, { 5, 0 }, { -3, 0 } };
    for (const auto &row : rows) {
        EXPECT_EQ(sys::fileDialogRules("open", "t", "", row.index, "", "").selectedFilter, filters[row.expected])
            << row.index;
        EXPECT_EQ(sys::saveDialogRules("t", "", row.index).selectedFilter,
            sys::qtNameFiltersFromPipeText(sys::kSaveDialogFilter)[row.expected])
            << row.index;
    }
}

TEST(FileDialogRules, RememberSettingDecidesTheStartFolder)
{
    const struct {
        const char *setMenu1;
        const char *expected;
    } rows[] = {
        { "", "/home/u/pics/" },
        { "0", "/home/u/pics/" },
        { " 0 ", "/home/u/pics/" },
        { "abc", "/home/u/pics/" },
        { "1", "" },
        { "2", "" },
        { "-1", "" },
    };
    for (const auto &row : rows) {
        const auto rules =
            sys::fileDialogRules("open", "打开图像", "", 2, QString::fromUtf8(row.setMenu1), "/home/u/pics/");
        EXPECT_EQ(rules.startFolder, QString::fromUtf8(row.expected)) << row.setMenu1;
    }
}

TEST(FileDialogRules, CaptureDialogProposesItsNameWithThePictureFilter)
{
    const auto rules = sys::fileDialogRules("save", "截图另存为", "截图.jpg", 2, "0", "/p/");
    EXPECT_EQ(rules.mode, FileDialogRules::Mode::Save);
    EXPECT_EQ(rules.title, QStringLiteral("截图另存为"));
    EXPECT_EQ(rules.proposedName, QStringLiteral("截图.jpg"));
    EXPECT_EQ(rules.selectedFilter, sys::fileDialogNameFilters()[1]);
    EXPECT_EQ(sys::fileDialogRules("save", "t", QString(300, QLatin1Char('a')), 1, "", "").proposedName.size(), 255);
}

TEST(FileDialogRules, SaveDialogProposesASafeName)
{
    const auto rules = sys::saveDialogRules("图像另存为", QStringLiteral("a/b:c*d<e>f|g?h\\i"), 2);
    EXPECT_EQ(rules.proposedName, QStringLiteral("a b：c，d[e]fIg？hi"));
    EXPECT_EQ(rules.mode, FileDialogRules::Mode::Save);
    EXPECT_TRUE(rules.startFolder.isEmpty());
    EXPECT_EQ(
        sys::saveDialogRules("t", QStringLiteral("say \"hi\".txt"), 4).proposedName, QStringLiteral("say \"hi\".txt"));
}

TEST(FileDialogRules, FolderPickerTitle)
{
    EXPECT_EQ(sys::folderPickerTitle(QString()), QStringLiteral("Select a folder:"));
    EXPECT_EQ(sys::folderPickerTitle(QStringLiteral("请指定一个保存图片的文件目录")),
        QStringLiteral("请指定一个保存图片的文件目录"));
}

}
