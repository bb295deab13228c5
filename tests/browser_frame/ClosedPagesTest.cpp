#include "browser/frame/ClosedPages.h"

#include "browser/frame/AddressRules.h"
#include "common/Registry.h"
#include "common/Settings.h"

#include <gtest/gtest.h>

namespace {

using namespace browser::frame;

const QString kSection = QStringLiteral("CancelPage");

class ClosedPagesTest : public testing::Test {
protected:
    void store(int index, const QString &entry)
    {
        settings.save(kSection, QStringLiteral("Page_%1").arg(index), entry);
    }
    // Entries "page n  http://n.example/" for first..last, and "Count".
    void storeRange(int first, int last, int count)
    {
        for (int i = first; i <= last; ++i)
            store(i, QStringLiteral("page %1  http://%1.example/").arg(i));
        settings.save(kSection, QStringLiteral("Count"), QString::number(count));
    }
    QStringList menuAddresses(const ClosedPages &pages) const
    {
        QStringList out;
        for (const auto &item : pages.menuItems())
            out.append(item ? item->address : QStringLiteral("-"));
        while (!out.isEmpty() && out.last() == QLatin1String("-"))
            out.removeLast();
        return out;
    }

    std::unique_ptr<common::RegistryHive> hive = common::RegistryHive::openInMemory();
    common::SettingsStore settings { *hive };
};

TEST_F(ClosedPagesTest, StartUpShowsTheNewestEntriesFirstAndLeavesAGapBeforeTheNext)
{
    storeRange(0, 3, 3);
    ClosedPages pages(settings);
    pages.restore();
    EXPECT_EQ(pages.ClosedPageCount(), 3);
    EXPECT_EQ(menuAddresses(pages),
        (QStringList { "http://3.example/", "http://2.example/", "http://1.example/", "http://0.example/" }));
    EXPECT_EQ(pages.menuItems()[0]->caption, QStringLiteral("page 3"));
    EXPECT_EQ(pages.ClosedMenuIndex(), 4);

    EXPECT_EQ(
        pages.addMenuEntry(QStringLiteral("label"), QStringLiteral("new"), QStringLiteral("http://n.example/")), 5);
    EXPECT_FALSE(pages.menuItems()[4].has_value());
}

TEST_F(ClosedPagesTest, StartUpRestoresAtMost20AndDoesNotWrap)
{
    storeRange(0, 499, 0);
    ClosedPages afterWrap(settings);
    afterWrap.restore();
    EXPECT_EQ(menuAddresses(afterWrap), QStringList { "http://0.example/" });

    settings.save(kSection, QStringLiteral("Count"), QStringLiteral("300"));
    ClosedPages full(settings);
    full.restore();
    const QStringList addresses = menuAddresses(full);
    ASSERT_EQ(addresses.size(), 20);
    EXPECT_EQ(addresses.first(), QStringLiteral("http://300.example/"));
    EXPECT_EQ(addresses.last(), QStringLiteral("http://281.example/"));

    // A damaged "Count" is not used.
    for (const QString &damaged : { QStringLiteral("x"), QStringLiteral("-4"), QStringLiteral("500") }) {
        settings.save(kSection, QStringLiteral("Count"), damaged);
        ClosedPages pages(settings);
        pages.restore();
        EXPECT_EQ(pages.ClosedPageCount(), 0) << damaged.toStdString();
    }
}

TEST_F(ClosedPagesTest, ReopenWalksBackThroughTheRingWithoutWritingCount)
{
    struct Case {
        int count;
        QStringList opened;
    };
    const Case cases[] = {
        { 5, { "http://5.example/", "http://4.example/", "http://3.example/" } },
        { 0, { "http://0.example/", "http://499.example/", "http://498.example/" } },
        { 1, { "http://1.example/", "http://0.example/", "http://499.example/" } },
    };
    storeRange(0, 499, 0);
    for (const Case &c : cases) {
        settings.save(kSection, QStringLiteral("Count"), QString::number(c.count));
        ClosedPages pages(settings);
        pages.restore();
        QStringList opened;
        for (int i = 0; i < 3; ++i)
            opened.append(pages.reopen().address);
        EXPECT_EQ(opened, c.opened) << c.count;
        EXPECT_EQ(settings.read(kSection, QStringLiteral("Count")), QString::number(c.count));
    }
}

TEST_F(ClosedPagesTest, ReopeningAnEmptyEntryOpensNothingAndKeepsItsPlace)
{
    storeRange(0, 1, 1);
    ClosedPages pages(settings);
    pages.restore();
    EXPECT_EQ(pages.reopen().address, QStringLiteral("http://1.example/"));
    EXPECT_EQ(pages.reopen().address, QStringLiteral("http://0.example/"));
    EXPECT_TRUE(pages.reopen().address.isEmpty()); // entry 499 was never written
    EXPECT_EQ(pages.ClosedPageCount(), 499);
    EXPECT_TRUE(pages.reopen().address.isEmpty());
    EXPECT_EQ(pages.ClosedPageCount(), 499);
}

TEST_F(ClosedPagesTest, ScriptAndDataAddressesAreRefusedNotOpened)
{
    store(0, QStringLiteral("ok  http://0.example/"));
    store(1, QStringLiteral("evil  javascript:alert(document.cookie)"));
    store(2, QStringLiteral("evil  data:text/html,<script>alert('http://x')</script>"));
    store(3, QStringLiteral("local  file:///home/u/page.html"));
    settings.save(kSection, QStringLiteral("Count"), QStringLiteral("3"));
    ClosedPages pages(settings);
    pages.restore();

    const ReopenResult local = pages.reopen();
    EXPECT_EQ(local.address, QStringLiteral("file:///home/u/page.html"));
    for (int i = 0; i < 2; ++i) {
        const ReopenResult refused = pages.reopen();
        EXPECT_TRUE(refused.refused);
        EXPECT_TRUE(refused.address.isEmpty());
        EXPECT_TRUE(refused.statusText.startsWith(kRefusedAddressMessage));
    }
    EXPECT_EQ(pages.reopen().address, QStringLiteral("http://0.example/")); // stepped past both

    for (int i = 0; i < ClosedPages::kMenuItems; ++i) {
        const ReopenResult item = pages.reopenItem(i);
        EXPECT_TRUE(item.address.isEmpty() || isReopenableAddress(item.address)) << i;
    }
    EXPECT_EQ(pages.reopenItem(0).address, QStringLiteral("file:///home/u/page.html"));
    EXPECT_TRUE(pages.reopenItem(30).address.isEmpty());
}

TEST_F(ClosedPagesTest, ClosedPagesAreRecordedByAddressLengthAndWrapAfter499)
{
    struct Case {
        QString address;
        bool recorded;
    };
    const Case cases[] = {
        { QStringLiteral("http://a.com"), false }, // 12 characters
        { QStringLiteral("http://ab.com"), true }, // 13
        { QStringLiteral("http://a.example/") + QString(82, QLatin1Char('x')), true }, // 99
        { QStringLiteral("http://a.example/") + QString(83, QLatin1Char('x')), false }, // 100
        { sites::kHomeWithQuery, false },
        { sites::kHomePlain, true },
    };
    for (const Case &c : cases)
        EXPECT_EQ(ClosedPages::isRecordable(c.address), c.recorded) << c.address.size();

    settings.save(kSection, QStringLiteral("Count"), QStringLiteral("498"));
    ClosedPages pages(settings);
    pages.restore();
    EXPECT_EQ(pages.recordClosedPage(QStringLiteral("A & B"), QStringLiteral("http://a.example/")),
        QStringLiteral("A & B  http://a.example/"));
    EXPECT_EQ(settings.read(kSection, QStringLiteral("Count")), QStringLiteral("499"));
    EXPECT_EQ(settings.read(kSection, QStringLiteral("Page_499")), QStringLiteral("A & B  http://a.example/"));
    pages.recordClosedPage(QStringLiteral("B"), QStringLiteral("http://b.example/"));
    EXPECT_EQ(settings.read(kSection, QStringLiteral("Count")), QStringLiteral("0"));
    EXPECT_EQ(settings.read(kSection, QStringLiteral("Page_0")), QStringLiteral("B  http://b.example/"));
    EXPECT_FALSE(pages.recordClosedPage(QStringLiteral("C"), QStringLiteral("http://c")).has_value());
    EXPECT_EQ(pages.ClosedPageCount(), 0);
}

TEST_F(ClosedPagesTest, MenuEntriesCutCaptionsAndReuse22Items)
{
    // After a start with nothing stored, the first entry takes item 1: the restore used item 0's turn.
    ClosedPages started(settings);
    started.restore();
    EXPECT_EQ(started.addMenuEntry(QStringLiteral("l"), QStringLiteral("t"), QStringLiteral("http://a.example/")), 1);

    ClosedPages pages(settings);
    EXPECT_EQ(pages.addMenuEntry(QString(), QStringLiteral("t"), QStringLiteral("http://a.example/")), -1);
    const QString longTitle = QString(45, QChar(0x98CE));
    EXPECT_EQ(pages.addMenuEntry(QStringLiteral("l"), longTitle, QStringLiteral("http://a.example/")), 0);
    EXPECT_EQ(pages.menuItems()[0]->caption, longTitle.left(40));
    for (int i = 1; i < 22; ++i)
        EXPECT_EQ(pages.addMenuEntry(QStringLiteral("l"), QStringLiteral("t"), QStringLiteral("http://b.example/")), i);
    EXPECT_EQ(pages.addMenuEntry(QStringLiteral("l"), QStringLiteral("again"), QStringLiteral("http://c.example/")), 0);
    EXPECT_EQ(pages.menuItems()[0]->caption, QStringLiteral("again"));
    EXPECT_EQ(plainMenuText(QStringLiteral("Tom & Jerry &&")), QStringLiteral("Tom && Jerry &&&&"));
}

TEST_F(ClosedPagesTest, ClearEmptiesTheMenuAndTheStoreForTheNextStart)
{
    storeRange(0, 3, 3);
    ClosedPages pages(settings);
    pages.restore();
    pages.clear();
    EXPECT_EQ(pages.ClosedMenuIndex(), -1);
    EXPECT_EQ(pages.ClosedPageCount(), 0);
    EXPECT_TRUE(menuAddresses(pages).isEmpty());
    EXPECT_TRUE(pages.reopen().address.isEmpty());

    ClosedPages restarted(settings);
    restarted.restore();
    EXPECT_TRUE(menuAddresses(restarted).isEmpty());
    EXPECT_TRUE(settings.read(kSection, QStringLiteral("Page_3")).isEmpty());
    EXPECT_TRUE(settings.read(kSection, QStringLiteral("Count")).isEmpty());
}

TEST(ClosedPageEntry, TheAddressStartsAtTheSeparatorBeforeItsScheme)
{
    struct Case {
        QString stored;
        QString caption;
        QString address;
    };
    const Case cases[] = {
        { QStringLiteral("风景  http://a.example/"), QStringLiteral("风景"), QStringLiteral("http://a.example/") },
        { QStringLiteral("http tips  https://a.example/"),
            QStringLiteral("http tips"),
            QStringLiteral("https://a.example/") },
        { QStringLiteral("local  file:///x.html"), QStringLiteral("local"), QStringLiteral("file:///x.html") },
        { QStringLiteral("x http://a.example/"), QString(), QStringLiteral("http://a.example/") },
        { QStringLiteral("no address"), QStringLiteral("no address"), QString() },
    };
    for (const Case &c : cases) {
        const ClosedPageEntry entry = splitClosedEntry(c.stored);
        EXPECT_EQ(entry.caption, c.caption) << c.stored.toStdString();
        EXPECT_EQ(entry.address, c.address) << c.stored.toStdString();
    }
}

}
