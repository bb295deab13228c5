#include "browser/page/PageRules.h"

#include "browser/frame/AddressRules.h"
#include "browser/frame/History.h"
#include "browser/page/PageTimers.h"
#include "browser/page/SearchSites.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace browser::page;

TEST(ProgressText, PercentagesAndTheEndOfLoading)
{
    struct Report {
        qint64 progress;
        qint64 max;
        QString text;
        bool startsTimer;
    };
    struct Case {
        const char *name;
        bool autoSave;
        std::vector<Report> reports;
    };
    const Case cases[] = {
        { "end without a percentage", true, { { -1, 0, QStringLiteral("100%"), false } } },
        { "end keeps the last percentage",
            false,
            { { 50, 100, QStringLiteral("50 %"), false }, { -1, 100, QStringLiteral("50 %"), false } } },
        { "zero keeps the last percentage",
            false,
            { { 40, 100, QStringLiteral("40 %"), false }, { 0, 100, QStringLiteral("40 %"), false } } },
        { "above 100 empties the label",
            true,
            { { 40, 100, QStringLiteral("40 %"), false },
                { 150, 100, QString(), false },
                { -1, 100, QStringLiteral("100%"), false } } },
        { "exactly 100 starts saving", true, { { 100, 100, QStringLiteral("100 %"), true } } },
        { "100 without automatic saving", false, { { 100, 100, QStringLiteral("100 %"), false } } },
        { "99.9 does not start saving", true, { { 999, 1000, QStringLiteral("99.9 %"), false } } },
        { "a third", false, { { 1, 3, QStringLiteral("33.33333 %"), false } } },
        { "no maximum", false, { { 5, 0, QString(), false } } },
    };
    for (const Case &c : cases) {
        ProgressText progress;
        for (const Report &r : c.reports) {
            const auto step = progress.onProgress(r.progress, r.max, c.autoSave);
            EXPECT_EQ(step.text, r.text) << c.name << " " << r.progress;
            EXPECT_EQ(step.startSaveTimer, r.startsTimer) << c.name << " " << r.progress;
        }
    }
}

TEST(TitleRules, LabelsCaptionsAndHistoryRows)
{
    const QString start = QStringLiteral("https://start.example/");
    struct Case {
        const char *name;
        QString documentTitle;
        QString location;
        QString label;
        QString toolTip;
        bool row;
    };
    const Case cases[] = {
        { "blank page",
            QStringLiteral("about:blank"),
            QStringLiteral("about:blank"),
            QString(),
            TitleRules::kBlankToolTip,
            true },
        { "no document title",
            QString(),
            QStringLiteral("https://a.example/"),
            QStringLiteral("https://a.example/"),
            QStringLiteral("https://a.example/"),
            false },
        { "history page",
            QStringLiteral("网站访问历史"),
            QStringLiteral("file:///h.html"),
            QStringLiteral("网站访问历史"),
            QStringLiteral("网站访问历史"),
            false },
        { "start page", QStringLiteral("Start"), start, QStringLiteral("Start"), QStringLiteral("Start"), false },
        { "long title",
            QString(150, QLatin1Char('t')),
            QStringLiteral("https://a.example/"),
            QString(100, QLatin1Char('t')),
            QString(100, QLatin1Char('t')),
            true },
    };
    for (const Case &c : cases) {
        TitleRules rules;
        const TitleChange change = rules.onTitleChange(c.documentTitle, c.location, start, false);
        EXPECT_EQ(change.labelText, c.label) << c.name;
        EXPECT_EQ(change.labelToolTip, c.toolTip) << c.name;
        EXPECT_EQ(change.windowCaption, change.title) << c.name;
        EXPECT_EQ(change.addHistoryRow, c.row) << c.name;
        EXPECT_FALSE(change.updatesFrame) << c.name;
    }
}

