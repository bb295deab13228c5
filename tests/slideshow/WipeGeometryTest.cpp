#include "EffectHarness.h"

#include <set>

namespace slideshow::test {

namespace {

    struct WipeCase {
        const char *name;
        int direction;
        std::function<bool(int x, int y, int p, int w, int h)> fromIncoming;
    };

}

TEST(NormalWipe, BandsGrowFromTheEdgeOfEachDirection)
{
    const WipeCase cases[] = {
        { "up",
            1,
            [](int, int y, int p, int, int) {
                return y < p;
            } },
        { "down",
            2,
            [](int, int y, int p, int, int h) {
                return y >= h - p;
            } },
        { "left",
            4,
            [](int x, int, int p, int, int) {
                return x < p;
            } },
        { "right",
            8,
            [](int x, int, int p, int w, int) {
                return x >= w - p;
            } },
        { "none",
            0,
            [](int, int, int, int, int) {
                return false;
            } },
    };
    for (const WipeCase &c : cases) {
        SCOPED_TRACE(c.name);
        EffectHarness h(20, 14);
        h.run(NormalWipe(h.display, h.incoming, Direction(c.direction), 3));
        const int limit = c.direction > 3 ? 20 : 14;
        const std::size_t steps = static_cast<std::size_t>((limit + 2) / 3);
        ASSERT_EQ(h.frames.size(), steps + 1);
        for (std::size_t k = 0; k < steps; ++k) {
            const int p = static_cast<int>(k) * 3;
            EXPECT_TRUE(h.shows(h.frames[k], [&](int x, int y) { return c.fromIncoming(x, y, p, 20, 14); }))
                << "step " << k;
        }
        EXPECT_EQ(h.frames.back(), h.incoming);
    }
}

TEST(NormalWipe, StepLargerThanTheLimitDrawsAnEmptyBandThenTheFinalFrame)
{
    EffectHarness h(10, 8);
    h.run(NormalWipe(h.display, h.incoming, Direction::Down, 100));
    ASSERT_EQ(h.frames.size(), 2u);
    EXPECT_EQ(h.frames[0], h.outgoing);
    EXPECT_EQ(h.frames[1], h.incoming);
}

TEST(HalfWipes, OddHeightsRoundTheHalfToEven)
{
    struct Case {
        int height;
        int half;
    };
    for (const Case c : { Case { 5, 2 }, Case { 7, 4 }, Case { 6, 3 } }) {
        SCOPED_TRACE(c.height);
        EffectHarness inside(6, c.height);
        inside.run(InsideOutWipe(inside.display, inside.incoming, Axis::Vertical, 1));
        ASSERT_EQ(inside.frames.size(), static_cast<std::size_t>(c.half) + 1);
        for (int p = 0; p < c.half; ++p)
            EXPECT_TRUE(inside.shows(inside.frames[static_cast<std::size_t>(p)],
                [&](int, int y) { return y >= c.half - p && y < c.half + p; }));

        EffectHarness outside(6, c.height);
        outside.run(OutsideInWipe(outside.display, outside.incoming, Axis::Vertical, 1));
        ASSERT_EQ(outside.frames.size(), static_cast<std::size_t>(c.half) + 1);
        for (int p = 0; p < c.half; ++p)
            EXPECT_TRUE(outside.shows(
                outside.frames[static_cast<std::size_t>(p)], [&](int, int y) { return y < p || y >= c.height - p; }));
    }
}

TEST(HalfWipes, HorizontalAxisUsesColumns)
{
    EffectHarness h(9, 4);
    h.run(InsideOutWipe(h.display, h.incoming, Axis::Horizontal, 2));
    // half = round(4.5) = 4; steps at p = 0, 2.
    ASSERT_EQ(h.frames.size(), 3u);
    EXPECT_TRUE(h.shows(h.frames[1], [](int x, int) { return x >= 2 && x < 6; }));
}

TEST(ZoomWipe, IncomingPictureSqueezedIntoTheGrowingSide)
{
    // Uniform pictures make the stretched parts exact.
    EffectHarness h(16, 4);
    h.display.fill({ 1, 2, 3 });
    h.outgoing = h.display;
    h.incoming.fill({ 9, 8, 7 });
    struct Case {
        int side;
        int mode;
    };
    for (const Case c : { Case { 1, 1 }, Case { 2, 1 }, Case { 1, 2 } }) {
        h.frames.clear();
        h.display = h.outgoing;
        h.run(ZoomWipe(h.display, h.outgoing, h.incoming, ZoomSide(c.side), 4, 0, ZoomMode(c.mode)));
        ASSERT_EQ(h.frames.size(), 5u);
        const RasterSurface &frame = h.frames[2]; // p = 8
        for (int x = 0; x < 16; ++x) {
            const bool in = c.side == 1 ? x < 8 : x >= 8;
            EXPECT_EQ(frame.pixel(x, 1), in ? h.incoming.pixel(x, 1) : h.outgoing.pixel(x, 1)) << x;
        }
    }
}

TEST(ZoomWipe, MoveModePushesTheOutgoingPictureUnscaled)
{
    EffectHarness h(12, 3);
    h.run(ZoomWipe(h.display, h.outgoing, h.incoming, ZoomSide::Right, 5, 0, ZoomMode::Move));
    // Side 2 at p = 5: outgoing columns 5..11 shown at 0..6.
    const RasterSurface &frame = h.frames[1];
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(frame.pixel(x, 2), h.outgoing.pixel(x + 5, 2));
}

TEST(RandomLines, DrawsStepPlusOneWholeLinesPerTick)
{
    for (const int step : { 1, 3 }) {
        SCOPED_TRACE(step);
        EffectHarness h(40, 6);
        h.run(RandomLines(h.display, h.incoming, Axis::Vertical, step));
        ASSERT_GE(h.frames.size(), 3u);
        std::set<int> previous;
        for (std::size_t k = 0; k + 1 < h.frames.size(); ++k) {
            std::set<int> columns;
            for (int x = 0; x < 40; ++x) {
                int rows = 0;
                for (int y = 0; y < 6; ++y)
                    rows += h.frames[k].pixel(x, y) == h.incoming.pixel(x, y) ? 1 : 0;
                EXPECT_TRUE(rows == 0 || rows == 6) << "column " << x << " drawn in part";
                if (rows == 6)
                    columns.insert(x);
            }
            // One line of the order may lie just past the edge and draw nothing.
            const int expected = static_cast<int>(k + 1) * (step + 1);
            EXPECT_GE(static_cast<int>(columns.size()), std::min(expected - 1, 39));
            EXPECT_LE(static_cast<int>(columns.size()), expected);
            EXPECT_TRUE(std::includes(columns.begin(), columns.end(), previous.begin(), previous.end()));
            previous = columns;
        }
    }
}

TEST(RandomLines, RowsForTheHorizontalAxisAndASeededOrder)
{
    EffectHarness a(5, 30);
    EffectHarness b(5, 30);
    a.run(RandomLines(a.display, a.incoming, Axis::Horizontal, 1));
    b.run(RandomLines(b.display, b.incoming, Axis::Horizontal, 1));
    ASSERT_EQ(a.frames.size(), b.frames.size());
    EXPECT_EQ(a.frames[2], b.frames[2]);
    int rows = 0;
    for (int y = 0; y < 30; ++y)
        rows += a.frames[0].pixel(0, y) == a.incoming.pixel(0, y) && a.frames[0].pixel(4, y) == a.incoming.pixel(4, y);
    EXPECT_GE(rows, 1);
    EXPECT_LE(rows, 2);
}

TEST(Bars, AlternateBarsGrowFromOppositeEdges)
{
    EffectHarness h(10, 12);
    h.run(BarsDraw(h.display, h.incoming, Axis::Vertical, 2, 3, true));
    // At p = 4 bars at x = 0, 3, 6, 9 alternate top, bottom, top, bottom.
    EXPECT_TRUE(h.shows(h.frames[2], [](int x, int y) { return (x / 3) % 2 == 0 ? y < 4 : y >= 8; }));

    EffectHarness v(12, 10);
    v.run(BarsDraw(v.display, v.incoming, Axis::Horizontal, 2, 3, false));
    EXPECT_TRUE(v.shows(v.frames[2], [](int x, int y) { return (y / 3) % 2 == 0 ? x >= 8 : x < 4; }));
}

TEST(Bars, MovingBarsSlideInFromTheEdges)
{
    EffectHarness h(10, 12);
    h.run(BarsMove(h.display, h.incoming, Axis::Vertical, 2, 3, true));
    const RasterSurface &frame = h.frames[2]; // p = 4
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 12; ++y) {
            const bool top = (x / 3) % 2 == 0;
            Bgr want = h.outgoing.pixel(x, y);
            if (top && y < 4)
                want = h.incoming.pixel(x, 12 - 4 + y);
            else if (!top && y >= 8)
                want = h.incoming.pixel(x, y - 8);
            EXPECT_EQ(frame.pixel(x, y), want) << x << "," << y;
        }

