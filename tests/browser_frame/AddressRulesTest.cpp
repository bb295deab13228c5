#include "browser/frame/AddressRules.h"

#include "browser/frame/FrameSettings.h"
#include "common/Registry.h"
#include "common/Settings.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace browser::frame;

TEST(AddressRules, GoSearchesForTextWithoutADotAndVisitsTheRest)
{
    struct Case {
        QString typed;
        QString opened;
    };
    const Case cases[] = {
        { QStringLiteral("风景"), QStringLiteral("https://www.baidu.com/s?wd=风景") },
        { QStringLiteral("a b&c"), QStringLiteral("https://www.baidu.com/s?wd=a b&c") }, // not encoded
        { QStringLiteral("example.org"), QStringLiteral("example.org") }, // no scheme added
        { QStringLiteral("http://www."), QStringLiteral("http://www.") },
        { QStringLiteral("localhost:8080"), QStringLiteral("https://www.baidu.com/s?wd=localhost:8080") },
        { QString(), QStringLiteral("https://www.baidu.com/s?wd=") },
    };
    for (const Case &c : cases)
        EXPECT_EQ(goAddress(c.typed), c.opened) << c.typed.toStdString();
}

TEST(AddressRules, ABlankPageShowsAnAddressToTypeOver)
{
    EXPECT_EQ(addressBoxText(QStringLiteral("about:blank")), QStringLiteral("http://www."));
    EXPECT_EQ(addressBoxText(QStringLiteral("about:blank ")), QStringLiteral("about:blank "));
    EXPECT_EQ(addressBoxText(QStringLiteral("https://a.example/")), QStringLiteral("https://a.example/"));
    EXPECT_EQ(shownAddress(sites::kHomeWithQuery), sites::kHomePlain);
    EXPECT_EQ(shownAddress(sites::kHomePlain), sites::kHomePlain);
    EXPECT_TRUE(sites::kHomeWithQuery.startsWith(sites::kHomePlain));
}

TEST(AddressRules, AListEntryOpensItsAddressAlone)
{
    struct Case {
        QString entry;
        QString address;
    };
    const Case cases[] = {
        { addressListEntry(QStringLiteral("风景 图片"), QStringLiteral("https://a.example/x")),
            QStringLiteral("https://a.example/x") },
        { QStringLiteral("http://b.example/  title"), QStringLiteral("http://b.example/  title") },
        { QStringLiteral("no address here"), QStringLiteral("no address here") },
        { QStringLiteral("Http  http://c.example/"), QStringLiteral("http://c.example/") }, // compared exactly
    };
    for (const Case &c : cases)
        EXPECT_EQ(addressFromListEntry(c.entry), c.address) << c.entry.toStdString();
    EXPECT_EQ(addressListEntry(QStringLiteral("T"), QStringLiteral("http://x.example/")),
        QStringLiteral("T  http://x.example/"));
}

TEST(AddressRules, PictureSearchUsesThePresetWordsAndGrowsTheList)
{
    const QStringList words = presetSearchWords();
    ASSERT_EQ(words.size(), 27);
    EXPECT_EQ(words.first(), QStringLiteral("香山"));
    EXPECT_EQ(words.last(), QStringLiteral("夜色"));
    EXPECT_EQ(words.count(QStringLiteral("海洋风光")), 2);
    EXPECT_EQ(words.indexOf(kInitialSearchWord), 6);

    EXPECT_EQ(pictureSearchAddress(QStringLiteral("日出")),
        QStringLiteral("https://image.baidu.com/search/index?tn=baiduimage&ps=1&ct=201326592&lm=-1&cl=2&nc=1&ie=utf-8"
                       "&word=日出"));
    SearchWords list;
    EXPECT_EQ(list.search(QStringLiteral("城市夜景")), pictureSearchAddress(QStringLiteral("城市夜景")));
    list.search(QStringLiteral("城市夜景"));
    EXPECT_EQ(list.words().count(QStringLiteral("城市夜景")), 3);
    EXPECT_EQ(list.words().size(), 29);
}

TEST(AddressRules, OnlyWebAndFileAddressesAreReopened)
{
    struct Case {
        QString address;
        bool allowed;
    };
    const Case cases[] = {
        { QStringLiteral("http://a.example/"), true },
        { QStringLiteral("HTTPS://a.example/p?q=1"), true },
        { QStringLiteral("ftp://files.example/x.zip"), true },
        { QStringLiteral("file:///home/u/History/2021-11-1.html"), true },
        { QStringLiteral("javascript:alert(1)"), false },
        { QStringLiteral("JavaScript:alert('http://a.example/')"), false },
        { QStringLiteral("data:text/html,<script>x</script>"), false },
        { QStringLiteral("about:blank"), false },
        { QStringLiteral("http://"), false },
        { QStringLiteral("httpx://a.example/"), false },
        { QString(), false },
    };
    for (const Case &c : cases)
        EXPECT_EQ(isReopenableAddress(c.address), c.allowed) << c.address.toStdString();
}

TEST(FrameSettings, TheFramesFoldersAreMadeOnce)
{
    QTemporaryDir dir;
    const QString data = dir.path() + QStringLiteral("/Velmora/");
    EXPECT_TRUE(makeFrameFolders(data));
    EXPECT_TRUE(QFileInfo(data + QStringLiteral("History")).isDir());
    EXPECT_TRUE(QFileInfo(data + QStringLiteral("Favorites")).isDir());
    EXPECT_TRUE(makeFrameFolders(data));
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(makeFrameFolders(blocker.fileName() + QLatin1Char('/')));
}

TEST(FrameSettings, NumbersAreReadAndAnythingElseLeavesTheValue)
{
    auto hive = common::RegistryHive::openInMemory();
    common::SettingsStore settings(*hive);
    common::BrowserSettings values;
    values.SafeMode = false;
    values.BackgroundTabs = true;
    readFrameSettings(settings, values);
    EXPECT_TRUE(values.SafeMode);
    EXPECT_TRUE(values.BackgroundTabs); // missing: unchanged
    EXPECT_FALSE(values.AutoSave);
    EXPECT_TRUE(values.StartPage.isEmpty()); // the first tab then opens an empty address

    settings.save(QStringLiteral("setup"), QStringLiteral("UnderMe"), QStringLiteral("0"));
    settings.save(QStringLiteral("setup"), QStringLiteral("AutoDownload"), QStringLiteral("yes"));
    settings.save(QStringLiteral("setup"), QStringLiteral("Homepage"), QStringLiteral("https://a.example/"));
    values.AutoSave = true;
    readFrameSettings(settings, values);
    EXPECT_FALSE(values.BackgroundTabs);
    EXPECT_TRUE(values.AutoSave);
    EXPECT_EQ(values.StartPage, QStringLiteral("https://a.example/"));

    EXPECT_FALSE(clearClosedPagesOnClose(settings));
    settings.save(QStringLiteral("setup"), QStringLiteral("DelHistory"), QStringLiteral("1"));
    EXPECT_TRUE(clearClosedPagesOnClose(settings));
    settings.save(QStringLiteral("setup"), QStringLiteral("DelHistory"), QStringLiteral("2"));
    EXPECT_FALSE(clearClosedPagesOnClose(settings));
}

}
