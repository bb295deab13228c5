#include "browser/page/ui/FormWeb.h"

#include "ServicesUnderTest.h"
#include "browser/frame/ClosedPages.h"
#include "browser/page/ui/PageHost.h"
#include "tests/TestSupport.h"
#include "web/ui/SilentPage.h"

#include <QDate>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebEngineView>

#include <gtest/gtest.h>

using browser::page::FormWeb;

namespace {

// A frame that only records what the page window asks of it.
struct RecordingHost : browser::page::PageHost {
    bool current = true;
    QString label;
    QString toolTip;
    QString caption;
    QString address;
    QStringList listEntries;
    bool isCurrentTab(const FormWeb *) const override { return current; }
    void setTabLabel(int, const QString &text, const QString &tip) override
    {
        label = text;
        toolTip = tip;
    }
    void showActivePage(const QString &frameCaption, const QString &addressText) override
    {
        caption = frameCaption;
        address = addressText;
    }
    void setAddressText(const QString &text) override { address = text; }
    void setNavigationEnabled(bool, bool) override { }
    QWebEnginePage *openPopupTab(FormWeb *) override { return nullptr; }
    void openInNewTab(const QString &) override { }
    void addAddressListEntry(const QString &entry) override { listEntries << entry; }
    void pageViewFocused() override { }
    void selectionTaken(const QString &) override { }
    void bringForward(FormWeb *) override { }
    void pageActivated(FormWeb *) override { }
    void openDownloadFolder() override { }
};

class PageWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        s.values.DataFolder = folder.path() + QLatin1Char('/');
    }
    // A local page file; `title` empty: the page has none.
    QString pageFile(const QString &name, const QString &title)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        const QString head = title.isEmpty() ? QString() : QStringLiteral("<title>%1</title>").arg(title);
        file.write(QStringLiteral("<html><head>%1</head><body>text</body></html>").arg(head).toUtf8());
        return QUrl::fromLocalFile(path).toString();
    }
    FormWeb *open(const QString &address)
    {
        auto *page = new FormWeb(host, s.services, s.values, closedPages, 3, address, true, nullptr);
        page->resize(900, 600);
        page->show();
        page->Navigate(address);
        return page;
    }

    velmora::test::ServicesUnderTest s;
    QTemporaryDir folder;
    RecordingHost host;
    browser::frame::ClosedPages closedPages { s.settings };
};

TEST_F(PageWindow, ShowsProgressAndTitleAndRecordsItsClose)
{
    const QString address = pageFile(QStringLiteral("titled.html"), QStringLiteral("风景 & 图片"));
    FormWeb *page = open(address);
    EXPECT_EQ(page->Lab[4]->text(), QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    ASSERT_TRUE(velmora::test::waitUntil([&] { return host.label == QStringLiteral("风景 & 图片"); }, 20000));
    ASSERT_TRUE(velmora::test::waitUntil([&] { return page->Lab[4]->text() == QStringLiteral("100 %"); }, 20000));
    EXPECT_EQ(host.toolTip, QStringLiteral("风景 & 图片"));
    EXPECT_EQ(host.caption, QStringLiteral("风景 & 图片 - Nimbrow "));
    EXPECT_EQ(host.address, address);
    EXPECT_EQ(page->windowTitle(), QStringLiteral("风景 & 图片"));
    // Safe mode, not a search site: scripts off through the download control.
    ASSERT_NE(page->vCWebMe, nullptr);
    EXPECT_EQ(page->vCWebMe->DownloadCtrlEX(), 240);
    EXPECT_TRUE(page->tabHistory().text().contains(QStringLiteral("风景 &amp; 图片")));

    page->close();
    const QString entry = QStringLiteral("风景 & 图片  ") + address;
    if (address.size() > 12 && address.size() < 100) {
        ASSERT_EQ(host.listEntries, QStringList { entry });
        EXPECT_EQ(s.settings.read(QStringLiteral("CancelPage"), QStringLiteral("Page_1")), entry);
    } else {
        EXPECT_TRUE(host.listEntries.isEmpty());
    }
    QFile day(s.values.DataFolder
        + QStringLiteral("History/%1-%2-%3.dat")
              .arg(QDate::currentDate().year())
              .arg(QDate::currentDate().month())
              .arg(QDate::currentDate().day()));
    ASSERT_TRUE(day.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(day.readAll()).contains(QStringLiteral("风景 &amp; 图片")));
}

TEST_F(PageWindow, UntitledAndBlankPagesFollowTheTitleRules)
{
    const QString address = pageFile(QStringLiteral("untitled.html"), QString());
    FormWeb *page = open(address);
    ASSERT_TRUE(velmora::test::waitUntil([&] { return host.label == address; }, 20000));
    // An untitled page shows its address and adds no history row.
    EXPECT_TRUE(page->tabHistory().text().isEmpty());
    page->Navigate(QStringLiteral("about:blank"));
    ASSERT_TRUE(velmora::test::waitUntil([&] { return host.label.isEmpty() && !host.toolTip.isEmpty(); }, 20000));
    EXPECT_EQ(host.toolTip, QStringLiteral("鼠标右击查看属性，双击后可以关闭当前窗口"));
    // A page that is not the current tab leaves the frame's caption alone.
    host.current = false;
    host.caption.clear();
    page->Navigate(pageFile(QStringLiteral("other.html"), QStringLiteral("Other")));
    ASSERT_TRUE(velmora::test::waitUntil([&] { return host.label == QStringLiteral("Other"); }, 20000));
    EXPECT_TRUE(host.caption.isEmpty());
    delete page;
}

}