TEST(TitleRules, TheSameTitleTwiceAddsOneRowAndTheCurrentTabUpdatesTheFrame)
{
    TitleRules rules;
    const QString page = QStringLiteral("https://a.example/");
    EXPECT_TRUE(rules.onTitleChange(QStringLiteral("A"), page, QString(), true).addHistoryRow);
    EXPECT_FALSE(rules.onTitleChange(QStringLiteral("A"), page, QString(), true).addHistoryRow);
    EXPECT_TRUE(rules.onTitleChange(QStringLiteral("B"), page, QString(), true).addHistoryRow);
    EXPECT_TRUE(rules.onTitleChange(QStringLiteral("A"), page, QString(), true).addHistoryRow);
    EXPECT_EQ(rules.LastHistoryTitle(), QStringLiteral("A"));

    const TitleChange home = rules.onTitleChange(
        QStringLiteral("首页"), browser::frame::sites::kHomeWithQuery, QStringLiteral("https://s.example/"), true);
    EXPECT_TRUE(home.updatesFrame);
    EXPECT_EQ(home.frameCaption, QStringLiteral("首页 - Nimbrow "));
    EXPECT_EQ(home.addressText, browser::frame::sites::kHomePlain);
}

TEST(TabHistory, RowsAreGatheredNewestFirstAndAppendedAsOneLine)
{
    QTemporaryDir dir;
    const QString data = dir.path() + QLatin1Char('/');
    const QDate day(2021, 11, 1);
    TabHistory history;
    history.AddHistoryRow(QDateTime(day, QTime(9, 0)), QStringLiteral("https://a.example/"), QStringLiteral("first"));
    history.AddHistoryRow(QDateTime(day, QTime(9, 1)), QStringLiteral("https://b.example/"), QStringLiteral("<b>"));
    const QStringList rows = history.text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[0].contains(QStringLiteral("&lt;b&gt;")));
    EXPECT_TRUE(rows[1].contains(QStringLiteral(">first</a>")));
    EXPECT_TRUE(rows[2].isEmpty());

    ASSERT_TRUE(history.WriteTabHistory(data, day));
    ASSERT_TRUE(history.WriteTabHistory(data, day));
    QFile file(browser::frame::dayFilePath(data, day));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), ((history.text() + QStringLiteral("\r\n")).repeated(2)).toUtf8());
}

TEST(PageClose, AddressLengthDecidesTheClosedPageEntry)
{
    struct Case {
        QString address;
        bool recorded;
        bool history;
    };
    const Case cases[] = {
        { QStringLiteral("http://a.com"), false, true },
        { QStringLiteral("http://ab.com"), true, true },
        { QStringLiteral("http://a.example/") + QString(83, QLatin1Char('x')), false, true },
        { browser::frame::sites::kHomeWithQuery, false, false },
        { QString(), false, true },
    };
    for (const Case &c : cases) {
        const CloseRecord record = closeRecordFor(c.address);
        EXPECT_EQ(record.recordClosedPage, c.recorded) << c.address.toStdString();
        EXPECT_EQ(record.writeHistory, c.history) << c.address.toStdString();
    }
}

TEST(PageLayout, ControlsFollowTheWindow)
{
    PageLayout layout;
    layout.resize(15000, 9000);
    EXPECT_EQ(layout.webTop, -50);
    EXPECT_EQ(layout.webWidth, 15050);
    EXPECT_EQ(layout.webHeight, 8810);
    EXPECT_EQ(layout.galleryWidth, 15000);
    EXPECT_EQ(layout.labelsTop, 8745);
    EXPECT_EQ(layout.lab6Width, 3450);
}