    EffectHarness v(12, 10);
    v.run(BarsMove(v.display, v.incoming, Axis::Horizontal, 3, 5, true));
    // At p = 3 the first bar (rows 0..4) shows incoming columns 9..11 at 0..2.
    EXPECT_EQ(v.frames[1].pixel(0, 2), v.incoming.pixel(9, 2));
    EXPECT_EQ(v.frames[1].pixel(10, 7), v.incoming.pixel(1, 7));
}

TEST(Blinds, SlatsOpenInTheirDirection)
{
    const WipeCase cases[] = {
        { "left",
            4,
            [](int x, int, int o, int, int) {
                return x % 5 < o;
            } },
        { "right",
            8,
            [](int x, int, int o, int, int) {
                return x % 5 >= 5 - o;
            } },
        { "up",
            1,
            [](int, int y, int o, int, int) {
                return y % 5 < o;
            } },
        { "down",
            2,
            [](int, int y, int o, int, int) {
                return y % 5 >= 5 - o;
            } },
    };
    for (const WipeCase &c : cases) {
        SCOPED_TRACE(c.name);
        EffectHarness h(12, 11);
        h.run(Blinds(h.display, h.incoming, Direction(c.direction), 2, 5));
        ASSERT_EQ(h.frames.size(), 4u); // o = 0, 2, 4, then the final frame
        EXPECT_TRUE(h.shows(h.frames[2], [&](int x, int y) { return c.fromIncoming(x, y, 4, 12, 11); }));
    }
}

}
