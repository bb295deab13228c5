#include "viewer/ui/FormSearch.h"

#include "common/Settings.h"
#include "common/SettingsKeys.h"
#include "common/TextCodec.h"
#include "tests/TestSupport.h"
#include "tests/viewer/ui/ViewerUnderTest.h"
#include "viewer/ThumbnailPageBuilder.h"
#include "viewer/search/MediaSearch.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMediaPlayer>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

bool writeSized(const QString &path, qint64 bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(bytes);
}

// A noisy picture that stays above the size bound when compressed.
bool writeNoisePicture(const QString &path, int width, int height)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(int(random.bounded(256)), (x * 255) / width, (y * 255) / height);
    }
    return image.save(path) && QFileInfo(path).size() > 30000;
}

// The viewer with its search window, answering the window's questions from the test.
class FormSearchTest : public ::testing::Test {
protected:
    FormSearchTest()
    {
        velmora::test::clearSimulatedDesktopEffects();
        makeWindow();
    }
    void makeWindow()
    {
        window = std::make_unique<viewer::FormSearch>(v.services, v.values, v.viewerState, *v.form, v.form.get());
        window->askFolder = [this](const QString &prompt) {
            prompts.append(prompt);
            return folderAnswer;
        };
        window->askSavePath = [this](const QString &title, const QString &name, int filter) {
            prompts.append(QStringLiteral("%1|%2|%3").arg(title, name).arg(filter));
            return saveAnswer;
        };
        window->confirm = [this](const QString &question) {
            prompts.append(question);
            return confirmAnswer;
        };
        window->inform = [this](const QString &message) {
            messages.append(message);
        };
    }
    QString at(const QString &relative) const { return tree.path() + QLatin1Char('/') + relative; }
    void file(const QString &relative, qint64 bytes = 40000)
    {
        ASSERT_TRUE(writeSized(at(relative), bytes)) << qPrintable(relative);
    }
    // Starts a search of the tree in a category (as clicking its option does) and waits for its end.
    void search(int category)
    {
        window->ComPath->setEditText(tree.path());
        QSignalSpy finished(&v.form->mediaSearch(), &viewer::MediaSearch::finished);
        window->Opt_Click(category);
        ASSERT_EQ(window->Command1->text(), QStringLiteral("停止搜索"));
        ASSERT_TRUE(finished.wait(20000));
        EXPECT_EQ(window->Command1->text(), QStringLiteral("开始搜索"));
    }
    QStringList listed() const
    {
        QStringList out;
        for (int row = 0; row < window->ListFile->count(); ++row)
            out.append(window->ListFile->item(row)->text());
        return out;
    }

    velmora::test::ViewerUnderTest v { QString(), QString(), false };
    std::unique_ptr<viewer::FormSearch> window;
    QTemporaryDir tree;
    QStringList prompts;
    QStringList messages;
    QString folderAnswer;
    QString saveAnswer;
    bool confirmAnswer = true;
};

TEST_F(FormSearchTest, ShowsItsControlsAndStartsAtTheHomeFolder)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("搜索图片（音乐、电影）子目录……"));
    EXPECT_EQ(window->PathLabel->text(), QStringLiteral("路径："));
    EXPECT_EQ(window->Command1->text(), QStringLiteral("开始搜索"));
    EXPECT_EQ(window->Lab->text(), QStringLiteral("计数：0"));
    EXPECT_EQ(window->ListFile->toolTip(), QStringLiteral("文件列表，单击可以复制列表，双击打开列表文件"));
    const std::pair<QPushButton *, const char *> buttons[] = {
        { window->Command2, "保存全部" },
        { window->Command3, "导出列表" },
        { window->Command4, "关闭(&C)" },
        { window->Command5, "打开文件" },
        { window->Command6, "保存文件" },
        { window->Command7, "删除文件" },
    };
    for (const auto &[button, text] : buttons)
        EXPECT_EQ(button->text(), QString::fromUtf8(text));
    const char *options[] = { "图片", "音乐", "电影", "Falsh动画" };
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(window->Opt[i]->text(), QString::fromUtf8(options[i]));
    EXPECT_TRUE(window->Opt[0]->isChecked());
    EXPECT_EQ(window->Seltype(), 0);
    EXPECT_EQ(window->ComPath->currentText(), QDir::homePath());

    // The folder chooser fills the path; closing keeps it for the next window.
    folderAnswer = tree.path();
    window->CmdSearch_Click();
    EXPECT_EQ(prompts, QStringList { "请选择一个文件夹或者硬盘路径" });
    EXPECT_EQ(window->ComPath->currentText(), tree.path());
    EXPECT_EQ(window->ComPath->count(), 1);
    window->Command4_Click();
    EXPECT_EQ(v.settings.read(common::keys::kSearch, common::keys::kComPath), tree.path());
    EXPECT_TRUE(v.viewerState.SearchStop);
    EXPECT_EQ(v.form->Lab[0]->text(), QStringLiteral("当前路径："));
    makeWindow();
    EXPECT_EQ(window->ComPath->currentText(), tree.path());
}