TEST(SearchSites, SuffixesCountOnlyAfterTheEighthCharacter)
{
    struct Case {
        QString address;
        bool search;
    };
    const Case cases[] = {
        { QStringLiteral("https://www.baidu.com/s?wd=x"), true },
        { QStringLiteral("https://image.so.com/i?q=x"), true },
        { QStringLiteral("http://.baidu.com/"), false }, // found at position 8
        { QStringLiteral("https://.baidu.com/"), true }, // position 9
        { QStringLiteral("https://baidu.com/"), false }, // no dot in front
        { QStringLiteral("https://www.baidu.com"), false }, // no slash after
        { QStringLiteral("https://WWW.BAIDU.COM/"), false }, // letter case counts
        { QStringLiteral("https://a.example/?u=www.bing.com/"), true },
        { QStringLiteral("https://a.example/"), false },
        { QString(), false },
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsSearchEngineAddress(c.address), c.search) << c.address.toStdString();
    EXPECT_EQ(searchEngineSuffixes().size(), 11);
    for (const QString &suffix : searchEngineSuffixes())
        EXPECT_TRUE(suffix.startsWith(QLatin1Char('.')) && suffix.endsWith(QLatin1Char('/'))) << suffix.toStdString();
    // The browser's own search sites are search pages, so they keep their scripts in safe mode.
    EXPECT_TRUE(IsSearchEngineAddress(browser::frame::webSearchAddress(QStringLiteral("x"))));
    EXPECT_TRUE(IsSearchEngineAddress(browser::frame::pictureSearchAddress(QStringLiteral("x"))));
}

TEST(SearchSites, SafeModeForPagesAndPopups)
{
    EXPECT_EQ(kImageSearchPrefixA.size(), 23);
    EXPECT_EQ(kImageSearchPrefixB.size(), 20);
    EXPECT_TRUE(needsControlledMode(true, QStringLiteral("https://a.example/")));
    EXPECT_FALSE(needsControlledMode(true, QStringLiteral("https://www.baidu.com/s?wd=x")));
    EXPECT_FALSE(needsControlledMode(false, QStringLiteral("https://a.example/")));

    EXPECT_FALSE(safeModeForPopup(true, browser::frame::pictureSearchAddress(QStringLiteral("x"))));
    EXPECT_FALSE(safeModeForPopup(true, QStringLiteral("https://image.so.com/i?q=x")));
    EXPECT_TRUE(safeModeForPopup(true, QStringLiteral("https://a.example/")));
    EXPECT_FALSE(safeModeForPopup(false, QStringLiteral("https://a.example/")));
}

TEST(PageTimers, SixPictureTicksAfterEachNavigation)
{
    for (const bool autoSave : { false, true }) {
        SaveTicker ticker;
        for (int round = 0; round < 2; ++round) {
            for (int i = 1; i <= 6; ++i) {
                const auto step = ticker.tick(autoSave);
                EXPECT_EQ(step.save, autoSave);
                EXPECT_EQ(step.count, !autoSave);
                EXPECT_EQ(step.stopTimer, i == 6) << i;
            }
            ticker.rearm();
            EXPECT_EQ(ticker.SaveTicks(), 0);
        }
    }
}

TEST(PageTimers, TheLoadWatchWaitsForAnAddressAndBringsAPopupForwardOnce)
{
    LoadWatch watch;
    auto step = watch.tick(QString(), true, true);
    EXPECT_TRUE(step.clearAddressBox);
    EXPECT_TRUE(step.activateThisTab);
    EXPECT_FALSE(step.stopTimer);
    step = watch.tick(QString(), false, true);
    EXPECT_FALSE(step.clearAddressBox);
    EXPECT_FALSE(step.activateThisTab);
    step = watch.tick(QStringLiteral("https://a.example/"), true, true);
    EXPECT_TRUE(step.stopTimer);
    EXPECT_TRUE(watch.LoadSettled());
    step = watch.tick(QString(), true, true); // settled: only counts
    EXPECT_FALSE(step.clearAddressBox);
    EXPECT_EQ(watch.LoadTicks(), 4);

    LoadWatch foreground;
    EXPECT_FALSE(foreground.tick(QString(), true, false).activateThisTab);
}

}
