#include "FrameTestSupport.h"
#include "browser/page/TraceClearing.h"
#include "browser/page/ui/Formclear.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using browser::frame::Frmmain;
using browser::page::Formclear;
using velmora::test::FrameFixture;
using velmora::test::waitFor;

namespace {

// Records the next message box's text and closes it.
void whenMessage(QString *text, bool *seen)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, text, seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        timer->stop();
        timer->deleteLater();
        *text = box->text();
        *seen = true;
        box->accept();
    });
    timer->start();
}

class TraceCleaner : public FrameFixture {
protected:
    Formclear *openCleaner(Frmmain &f)
    {
        f.menuAction(QStringLiteral("工具(&T)"), QStringLiteral("清除浏览记录(&C)"))->trigger();
        return f.findChild<Formclear *>();
    }
    // Confirms, and answers whether the completion message came.
    bool confirm(Formclear *dialog)
    {
        QString text;
        bool seen = false;
        whenMessage(&text, &seen);
        const QPointer<Formclear> guard(dialog);
        dialog->Command1->click();
        EXPECT_EQ(text, browser::page::kClearDoneMessage);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(!guard || !guard->isVisible());
        return seen;
    }
    int visibleClosedItems(Frmmain &f)
    {
        int n = 0;
        for (QAction *a : f.menu(QStringLiteral("历史(&L)"))->actions())
            n += a->objectName().startsWith(QLatin1String("LiHistory")) && a->isVisible();
        return n;
    }
};

TEST_F(TraceCleaner, NothingTickedStillSaysItIsDone)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    f.TextUrl->addItem(QStringLiteral("http://kept.example/"));
    Formclear *dialog = openCleaner(f);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("清除浏览记录"));
    for (QCheckBox *box : dialog->Chk)
        EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(confirm(dialog));
    EXPECT_EQ(f.TextUrl->count(), 1);
    EXPECT_TRUE(QFileInfo(s.values.DataFolder + QStringLiteral("History")).isDir());
}

TEST_F(TraceCleaner, SelectAllTicksEveryBoxAndCancelClearsNothing)
{
    Frmmain &f = open();
    f.TextUrl->addItem(QStringLiteral("http://kept.example/"));
    Formclear *dialog = openCleaner(f);
    ASSERT_NE(dialog, nullptr);
    dialog->CheckAll->click();
    for (QCheckBox *box : dialog->Chk)
        EXPECT_TRUE(box->isChecked());
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        dialog->adjustSize();
        EXPECT_TRUE(dialog->grab().save(folder + QStringLiteral("/trace-cleaner.png")));
    }
    dialog->CheckAll->click();
    for (QCheckBox *box : dialog->Chk)
        EXPECT_FALSE(box->isChecked());
    dialog->CheckAll->click();
    dialog->Command2->click();
    EXPECT_EQ(f.TextUrl->count(), 1);
    EXPECT_TRUE(QFileInfo(s.values.DataFolder + QStringLiteral("History")).isDir());
}

TEST_F(TraceCleaner, ClosedPagesFewerThanTheMenuHoldsAllGoAndTheStoreStays)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    f.LoadNewForm(server().url("/two"));
    f.LoadNewForm(server().url("/three"));
    ASSERT_TRUE(
        waitFor([&] { return loaded(1, QStringLiteral("Page Two")) && loaded(2, QStringLiteral("Page Three")); }));
    f.closeActiveTab();
    f.closeActiveTab();
    ASSERT_TRUE(waitFor([&] { return f.tabs().TabCount() == 1; }));
    ASSERT_EQ(visibleClosedItems(f), 2);
    const QString storedCount = s.settings.read(QStringLiteral("CancelPage"), QStringLiteral("Count"));
    ASSERT_FALSE(storedCount.isEmpty());

    Formclear *dialog = openCleaner(f);
    dialog->Chk[8]->setChecked(true);
    EXPECT_TRUE(confirm(dialog));
    EXPECT_EQ(visibleClosedItems(f), 0);
    EXPECT_EQ(f.closedPages().ClosedPageCount(), 0);
    EXPECT_EQ(s.settings.read(QStringLiteral("CancelPage"), QStringLiteral("Count")), storedCount);
}

TEST_F(TraceCleaner, HistoryGoesAndLinksPlantedInItAreNotFollowed)
{
    Frmmain &f = open();
    ASSERT_TRUE(waitFor([&] { return loaded(0, QStringLiteral("Page One")); }));
    const QString history = s.values.DataFolder + QStringLiteral("History");
    const QString outside = data.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(outside + QStringLiteral("/deep")));
    QFile precious(outside + QStringLiteral("/precious.txt"));
    ASSERT_TRUE(precious.open(QIODevice::WriteOnly));
    precious.write("precious");
    precious.close();
    QFile day(history + QStringLiteral("/2026-1-1.dat"));
    ASSERT_TRUE(day.open(QIODevice::WriteOnly));
    day.write("row");
    day.close();
    ASSERT_TRUE(QFile::link(outside, history + QStringLiteral("/to-folder")));
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/precious.txt"), history + QStringLiteral("/to-file")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/"), history + QStringLiteral("/to-root")));
    f.TextUrl->addItem(QStringLiteral("http://gone.example/"));
    f.CombSearch->addItem(QStringLiteral("风景"));
    const QString shown = f.TextUrl->currentText();

    Formclear *dialog = openCleaner(f);
    for (int i : { 0, 1, 2, 9 })
        dialog->Chk[size_t(i)]->setChecked(true);
    EXPECT_TRUE(confirm(dialog));
    EXPECT_FALSE(QFileInfo::exists(history));
    EXPECT_FALSE(QFileInfo(history).isSymLink());
    EXPECT_TRUE(QFileInfo(outside + QStringLiteral("/deep")).isDir());
    ASSERT_TRUE(precious.open(QIODevice::ReadOnly));
    EXPECT_EQ(precious.readAll(), QByteArray("precious"));
    EXPECT_TRUE(QFileInfo(QStringLiteral("/etc")).isDir());
    EXPECT_EQ(f.TextUrl->count(), 0);
    EXPECT_EQ(f.CombSearch->count(), 0);
    // The address box keeps what it shows.
    EXPECT_EQ(f.TextUrl->currentText(), shown);
}

}