TEST_F(FormSearchTest, PictureSearchFillsTheViewersFirstPage)
{
    file(QStringLiteral("a/1.JPG"), 50000);
    file(QStringLiteral("a/b/2.png"), 40000);
    file(QStringLiteral("a/c.gif"), 20000);
    search(viewer::kSearchPictures);
    const QStringList expected { at("a/1.JPG"), at("a/b/2.png") };
    EXPECT_EQ(listed(), expected);
    EXPECT_EQ(window->Lab->text(), QStringLiteral("发现：2"));
    EXPECT_EQ(v.viewerState.ViewerCount, 2);
    EXPECT_EQ(v.viewerState.ViewerList, expected);
    EXPECT_EQ(v.viewerState.ViewerListText, expected.join("\r\n") + "\r\n");
    // The page names the folder of its first picture.
    EXPECT_EQ(v.viewerState.CurrentFolder, at("a/"));
    EXPECT_EQ(v.form->Lab[0]->text(), QStringLiteral("当前路径：") + at("a/"));
    EXPECT_EQ(v.form->Lab[2]->text(), QStringLiteral("图片总数：2"));
    EXPECT_EQ(v.form->Lab[6]->text(), QStringLiteral("Orlavue     第 1 页  ， 共 1 页"));
    EXPECT_EQ(v.form->navigation().CurrentPage, 1);
    QFile page(viewer::thumbnailPageFilePath());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = common::decodeText(page.readAll());
    EXPECT_TRUE(html.contains("1.JPG"));
    EXPECT_TRUE(html.contains("2.png"));
    EXPECT_FALSE(html.contains("c.gif"));
}

TEST_F(FormSearchTest, MusicSearchLeavesTheViewersListAlone)
{
    v.viewerState.ViewerList = QStringList { "/p/kept.jpg" };
    v.viewerState.ViewerListText = "/p/kept.jpg\r\n";
    v.viewerState.ViewerCount = 1;
    file(QStringLiteral("x.mp3"));
    file(QStringLiteral("y.WAV"));
    file(QStringLiteral("z.ogg"));
    file(QStringLiteral("p.jpg"));
    search(viewer::kSearchMusic);
    EXPECT_EQ(listed(), (QStringList { at("x.mp3"), at("y.WAV") }));
    EXPECT_EQ(v.viewerState.ViewerCount, 1);
    EXPECT_EQ(v.viewerState.ViewerList, QStringList { "/p/kept.jpg" });
    EXPECT_EQ(v.viewerState.ViewerListText, "/p/kept.jpg\r\n");
    EXPECT_EQ(v.form->Lab[2]->text(), QString()); // emptied by the category change, not counted
}

TEST_F(FormSearchTest, ChoosingFilmsStopsAPictureSearchAndAgainStartsAFilmSearch)
{
    for (int i = 0; i < 300; ++i)
        file(QStringLiteral("d%1/p%2.jpg").arg(i % 30).arg(i));
    file(QStringLiteral("m/film.AVI"));
    window->ComPath->setEditText(tree.path());
    viewer::MediaSearch &search = v.form->mediaSearch();
    QSignalSpy finished(&search, &viewer::MediaSearch::finished);
    window->Command1_Click();
    ASSERT_TRUE(search.isRunning());
    ASSERT_TRUE(search.advance(40));
    const int countBefore = v.viewerState.ViewerCount;

    window->Opt_Click(viewer::kSearchFilms);
    EXPECT_TRUE(v.viewerState.SearchStop);
    EXPECT_EQ(window->Command1->text(), QStringLiteral("开始搜索"));
    EXPECT_EQ(window->Lab->text(), QStringLiteral("0"));
    EXPECT_EQ(window->ListFile->count(), 0);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(window->ListFile->count(), 0);
    EXPECT_EQ(v.viewerState.ViewerCount, countBefore); // the stopped picture search is not shown

    window->Opt_Click(viewer::kSearchFilms);
    EXPECT_EQ(window->Command1->text(), QStringLiteral("停止搜索"));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(listed(), QStringList { at("m/film.AVI") });
    EXPECT_EQ(search.runningCategory(), viewer::kSearchFilms);
}

