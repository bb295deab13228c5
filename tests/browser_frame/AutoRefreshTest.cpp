#include "browser/frame/AutoRefresh.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

using namespace browser::frame;

// A clock the test advances by hand.
class ManualTicks : public TickSource {
public:
    void start() override { m_active = true; }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

private:
    bool m_active = false;
};

struct Refreshing {
    ManualTicks ticks;
    int tick = 0;
    std::vector<int> refreshes; // the tick numbers that refreshed
    AutoRefresher refresher { ticks, [this] {
                                 refreshes.push_back(tick);
                             } };

    void fire(int count)
    {
        for (int i = 0; i < count && ticks.isActive(); ++i) {
            ++tick;
            ticks.onTick();
        }
    }
};

TEST(AutoRefresh, LeadingSeconds)
{
    struct Case {
        QString text;
        int seconds;
    } cases[] = {
        { QStringLiteral("5 秒"), 5 },
        { QStringLiteral("1 秒"), 1 },
        { QStringLiteral("300 秒"), 300 },
        { QStringLiteral("秒"), 0 },
        { QString(), 0 },
        { QStringLiteral("  12秒"), 12 },
        { QStringLiteral("2.5 秒"), 2 },
        { QStringLiteral("3.5"), 4 },
        { QStringLiteral("-5 秒"), 0 },
        { QStringLiteral("99999999999"), std::numeric_limits<int>::max() },
    };
    for (const Case &c : cases)
        EXPECT_EQ(leadingSeconds(c.text), c.seconds) << qPrintable(c.text);
}

TEST(AutoRefresh, RefreshesAreTheIntervalPlusOneTicksApart)
{
    struct Case {
        QString interval;
        std::vector<int> refreshes; // over 13 ticks
    } cases[] = {
        { QStringLiteral("5 秒"), { 1, 7, 13 } },
        { QStringLiteral("1 秒"), { 1, 3, 5, 7, 9, 11, 13 } },
        { QStringLiteral("3 秒"), { 1, 5, 9, 13 } },
        { QStringLiteral("秒"), { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13 } },
        { QStringLiteral("abc"), { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13 } },
    };
    for (const Case &c : cases) {
        Refreshing run;
        run.refresher.setIntervalText(c.interval);
        EXPECT_EQ(run.refresher.toggle(), kPauseCaption);
        run.fire(13);
        EXPECT_EQ(run.refreshes, c.refreshes) << qPrintable(c.interval);
    }
}

TEST(AutoRefresh, StartsPausedWithTheFivesecondPreset)
{
    Refreshing run;
    EXPECT_EQ(run.refresher.intervalText(), QStringLiteral("5 秒"));
    EXPECT_FALSE(run.refresher.running());
    EXPECT_EQ(run.refresher.buttonCaption(), kStartCaption);
    EXPECT_EQ(refreshIntervals().size(), 10);
    EXPECT_TRUE(refreshIntervals().contains(kDefaultRefreshInterval));
}

TEST(AutoRefresh, PausingAndStartingAgainRefreshesOnTheNextTick)
{
    Refreshing run;
    std::vector<int> shown;
    run.refresher.onCountdown = [&](int seconds) {
        shown.push_back(seconds);
    };
    run.refresher.toggle();
    run.fire(3); // refresh at 1, then 4, 3
    EXPECT_EQ(shown, (std::vector<int> { 5, 4, 3 }));
    EXPECT_EQ(run.refresher.toggle(), kStartCaption);
    EXPECT_FALSE(run.refresher.running());
    run.fire(10); // a paused clock gives no ticks
    EXPECT_EQ(run.tick, 3);
    EXPECT_EQ(run.refresher.toggle(), kPauseCaption);
    run.fire(1);
    EXPECT_EQ(run.refreshes, (std::vector<int> { 1, 4 }));
    EXPECT_EQ(run.refresher.countdown(), 5);
}

TEST(AutoRefresh, ANewIntervalCountsFromTheNextRefresh)
{
    Refreshing run;
    run.refresher.toggle();
    run.fire(1); // refresh, countdown 5
    run.refresher.setIntervalText(QStringLiteral("1 秒"));
    run.fire(8); // 4 3 2 1 0, refresh at 7 (countdown 1), 0 at 8
    run.fire(1); // refresh at 9
    EXPECT_EQ(run.refreshes, (std::vector<int> { 1, 7, 9 }));
}

}
