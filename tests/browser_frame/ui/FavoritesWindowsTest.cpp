// The favorites dialog, the favorites menu of the frame and the organizer.
#include "FrameTestSupport.h"
#include "browser/frame/Favorites.h"
#include "browser/frame/ui/Favorites.h"
#include "browser/frame/ui/FormDfg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>

#include <functional>

using browser::frame::Favorites;
using browser::frame::FormDfg;
using browser::frame::Frmmain;
using velmora::test::FrameFixture;
using velmora::test::readAll;
using velmora::test::waitFor;
using velmora::test::whenModal;

namespace {

void writeFileOrFail(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class FavoritesDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        data = dir.path() + QLatin1Char('/');
    }
    QString favPath() const { return data + QStringLiteral("Fav.rar"); }

    QTemporaryDir dir;
    QString data;
    int rebuilt = 0;
};

TEST_F(FavoritesDialog, ShowsThePageAndItsToolTipsFollowTheText)
{
    Favorites dialog(data, QStringLiteral("风景图片"), QStringLiteral("http://a.example/x"), [this] { ++rebuilt; });
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("添加到收藏夹"));
    EXPECT_EQ(dialog.txtTitle->text(), QStringLiteral("风景图片"));
    EXPECT_EQ(dialog.txtUrl->text(), QStringLiteral("http://a.example/x"));
    EXPECT_EQ(dialog.txtTitle->toolTip(), QStringLiteral("风景图片"));
    EXPECT_EQ(dialog.txtUrl->toolTip(), QStringLiteral("http://a.example/x"));
    QTest::keyClicks(dialog.txtTitle, QStringLiteral("!"));
    EXPECT_EQ(dialog.txtTitle->toolTip(), dialog.txtTitle->text());
    dialog.txtUrl->setText(QStringLiteral("http://b.example/"));
    EXPECT_EQ(dialog.txtUrl->toolTip(), QStringLiteral("http://b.example/"));
    EXPECT_EQ(dialog.cmdOK->text(), QStringLiteral("确定"));
    EXPECT_EQ(dialog.cmdCancel->text(), QStringLiteral("取消"));
    EXPECT_EQ(dialog.Command1->text(), QStringLiteral("新建目录"));
    EXPECT_EQ(dialog.Check1->text(), QStringLiteral("允许脱机使用"));
}

TEST_F(FavoritesDialog, AnEmptyFieldKeepsTheDialogOpenAndWritesNothing)
{
    struct Case {
        const char *name;
        QString title;
        QString address;
    } cases[] = {
        { "no name", QString(), QStringLiteral("http://a.example/") },
        { "no address", QStringLiteral("A"), QString() },
    };
    for (const Case &c : cases) {
        Favorites dialog(data, c.title, c.address, [this] { ++rebuilt; });
        dialog.show();
        dialog.cmdOK->click();
        EXPECT_TRUE(dialog.isVisible()) << c.name;
        EXPECT_FALSE(QFile::exists(favPath())) << c.name;
        EXPECT_EQ(rebuilt, 0) << c.name;
    }
}

TEST_F(FavoritesDialog, OkAppendsTheLineAndRebuildsTheMenu)
{
    writeFileOrFail(favPath(), "Old,http://old/\r\n");
    Favorites dialog(data, QStringLiteral("Photo, daily"), QStringLiteral("http://a/?q=1,2"), [this] { ++rebuilt; });
    dialog.show();
    dialog.cmdOK->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(rebuilt, 1);
    EXPECT_EQ(readAll(favPath()), QByteArray("Old,http://old/\r\nPhoto daily     ,http://a/?q=1,2\r\n"));

    Favorites cancelled(data, QStringLiteral("B"), QStringLiteral("http://b/"), [this] { ++rebuilt; });
    cancelled.show();
    cancelled.cmdCancel->click();
    EXPECT_FALSE(cancelled.isVisible());
    EXPECT_EQ(rebuilt, 1);
    EXPECT_EQ(browser::frame::readFavoritesFileLines(favPath()).size(), 2);
}