TEST_F(FormSearchTest, ExportWritesOneLinePerFileAndSaveAllCopiesEveryFile)
{
    file(QStringLiteral("a.mov"), 40001);
    file(QStringLiteral("b.mpg"), 40002);
    file(QStringLiteral("c/d.wmv"), 40003);
    search(viewer::kSearchFilms);
    ASSERT_EQ(window->ListFile->count(), 3);

    QTemporaryDir out;
    saveAnswer = out.filePath("文件列表.txt");
    window->Command3_Click();
    EXPECT_EQ(prompts.last(), QStringLiteral("另存为|文件列表.txt|4"));
    QFile list(saveAnswer);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll(), common::encodeLocal(listed().join("\r\n") + "\r\n"));
    EXPECT_EQ(messages, QStringList { "文件列表复制成功……    " });

    folderAnswer = out.path();
    window->Command2_Click();
    EXPECT_TRUE(window->isCopyingAll());
    QElapsedTimer clock;
    clock.start();
    while (window->isCopyingAll() && clock.elapsed() < 10000)
        velmora::test::serveEvents(5);
    EXPECT_EQ(messages.last(), QStringLiteral("文件全部复制成功……    "));
    EXPECT_EQ(QFileInfo(out.filePath("a.mov")).size(), 40001);
    EXPECT_EQ(QFileInfo(out.filePath("b.mpg")).size(), 40002);
    EXPECT_EQ(QFileInfo(out.filePath("d.wmv")).size(), 40003);
    EXPECT_EQ(window->ListFile->currentRow(), 2); // every entry was selected in turn

    // Cancelled choices do nothing.
    saveAnswer.clear();
    folderAnswer.clear();
    const qsizetype before = messages.size();
    window->Command3_Click();
    window->Command2_Click();
    EXPECT_FALSE(window->isCopyingAll());
    EXPECT_EQ(messages.size(), before);
}

TEST_F(FormSearchTest, ClickCopiesThePathAndPreviewsItsKind)
{
    ASSERT_TRUE(writeNoisePicture(at("p.png"), 240, 160));
    file(QStringLiteral("s.swf"));
    search(viewer::kSearchPictures);
    ASSERT_EQ(listed(), QStringList { at("p.png") });
    velmora::test::clearSimulatedDesktopEffects();
    window->ListFile->setCurrentRow(0);
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(), QStringList { "setClipboardText\t" + at("p.png") });
    EXPECT_EQ(window->Preview->currentWidget(), window->PicturePreview);
    EXPECT_FALSE(window->PicturePreview->pixmap().isNull());

    search(viewer::kSearchFlash);
    window->ListFile->setCurrentRow(0);
    EXPECT_EQ(window->Preview->currentWidget(), window->PreviewNote);
    EXPECT_TRUE(window->PreviewNote->text().contains("Flash"));

    // Double-click opens the file with the desktop.
    velmora::test::clearSimulatedDesktopEffects();
    window->ListFile_DblClick();
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(),
        QStringList { "openWithDesktop\t" + QUrl::fromLocalFile(at("s.swf")).toString() });
}

TEST_F(FormSearchTest, SaveAsksWithTheNameAndDeleteAsksFirst)
{
    file(QStringLiteral("a/one.mp3"), 45000);
    file(QStringLiteral("two.mp3"), 46000);
    search(viewer::kSearchMusic);
    ASSERT_EQ(window->ListFile->count(), 2);
    window->ListFile->setCurrentRow(0);

    QTemporaryDir out;
    saveAnswer = out.filePath("copy.mp3");
    window->Command6_Click();
    EXPECT_EQ(prompts.last(), QStringLiteral("另存为|one.mp3|1"));
    EXPECT_EQ(QFileInfo(saveAnswer).size(), 45000);

    confirmAnswer = false;
    window->Command7_Click();
    EXPECT_EQ(prompts.last(), QStringLiteral("确定要删除这个文件吗？    "));
    EXPECT_TRUE(QFileInfo::exists(at("a/one.mp3")));
    EXPECT_EQ(window->ListFile->count(), 2);

    confirmAnswer = true;
    window->Command7_Click();
    EXPECT_FALSE(QFileInfo::exists(at("a/one.mp3")));
    EXPECT_EQ(listed(), QStringList { at("two.mp3") });
}

