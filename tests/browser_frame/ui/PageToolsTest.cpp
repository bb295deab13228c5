// The batch page reader and the page refresher, opened from the frame.
#include "FrameTestSupport.h"
#include "browser/frame/ui/FormAutoREshua.h"
#include "browser/frame/ui/FormReader.h"
#include "common/FileNames.h"
#include "common/Settings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>

using browser::frame::FormAutoREshua;
using browser::frame::FormReader;
using browser::frame::Frmmain;
using browser::frame::TickSource;
using velmora::test::FrameFixture;
using velmora::test::waitFor;

namespace {

// Answers the next message box with OK and hands back its text.
void answerMessageBox(QString *text)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [poll, text] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            *text = box->text();
            box->accept();
            return;
        }
        QTimer::singleShot(20, *poll);
    };
    QTimer::singleShot(20, *poll);
}

void writePage(const QString &path, const QString &title)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<html><head><title>%1</title></head><body>%1</body></html>").arg(title).toUtf8());
}

class BatchReader : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        ASSERT_TRUE(pages.isValid());
    }
    FormReader *openReader(Frmmain &f)
    {
        QToolButton *button = f.toolbarButton(QStringLiteral("ImgComb"));
        EXPECT_TRUE(button && button->isEnabled());
        button->click();
        return f.findChild<FormReader *>();
    }
    QTemporaryDir pages;
};

TEST_F(BatchReader, ThirtyFilesOpenThirtyTabsInListOrder)
{
    QStringList expected;
    for (int i = 1; i <= 30; ++i) {
        // Names that sort differently by case show the folder's order (upper-cased names).
        const QString name =
            (i % 2 ? QStringLiteral("Page%1.htm") : QStringLiteral("page%1.HTML")).arg(i, 2, 10, QLatin1Char('0'));
        writePage(pages.filePath(name), QStringLiteral("Read %1").arg(i));
        expected.append(common::fileUrl(pages.filePath(name)).toString());
    }
    writePage(pages.filePath(QStringLiteral("notes.txt")), QStringLiteral("not a page"));
    s.settings.save(common::keys::kReader, common::keys::kHistory, pages.path());
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    QPointer<FormReader> reader = openReader(f);
    ASSERT_FALSE(reader.isNull());
    EXPECT_EQ(reader->windowTitle(), QStringLiteral("成批阅读网页"));
    EXPECT_TRUE(reader->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(reader->ComPath->currentText(), pages.path());
    ASSERT_EQ(reader->ListFile->count(), 30);
    EXPECT_EQ(reader->ListFile->toolTip(), QStringLiteral("网页文件列表"));
    EXPECT_EQ(reader->Command1->text(), QStringLiteral("阅读(&R)"));
    reader->Command1->click();
    EXPECT_EQ(f.tabs().TabCount(), 31);
    QStringList opened;
    for (int position = 1; position < f.tabs().TabCount(); ++position)
        opened.append(f.pageWindow(f.tabs().slotAt(position))->Intourl);
    EXPECT_EQ(opened, expected);
    // The last one opened is the active tab. (Loading thirty pages takes long on a busy machine;
    // a click's test below waits for a file's page to show.)
    EXPECT_EQ(f.tabs().ActivePos(), 30);
    // It closed itself and kept its folder.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(reader.isNull());
    EXPECT_EQ(s.settings.read(common::keys::kReader, common::keys::kHistory), pages.path());
}

TEST_F(BatchReader, AClickOpensOneFile)
{
    writePage(pages.filePath(QStringLiteral("a.htm")), QStringLiteral("Only A"));
    writePage(pages.filePath(QStringLiteral("b.htm")), QStringLiteral("Only B"));
    s.settings.save(common::keys::kReader, common::keys::kHistory, pages.path() + QLatin1Char('/'));
    Frmmain &f = open();
    FormReader *reader = openReader(f);
    ASSERT_NE(reader, nullptr);
    reader->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(reader));
    const QRect at = reader->ListFile->visualItemRect(reader->ListFile->item(1));
    QTest::mouseClick(reader->ListFile->viewport(), Qt::LeftButton, {}, at.center());
    EXPECT_EQ(f.tabs().TabCount(), 2);
    // No second "/" after a folder that ends with one.
    EXPECT_EQ(f.activePage()->Intourl, common::fileUrl(pages.filePath(QStringLiteral("b.htm"))).toString());
    ASSERT_TRUE(waitFor([&] { return loaded(1, QStringLiteral("Only B")); }, 60000))
        << qPrintable(labelAt(1)) << " " << qPrintable(f.activePage()->LocationURL()) << " "
        << qPrintable(f.activePage()->Web->title());
    EXPECT_TRUE(reader->isVisible());
    reader->close();
}