TEST_F(FavoritesDialog, NewFolderAsksForANameAndMakesIt)
{
    Favorites dialog(data, QStringLiteral("A"), QStringLiteral("http://a/"), {});
    QString prompt, title, proposed;
    whenModal<QInputDialog>([&](QInputDialog *box) {
        prompt = box->labelText();
        title = box->windowTitle();
        proposed = box->textValue();
        box->accept();
    });
    dialog.Command1->click();
    EXPECT_EQ(prompt, QStringLiteral("请输入新的分类目录"));
    EXPECT_EQ(title, QStringLiteral("新建目录"));
    EXPECT_EQ(proposed, QStringLiteral("网址之家"));
    EXPECT_TRUE(QDir(data + QStringLiteral("Favorites/网址之家")).exists());
    EXPECT_EQ(dialog.ListDir->count(), 1);

    // An empty answer and one that leaves the folder make nothing.
    for (const QString &answer : { QString(), QStringLiteral("../outside") }) {
        whenModal<QInputDialog>([answer](QInputDialog *box) {
            box->setTextValue(answer);
            box->accept();
        });
        dialog.Command1->click();
    }
    EXPECT_FALSE(QDir(data + QStringLiteral("outside")).exists());
    EXPECT_EQ(QDir(data + QStringLiteral("Favorites")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
    EXPECT_FALSE(QFile::exists(favPath()));
}

using FavoritesOrganizer = FavoritesDialog;

QStringList listLines(const QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines.append(list->item(i)->text());
    return lines;
}

void clickLine(QListWidget *list, int row)
{
    const QRect at = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
}

TEST_F(FavoritesOrganizer, DeletingSelectsTheLineThatFollowedOrNone)
{
    writeFileOrFail(favPath(), "A,a\r\n\r\nB,b\r\nC,c\r\n");
    velmora::test::ServicesUnderTest s;
    FormDfg dialog(data, *s.desktop, [this] { ++rebuilt; });
    dialog.show();
    EXPECT_EQ(listLines(dialog.List1), (QStringList { "A,a", "B,b", "C,c" }));
    EXPECT_EQ(dialog.List1->toolTip(), QStringLiteral("鼠标单击可以复制网址"));
    EXPECT_FALSE(dialog.Command1->isEnabled());

    struct Step {
        const char *name;
        int clicked;
        QStringList left;
        int selected;
    } steps[] = {
        { "middle line", 1, { "A,a", "C,c" }, 1 },
        { "last line", 1, { "A,a" }, -1 },
        { "only line", 0, {}, -1 },
    };
    for (const Step &step : steps) {
        clickLine(dialog.List1, step.clicked);
        EXPECT_TRUE(dialog.Command1->isEnabled()) << step.name;
        dialog.Command1->click();
        EXPECT_EQ(listLines(dialog.List1), step.left) << step.name;
        EXPECT_EQ(dialog.List1->currentRow(), step.selected) << step.name;
        EXPECT_TRUE(step.selected >= 0 || dialog.List1->selectedItems().isEmpty()) << step.name;
    }
    // Nothing selected: deleting does nothing.
    dialog.Command1->click();
    EXPECT_EQ(dialog.List1->count(), 0);
}

TEST_F(FavoritesOrganizer, TheCloseBoxSavesAndUndoLeavesTheFileAlone)
{
    struct Case {
        const char *name;
        std::function<void(FormDfg &)> leave;
        QByteArray file;
        int rebuilds;
    } cases[] = {
        { "close box", [](FormDfg &d) { d.close(); }, "A,a\r\nC,c\r\n\r\n", 1 },
        { "escape", [](FormDfg &d) { QTest::keyClick(&d, Qt::Key_Escape); }, "A,a\r\nC,c\r\n\r\n", 1 },
        { "undo", [](FormDfg &d) { d.Command2->click(); }, "A,a\r\n\r\nB,b\r\nC,c", 0 },
    };
    velmora::test::ServicesUnderTest s;
    for (const Case &c : cases) {
        writeFileOrFail(favPath(), "A,a\r\n\r\nB,b\r\nC,c");
        rebuilt = 0;
        FormDfg dialog(data, *s.desktop, [this] { ++rebuilt; });
        EXPECT_EQ(dialog.Command2->text(), QStringLiteral("撤销(&S)"));
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        clickLine(dialog.List1, 1);
        dialog.Command1->click();
        c.leave(dialog);
        EXPECT_FALSE(dialog.isVisible()) << c.name;
        EXPECT_EQ(readAll(favPath()), c.file) << c.name;
        EXPECT_EQ(rebuilt, c.rebuilds) << c.name;
    }
}

TEST_F(FavoritesOrganizer, AMissingListSavesOnlyTheEmptyLine)
{
    velmora::test::ServicesUnderTest s;
    FormDfg dialog(data, *s.desktop, {});
    EXPECT_EQ(dialog.List1->count(), 0);
    dialog.show();
    dialog.close();
    EXPECT_EQ(readAll(favPath()), QByteArray("\r\n"));
}

TEST_F(FavoritesOrganizer, AClickCopiesTheAddressAfterTheFirstComma)
{
    writeFileOrFail(favPath(), "风景     ,http://a/?q=1,2,3\r\nhttp://plain/\r\n");
    velmora::test::ServicesUnderTest s;
    velmora::test::clearSimulatedDesktopEffects();
    FormDfg dialog(data, *s.desktop, {});
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    clickLine(dialog.List1, 0);
    EXPECT_EQ(dialog.copiedAddress(), QStringLiteral("http://a/?q=1,2,3"));
    clickLine(dialog.List1, 1);
    EXPECT_EQ(dialog.copiedAddress(), QStringLiteral("http://plain/"));
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(),
        (QStringList { QStringLiteral("setClipboardText\thttp://a/?q=1,2,3"),
            QStringLiteral("setClipboardText\thttp://plain/") }));
    dialog.Command2->click();
}

// The favorites menu of the frame.
class FavoritesMenu : public FrameFixture {
protected:
    QString favPath() const { return s.values.DataFolder + QStringLiteral("Fav.rar"); }
    QStringList captions(const Frmmain &f) const
    {
        QStringList shown;
        for (int i = 0; i < f.favoriteItemCount(); ++i) {
            if (f.MyFavorites(i)->isVisible())
                shown.append(f.MyFavorites(i)->text());
        }
        return shown;
    }
};

TEST_F(FavoritesMenu, TheListShowsInFileOrderWithEmptyLinesSkipped)
{
    // "收藏" in GBK on its last line, as an older version wrote it.
    writeFileOrFail(favPath(),
        QByteArray("A,x\r\n\r\nB,y\r\n") + "http://no-comma.example/\r\n" + "C,http://c/?a=1,2\r\n"
            + "\xca\xd5\xb2\xd8,http://gbk/\r\n");
    Frmmain &f = open();
    EXPECT_EQ(captions(f), (QStringList { "A", "B", "", "C", QStringLiteral("收藏") }));
    EXPECT_EQ(f.MyFavorites(0)->data().toString(), QStringLiteral("x"));
    EXPECT_EQ(f.MyFavorites(2)->data().toString(), QStringLiteral("http://no-comma.example/"));
    EXPECT_EQ(f.MyFavorites(3)->data().toString(), QStringLiteral("http://c/?a=1,2"));
    EXPECT_EQ(f.MyFavorites(5), nullptr);
}

TEST_F(FavoritesMenu, AMissingFileGivesOnlyTheHiddenFirstItem)
{
    Frmmain &f = open();
    EXPECT_EQ(f.favoriteItemCount(), 1);
    EXPECT_FALSE(f.MyFavorites(0)->isVisible());
}

TEST_F(FavoritesMenu, AChosenFavoriteOpensANewTabWithTheGalleryOff)
{
    const QString two = server().url("/two");
    writeFileOrFail(favPath(),
        (QStringLiteral("Script,javascript:document.title='ran'\r\nData,data:text/html,<title>ran</title>\r\n")
            + QStringLiteral("第二页     ,") + two + QStringLiteral("\r\n"))
            .toUtf8());
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    // Script and data addresses are listed but never opened.
    for (int i : { 0, 1 }) {
        EXPECT_TRUE(f.MyFavorites(i)->isVisible());
        EXPECT_FALSE(f.MyFavorites(i)->isEnabled());
        f.MyFavorites_Click(i);
        EXPECT_EQ(f.tabs().TabCount(), 1);
    }
    f.Chk->setChecked(true);
    QAction *item = f.MyFavorites(2);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_FALSE(f.Chk->isChecked());
    ASSERT_TRUE(waitFor([&] { return f.tabs().TabCount() == 2 && loaded(1, QStringLiteral("Page Two")); }));
    EXPECT_EQ(f.activePage()->LocationURL(), two);
    EXPECT_EQ(labelAt(0), QStringLiteral("Page One"));
}

TEST_F(FavoritesMenu, CtrlDAddsTheActivePage)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    QAction *entry = f.menuAction(QStringLiteral("收藏夹(&A)"), QStringLiteral("添加到收藏夹"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->shortcut(), QKeySequence(QStringLiteral("Ctrl+D")));
    QString title, address;
    whenModal<Favorites>([&](Favorites *dialog) {
        title = dialog->txtTitle->text();
        address = dialog->txtUrl->text();
        dialog->cmdOK->click();
    });
    entry->trigger();
    EXPECT_EQ(title, QStringLiteral("Page One"));
    EXPECT_EQ(address, server().url("/one"));
    EXPECT_EQ(QString::fromUtf8(readAll(favPath())),
        QStringLiteral("Page One     ,") + server().url("/one") + QStringLiteral("\r\n"));
    EXPECT_EQ(captions(f), (QStringList { QStringLiteral("Page One     ") }));
}

TEST_F(FavoritesMenu, RefreshAndTheOrganizerRebuildTheMenuWithoutStaleItems)
{
    QByteArray many;
    for (int i = 0; i < 150; ++i)
        many += QStringLiteral("N%1,http://n%1.example/\r\n").arg(i).toUtf8();
    writeFileOrFail(favPath(), many);
    Frmmain &f = open();
    EXPECT_EQ(captions(f).size(), 150);
    writeFileOrFail(favPath(), "A,x\r\nB,y\r\n");
    QAction *refresh = f.menuAction(QStringLiteral("收藏夹(&A)"), QStringLiteral("刷新收藏夹"));
    ASSERT_TRUE(refresh && refresh->isEnabled());
    refresh->trigger();
    EXPECT_EQ(captions(f), (QStringList { "A", "B" }));
    EXPECT_EQ(f.menu(QStringLiteral("收藏夹(&A)"))->actions().size() - f.favoriteItemCount(), 7);

    QAction *organize = f.menuAction(QStringLiteral("收藏夹(&A)"), QStringLiteral("整理收藏夹"));
    ASSERT_TRUE(organize && organize->isEnabled());
    whenModal<FormDfg>([](FormDfg *dialog) {
        clickLine(dialog->List1, 0);
        dialog->Command1->click();
        dialog->close();
    });
    organize->trigger();
    EXPECT_EQ(readAll(favPath()), QByteArray("B,y\r\n\r\n"));
    EXPECT_EQ(captions(f), (QStringList { "B" }));
}

}
