#include "browser/page/ui/FormDownload.h"

#include "ServicesUnderTest.h"
#include "browser/page/DownLoad.h"
#include "browser/page/ui/AddressSaver.h"
#include "browser_page/DownloadServer.h"
#include "tests/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using browser::page::AddressSaver;
using browser::page::DownLoad;
using browser::page::FormDownload;

namespace {

class DownloadDialog : public ::testing::Test {
protected:
    velmora::test::ServicesUnderTest s;
};

TEST_F(DownloadDialog, ControlsAndTopmost)
{
    FormDownload dialog(*s.desktop);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("下载网络文件"));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(dialog.Command1->text(), QStringLiteral("下载(&D)"));
    EXPECT_EQ(dialog.Command2->text(), QStringLiteral("关闭(&C)"));
    EXPECT_EQ(dialog.Command3->text(), QStringLiteral("浏览(&V)"));
    EXPECT_TRUE(dialog.CombUrl->isEditable());
    EXPECT_TRUE(dialog.Text1->text().endsWith(QStringLiteral("/Download/")));
}

TEST_F(DownloadDialog, ClipboardAddressTakenOnFocus)
{
    struct Case {
        const char *clipboard;
        const char *address;
    };
    const Case cases[] = {
        { "http://example.com/file.zip", "http://example.com/file.zip" },
        { "https://example.com/a/b.iso", "https://example.com/a/b.iso" },
        { "ftp://example.com/file.zip", "typed" },
        { "some text", "typed" },
    };
    for (const Case &c : cases) {
        FormDownload dialog(*s.desktop);
        dialog.CombUrl->setEditText(QStringLiteral("typed"));
        s.desktop->setClipboardText(QString::fromLatin1(c.clipboard));
        dialog.CombUrl_GotFocus();
        EXPECT_EQ(dialog.CombUrl->currentText(), QString::fromLatin1(c.address)) << c.clipboard;
    }
    // Through a real focus change as well.
    FormDownload dialog(*s.desktop);
    dialog.show();
    dialog.Command2->setFocus();
    s.desktop->setClipboardText(QStringLiteral("http://example.com/focus.jpg"));
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(dialog.CombUrl->lineEdit(), &focusIn);
    EXPECT_EQ(dialog.CombUrl->currentText(), QStringLiteral("http://example.com/focus.jpg"));
    EXPECT_EQ(dialog.Text2->text(), QStringLiteral("focus.jpg"));
}

TEST_F(DownloadDialog, AddressNamesTheFileAndItsTip)
{
    FormDownload dialog(*s.desktop);
    dialog.CombUrl->setEditText(QStringLiteral("http://example.com/dir/photo 1.jpg"));
    EXPECT_EQ(dialog.Text2->text(), QStringLiteral("photo 1.jpg"));
    EXPECT_EQ(dialog.CombUrl->toolTip(), QStringLiteral("http://example.com/dir/photo 1.jpg"));
    dialog.CombUrl->setEditText(QStringLiteral("http://example.com/dir/"));
    EXPECT_EQ(dialog.Text2->text(), QString());
}

TEST_F(DownloadDialog, OnlyAddressesLongerThan14CharactersStart)
{
    struct Case {
        const char *address;
        bool starts;
    };
    const Case cases[] = {
        { "http://a.b/c.d", false }, // 14
        { "http://a.b/c.de", true }, // 15
        { "", false },
    };
    for (const Case &c : cases) {
        auto *dialog = FormDownload::open(*s.desktop, nullptr);
        const QPointer<FormDownload> gone(dialog);
        QStringList started;
        dialog->startDownload = [&](const QString &address) {
            started << address;
        };
        dialog->CombUrl->setEditText(QString::fromLatin1(c.address));
        dialog->Command1->click();
        if (c.starts) {
            EXPECT_EQ(started, QStringList { QString::fromLatin1(c.address) });
            EXPECT_EQ(dialog->CombUrl->findText(QString::fromLatin1(c.address)), 0);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(gone.isNull());
        } else {
            EXPECT_TRUE(started.isEmpty());
            EXPECT_TRUE(dialog->isVisible());
            delete dialog;
        }
    }
}

