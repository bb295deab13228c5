#include "browser/page/ui/FormHtml.h"

#include "ServicesUnderTest.h"
#include "TestSupport.h"
#include "tests/ModalWindows.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>
#include <iostream>

using browser::page::FormHtml;
using velmora::test::whenModal;

namespace {

class SourceEditorWindow : public testing::Test {
protected:
    void SetUp() override
    {
        editor = new FormHtml(s.services, dir.path() + QLatin1Char('/'));
        editor->show();
    }
    void TearDown() override { delete editor; }

    QString selection() const { return editor->Text1->textCursor().selectedText(); }
    int selectionStart() const { return editor->Text1->textCursor().selectionStart(); }

    velmora::test::ServicesUnderTest s;
    QTemporaryDir dir;
    FormHtml *editor = nullptr;
};

TEST_F(SourceEditorWindow, UpperCaseWordFindsLowerCaseAndReplaceLeavesIt)
{
    editor->setSource(QStringLiteral("<div>a</div>\n<DIV>b</DIV>"), QStringLiteral("http://x/"), QStringLiteral("X"));
    editor->TextFind->setEditText(QStringLiteral("DIV"));
    editor->CmdFind_Click();
    EXPECT_EQ(selectionStart(), 1);
    EXPECT_EQ(selection(), QStringLiteral("div"));
    EXPECT_EQ(editor->TextFind->count(), 1); // the new search word joins the list
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        editor->setSource(QStringLiteral("<head><title>Page One</title></head>\n<body>\n<p>第一页的文字</p>\n"
                                         "<div class=\"news\">\n<a href=\"/two\">two</a>\n</div>\n</body>"),
            QStringLiteral("http://127.0.0.1/one"),
            QStringLiteral("Page One"));
        editor->TextFind->setEditText(QStringLiteral("DIV"));
        editor->CmdFind_Click();
        velmora::test::serveEvents(200);
        EXPECT_TRUE(editor->grab().save(folder + QStringLiteral("/source-editor-search-hit.png")));
        editor->setSource(
            QStringLiteral("<div>a</div>\n<DIV>b</DIV>"), QStringLiteral("http://x/"), QStringLiteral("X"));
        editor->TextFind->setEditText(QStringLiteral("DIV"));
    }

    // Replace all: exact case only.
    whenModal<QInputDialog>([](QInputDialog *input) {
        EXPECT_EQ(input->windowTitle(), QStringLiteral("替换字符串"));
        EXPECT_EQ(input->labelText(), QStringLiteral("输入的字符串将会替换文本中的全部关键词……"));
        input->setTextValue(QStringLiteral("SPAN"));
        input->accept();
    });
    editor->Find->trigger();
    EXPECT_EQ(editor->Text1->toPlainText(), QStringLiteral("<div>a</div>\n<SPAN>b</SPAN>"));

    // An empty answer replaces nothing.
    whenModal<QInputDialog>([](QInputDialog *input) {
        input->setTextValue(QString());
        input->accept();
    });
    editor->TextFind->setEditText(QStringLiteral("div"));
    editor->Find->trigger();
    EXPECT_EQ(editor->Text1->toPlainText(), QStringLiteral("<div>a</div>\n<SPAN>b</SPAN>"));
}

TEST_F(SourceEditorWindow, AfterTheLastMatchTheCountShowsAndTheSearchStartsAgain)
{
    editor->setSource(QStringLiteral("ab AB aB"), {}, {});
    editor->TextFind->setEditText(QStringLiteral("ab"));
    for (int start : { 0, 3, 6 }) {
        editor->CmdFind_Click();
        EXPECT_EQ(selectionStart(), start);
    }
    QString message;
    whenModal<QMessageBox>([&message](QMessageBox *box) {
        message = box->text();
        box->accept();
    });
    editor->CmdFind_Click();
    EXPECT_EQ(message, QStringLiteral("关键词搜索完毕！共计 3 个"));
    editor->CmdFind_Click();
    EXPECT_EQ(selectionStart(), 0);
    // A change of the text resets the search.
    editor->CmdFind_Click();
    EXPECT_EQ(selectionStart(), 3);
    editor->Text1->appendPlainText(QStringLiteral(" ab"));
    editor->CmdFind_Click();
    EXPECT_EQ(selectionStart(), 0);
    // So does a change of the word.
    editor->CmdFind_Click();
    editor->TextFind->setEditText(QStringLiteral("AB"));
    editor->CmdFind_Click();
    EXPECT_EQ(selectionStart(), 0);
}

TEST_F(SourceEditorWindow, OpenedFileLinesAllEndInCrLfAndSaveWritesOneLineMore)
{
    const QString in = dir.filePath(QStringLiteral("in.txt"));
    QFile file(in);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("one\ntwo\r\nthree");
    file.close();
    whenModal<QFileDialog>([in](QFileDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("打开文件"));
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("文本文件 (TXT)"));
        dialog->selectFile(in);
        static_cast<QDialog *>(dialog)->accept();
    });
    editor->mOpen->trigger();
    EXPECT_EQ(editor->Text1->toPlainText(), QStringLiteral("one\ntwo\nthree\n"));

    editor->Text3->setText(QStringLiteral("a/b"));
    // The proposed name itself, so the answer does not race the dialog's own filling of its box.
    const QString out = dir.filePath(QStringLiteral("a b.txt"));
    whenModal<QFileDialog>([out](QFileDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("保存源文件"));
        if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
            EXPECT_EQ(edit->text(), QStringLiteral("a b.txt"));
        }
        dialog->selectFile(out);
        static_cast<QDialog *>(dialog)->accept();
    });
    editor->Fsave->trigger();
    QFile saved(out);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("one\r\ntwo\r\nthree\r\n\r\n"));
}

TEST_F(SourceEditorWindow, ClipboardGoesThroughTheDesktopAndFillsTheSearchBox)
{
    editor->setSource(QStringLiteral("hello world"), {}, {});
    QTextCursor cursor = editor->Text1->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    editor->Text1->setTextCursor(cursor);
    velmora::test::clearSimulatedDesktopEffects();
    editor->eCut->trigger();
    EXPECT_EQ(editor->Text1->toPlainText(), QStringLiteral(" world"));
    ASSERT_EQ(velmora::test::simulatedDesktopEffects().size(), 1);
    EXPECT_EQ(velmora::test::simulatedDesktopEffects()[0], QStringLiteral("setClipboardText\thello"));
    editor->eCast->trigger();
    EXPECT_EQ(editor->Text1->toPlainText(), QStringLiteral("hello world"));
    // The search box takes the clipboard's text when it gets the focus.
    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(editor->TextFind->lineEdit(), &focusIn);
    EXPECT_EQ(editor->TextFind->currentText(), QStringLiteral("hello"));
}

TEST_F(SourceEditorWindow, FiveMegabyteSourceStaysQuick)
{
    QString source;
    source.reserve(5 * 1024 * 1024 + 100);
    const QString line = QStringLiteral("<div class=\"row\"><a href=\"/item\">item</a></div>\n");
    while (source.size() < 5 * 1024 * 1024)
        source += line;
    source += QStringLiteral("<p>needle</p>\n");
    QElapsedTimer clock;
    clock.start();
    editor->setSource(source, {}, {});
    editor->TextFind->setEditText(QStringLiteral("NEEDLE"));
    editor->CmdFind_Click();
    EXPECT_EQ(editor->Text1->textCursor().selectedText(), QStringLiteral("needle"));
    const qint64 ms = clock.elapsed();
    std::cout << "5 MB source: shown and searched in " << ms << " ms\n";
    EXPECT_LT(ms, 15000);
}

}