TEST_F(FormSearchTest, ClosingTheViewerStopsARunningSearch)
{
    for (int i = 0; i < 200; ++i)
        file(QStringLiteral("d%1/p%2.jpg").arg(i % 20).arg(i));
    window->ComPath->setEditText(tree.path());
    viewer::MediaSearch &search = v.form->mediaSearch();
    QSignalSpy finished(&search, &viewer::MediaSearch::finished);
    window->Command1_Click();
    ASSERT_TRUE(search.isRunning());
    v.form->close();
    EXPECT_TRUE(v.viewerState.SearchStop);
    EXPECT_FALSE(search.advance(1));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(v.viewerState.ViewerCount, 0);
}

TEST(FormSearchViewer, SearchEntriesOpenTheWindowModally)
{
    velmora::test::ViewerUnderTest v(QString(), QString(), false);
    for (const char *name : { "FsearchDir", "SearchPicture" }) {
        QAction *entry = v.form->menuEntry(QString::fromLatin1(name));
        ASSERT_TRUE(entry->isEnabled()) << name;
        QString opened;
        QTimer::singleShot(50, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal) {
                opened = modal->windowTitle();
                modal->close();
            }
        });
        entry->trigger();
        EXPECT_EQ(opened, viewer::FormSearch::caption()) << name;
    }
    ASSERT_TRUE(v.form->Command5->isEnabled());
}

}

namespace {

// Saves a window's picture when VELMORA_SCREENSHOT_DIR names a folder (to look at by eye).
void keepScreenshot(QWidget *widget, const char *name)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        widget->grab().save(folder + QLatin1Char('/') + QString::fromLatin1(name));
}

TEST_F(FormSearchTest, MidSearchAndPicturePreviewStates)
{
    // The sample pictures spread over a few folders.
    const QDir samples(velmora::test::sourceDir() + QStringLiteral("/samples"));
    int copied = 0;
    for (int folder = 0; folder < 6; ++folder) {
        for (const QString &name : samples.entryList(QDir::Files)) {
            const QString target = at(QStringLiteral("旅行%1/%2").arg(folder).arg(name));
            QDir().mkpath(QFileInfo(target).absolutePath());
            copied += QFile::copy(samples.filePath(name), target) ? 1 : 0;
        }
    }
    ASSERT_GT(copied, 0);
    window->resize(820, 520);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    // Mid-search: the walk stepped by hand, so it stands still while the window is looked at.
    window->ComPath->setEditText(tree.path());
    viewer::MediaSearch &search = v.form->mediaSearch();
    window->Command1_Click();
    ASSERT_TRUE(search.advance(30));
    ASSERT_TRUE(search.isRunning());
    EXPECT_EQ(window->Command1->text(), QStringLiteral("停止搜索"));
    EXPECT_GT(window->ListFile->count(), 0);
    EXPECT_TRUE(window->Lab->text().startsWith(QStringLiteral("发现：")));
    EXPECT_TRUE(v.form->Lab[0]->text().startsWith(QStringLiteral("正在搜索目录： ")));
    keepScreenshot(window.get(), "search-mid.png");
    keepScreenshot(v.form.get(), "search-mid-viewer.png");

    QSignalSpy finished(&search, &viewer::MediaSearch::finished);
    ASSERT_TRUE(finished.wait(10000));
    const QStringList found = listed();
    const qsizetype row = found.indexOf(QRegularExpression(QStringLiteral(".*山谷日出.jpg$")));
    ASSERT_GE(row, 0);
    window->ListFile->setCurrentRow(int(row));
    EXPECT_EQ(window->previewedPath(), found.at(row));
    EXPECT_FALSE(window->PicturePreview->pixmap().isNull());
    velmora::test::serveEvents(50);
    keepScreenshot(window.get(), "search-preview.png");
}

}