TEST_F(DownloadDialog, BrowseShowsTheChosenFolder)
{
    FormDownload dialog(*s.desktop);
    QString prompt;
    dialog.askFolder = [&](const QString &asked) {
        prompt = asked;
        return QStringLiteral("/srv/pictures");
    };
    dialog.Command3->click();
    EXPECT_EQ(prompt, QStringLiteral("请指定一个保存图片的文件目录"));
    EXPECT_EQ(dialog.Text1->text(), QStringLiteral("/srv/pictures"));
    const QString before = dialog.Text1->text();
    dialog.askFolder = [](const QString &) {
        return QString();
    };
    dialog.Command3->click();
    EXPECT_EQ(dialog.Text1->text(), before);
}

class SaveAddress : public ::testing::Test {
protected:
    velmora::test::DownloadServer server;
    QTemporaryDir dir;
    QWidget window;
};

TEST_F(SaveAddress, DownloadsCopiesOrSaysWhy)
{
    QFile local(dir.filePath(QStringLiteral("local.jpg")));
    ASSERT_TRUE(local.open(QIODevice::WriteOnly));
    local.write("local bytes");
    local.close();
    struct Case {
        const char *name;
        QString address;
        bool ok;
        QByteArray bytes;
        QString message;
    };
    const Case cases[] = {
        { "downloaded",
            server.url(QStringLiteral("/body?n=300000")),
            true,
            QByteArray::fromStdString(velmora::test::bodyOf(300000)),
            QString() },
        { "local file copied", local.fileName(), true, QByteArray("local bytes"), QString() },
        { "local file address copied",
            QUrl::fromLocalFile(local.fileName()).toString(),
            true,
            QByteArray("local bytes"),
            QString() },
        { "no server", QStringLiteral("http://127.0.0.1:1/x.jpg"), false, QByteArray(), DownLoad::noServerMessage() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString target = dir.filePath(QStringLiteral("saved-%1").arg(QLatin1String(c.name)));
        AddressSaver saver(&window);
        QString proposed;
        QStringList messages;
        saver.askSavePath = [&](const QString &name) {
            proposed = name;
            return target;
        };
        saver.showMessage = [&](const QString &message) {
            messages << message;
        };
        QSignalSpy finished(&saver, &AddressSaver::finished);
        ASSERT_TRUE(saver.save(c.address));
        ASSERT_TRUE(finished.wait(20000));
        EXPECT_EQ(finished.first().at(0).toBool(), c.ok);
        EXPECT_EQ(finished.first().at(1).toString(), target);
        EXPECT_EQ(proposed, c.address.mid(c.address.lastIndexOf(QLatin1Char('/')) + 1));
        EXPECT_EQ(messages, c.message.isEmpty() ? QStringList() : QStringList { c.message });
        if (c.ok) {
            QFile saved(target);
            ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
            EXPECT_EQ(saved.readAll(), c.bytes);
        } else {
            EXPECT_FALSE(QFile::exists(target));
        }
    }
}

TEST_F(SaveAddress, CancelledDialogOrProgressLeavesNothing)
{
    AddressSaver asked(&window);
    asked.askSavePath = [](const QString &) {
        return QString();
    };
    EXPECT_FALSE(asked.save(server.url(QStringLiteral("/body?n=10"))));

    AddressSaver saver(&window);
    const QString target = dir.filePath(QStringLiteral("stalled.bin"));
    QSignalSpy finished(&saver, &AddressSaver::finished);
    saver.saveTo(server.url(QStringLiteral("/stall")), target);
    ASSERT_NE(saver.progressDialog(), nullptr);
    EXPECT_TRUE(saver.progressDialog()->isVisible());
    EXPECT_EQ(saver.progressDialog()->windowTitle(), QStringLiteral("下载网络文件"));
    // The user presses the dialog's cancel button.
    const auto buttons = saver.progressDialog()->findChildren<QPushButton *>();
    ASSERT_EQ(buttons.size(), 1);
    buttons.first()->click();
    ASSERT_EQ(finished.size(), 1);
    EXPECT_FALSE(finished.first().at(0).toBool());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(DownloadDialog, Screenshot)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "VELMORA_SCREENSHOT_DIR is not set";
    QDir().mkpath(folder);
    FormDownload dialog(*s.desktop);
    dialog.show();
    dialog.CombUrl->setEditText(QStringLiteral("https://example.com/pictures/landscape-2026.zip"));
    velmora::test::serveEvents(300);
    EXPECT_TRUE(dialog.grab().save(folder + QStringLiteral("/download-dialog.png")));
}

}