TEST_F(BatchReader, AMissingStoredFolderListsNothingAndReadingSaysSo)
{
    const QString gone = pages.path() + QStringLiteral("/gone");
    s.settings.save(common::keys::kReader, common::keys::kHistory, gone);
    Frmmain &f = open();
    QPointer<FormReader> reader = openReader(f);
    ASSERT_FALSE(reader.isNull());
    EXPECT_EQ(reader->ComPath->currentText(), gone);
    EXPECT_EQ(reader->ListFile->count(), 0);
    QString message;
    answerMessageBox(&message);
    reader->Command1->click();
    EXPECT_EQ(message, QStringLiteral("抱歉，该文件夹内没有一个网页文件，请换一个。  "));
    EXPECT_EQ(f.tabs().TabCount(), 1);
    EXPECT_FALSE(reader.isNull());
    reader->close();
    EXPECT_EQ(s.settings.read(common::keys::kReader, common::keys::kHistory), gone);
}

TEST_F(BatchReader, EnterListsATypedFolderOrSaysItIsMissing)
{
    writePage(pages.filePath(QStringLiteral("x.php")), QStringLiteral("X"));
    Frmmain &f = open();
    QPointer<FormReader> reader = openReader(f);
    ASSERT_FALSE(reader.isNull());
    // Nothing stored: the history folder of the data folder.
    EXPECT_EQ(reader->ComPath->currentText(), s.values.DataFolder + QStringLiteral("History"));
    struct Case {
        const char *name;
        QString typed;
        QString message;
        int listed;
    } cases[] = {
        { "missing", pages.path() + QStringLiteral("/none"), QStringLiteral("路径不存在！   "), 0 },
        { "existing", pages.path(), QString(), 1 },
    };
    for (const Case &c : cases) {
        QString message;
        if (!c.message.isEmpty())
            answerMessageBox(&message);
        reader->ComPath->setEditText(c.typed);
        QTest::keyClick(reader->ComPath->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(message, c.message) << c.name;
        EXPECT_EQ(reader->ListFile->count(), c.listed) << c.name;
    }
    EXPECT_EQ(reader->ComPath->count(), 1);
    EXPECT_EQ(reader->ComPath->itemText(0), pages.path());
    EXPECT_EQ(reader->currentFolder(), pages.path());
    reader->close();
    EXPECT_EQ(s.settings.read(common::keys::kReader, common::keys::kHistory), pages.path());
}

// A clock the test advances by hand.
class ManualTicks : public TickSource {
public:
    void start() override { m_active = true; }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    void fire(int count)
    {
        for (int i = 0; i < count && m_active; ++i)
            onTick();
    }

private:
    bool m_active = false;
};

TEST(AutoRefresherWindow, CountsDownAndRefreshesTheIntervalPlusOneTicksApart)
{
    struct Case {
        QString interval;
        int ticks;
        std::vector<int> refreshes;
        QString lastShown;
    } cases[] = {
        { QStringLiteral("5 秒"), 13, { 1, 7, 13 }, QStringLiteral("5") },
        { QStringLiteral("1 秒"), 6, { 1, 3, 5 }, QStringLiteral("0") },
    };
    for (const Case &c : cases) {
        auto ticks = std::make_unique<ManualTicks>();
        ManualTicks *clock = ticks.get();
        int tick = 0;
        std::vector<int> refreshes;
        FormAutoREshua window([&] { refreshes.push_back(tick); }, std::move(ticks));
        EXPECT_EQ(window.Comb->currentText(), QStringLiteral("5 秒"));
        EXPECT_EQ(window.Comb->count(), 10);
        EXPECT_EQ(window.Command1->text(), QStringLiteral("开始(S)"));
        window.Comb->setEditText(c.interval);
        window.Command1->click();
        EXPECT_EQ(window.Command1->text(), QStringLiteral("暂停(P)"));
        for (int i = 0; i < c.ticks; ++i) {
            ++tick;
            clock->fire(1);
        }
        EXPECT_EQ(refreshes, c.refreshes) << qPrintable(c.interval);
        EXPECT_EQ(window.Lab->text(), c.lastShown) << qPrintable(c.interval);
        window.Command1->click();
        EXPECT_EQ(window.Command1->text(), QStringLiteral("开始(S)"));
        EXPECT_FALSE(clock->isActive());
    }
}

TEST(AutoRefresherWindow, PauseAndStartRefreshOnTheNextTick)
{
    auto ticks = std::make_unique<ManualTicks>();
    ManualTicks *clock = ticks.get();
    int refreshes = 0;
    FormAutoREshua window([&] { ++refreshes; }, std::move(ticks));
    window.Command1->click();
    clock->fire(3);
    EXPECT_EQ(refreshes, 1);
    window.Command1->click();
    clock->fire(10);
    EXPECT_EQ(refreshes, 1);
    window.Command1->click();
    clock->fire(1);
    EXPECT_EQ(refreshes, 2);
}

using AutoRefresherInFrame = FrameFixture;

TEST_F(AutoRefresherInFrame, TheMenuEntryOpensItAndItReloadsWhicheverTabIsActive)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    QAction *entry = f.menuAction(QStringLiteral("工具(&T)"), QStringLiteral("网页刷屏器(&R)"));
    ASSERT_TRUE(entry && entry->isEnabled());
    entry->trigger();
    QPointer<FormAutoREshua> opened = f.findChild<FormAutoREshua *>();
    ASSERT_FALSE(opened.isNull());
    EXPECT_TRUE(opened->isVisible());
    EXPECT_EQ(opened->Frame1->title(), QStringLiteral("选项"));
    EXPECT_EQ(opened->Label1->text(), QStringLiteral("刷新频率："));
    // A second time it is the same window.
    entry->trigger();
    EXPECT_EQ(f.findChildren<FormAutoREshua *>().size(), 1);
    opened->close();

    f.LoadNewForm(server().url("/two"));
    ASSERT_TRUE(waitFor([&] { return loaded(1, QStringLiteral("Page Two")); }));
    const int oneHits = server().hits("/one");
    const int twoHits = server().hits("/two");
    auto ticks = std::make_unique<ManualTicks>();
    ManualTicks *clock = ticks.get();
    FormAutoREshua window([&f] { f.refreshActivePage(); }, std::move(ticks));
    window.Comb->setEditText(QStringLiteral("1 秒"));
    window.Command1->click();
    clock->fire(1);
    ASSERT_TRUE(waitFor([&] { return server().hits("/two") == twoHits + 1; }));
    // Another tab is active at the next refresh: that one is reloaded.
    f.activateTab(f.tabs().slotAt(0));
    clock->fire(2);
    ASSERT_TRUE(waitFor([&] { return server().hits("/one") == oneHits + 1; }));
    EXPECT_EQ(server().hits("/two"), twoHits + 1);
}

}
