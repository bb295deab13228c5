#include "web/ui/PagePrinting.h"

#include "tests/ModalWindows.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

#include <functional>
#include <gtest/gtest.h>

namespace {

class PagePrintingTest : public testing::Test {
protected:
    void SetUp() override
    {
        view.resize(400, 300);
        view.show();
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.setHtml(QStringLiteral("<html><body><p>打印测试 print test</p></body></html>"));
        ASSERT_TRUE(loaded.wait(20000));
    }

    QWebEngineView view;
    QTemporaryDir dir;
};

TEST_F(PagePrintingTest, ConfirmedPrintDialogPrintsThePageWithTheKeptPrinter)
{
    web::PagePrinting printing(&view);
    const QString pdf = dir.filePath("page.pdf");
    printing.printer().setOutputFormat(QPrinter::PdfFormat);
    printing.printer().setOutputFileName(pdf);
    QSignalSpy printed(&printing, &web::PagePrinting::printed);
    velmora::test::whenModal<QDialog>([](QDialog *dialog) { dialog->accept(); });
    printing.print();
    ASSERT_TRUE(printed.wait(30000));
    EXPECT_TRUE(printed.first().first().toBool());
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF"));
}

TEST_F(PagePrintingTest, CancelledPrintDialogPrintsNothing)
{
    web::PagePrinting printing(&view);
    const QString pdf = dir.filePath("never.pdf");
    printing.printer().setOutputFormat(QPrinter::PdfFormat);
    printing.printer().setOutputFileName(pdf);
    velmora::test::whenModal<QDialog>([](QDialog *dialog) { dialog->reject(); });
    printing.print();
    EXPECT_FALSE(printing.isPrinting());
    EXPECT_FALSE(QFile::exists(pdf));
}

}
