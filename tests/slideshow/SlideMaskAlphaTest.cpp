#include "EffectHarness.h"
#include "common/Numbers.h"

#include <cmath>

namespace slideshow::test {

namespace {

    ::testing::AssertionResult matches(const RasterSurface &frame, const std::function<Bgr(int, int)> &expected)
    {
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                if (frame.pixel(x, y) != expected(x, y))
                    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ")";
        return ::testing::AssertionSuccess();
    }

}

TEST(SlideTransition, OutgoingSlidesOutThenIncomingSlidesBack)
{
    EffectHarness h(4, 12);
    h.run(SlideTransition(h.display, h.outgoing, h.incoming, Direction::Down, 2));
    // Phase 1 at y = 0, 2, 4; phase 2 at y = 6, 4, 2, 0; then the final frame.
    ASSERT_EQ(h.frames.size(), 8u);
    EXPECT_TRUE(matches(
        h.frames[2], [&](int x, int y) { return y < 4 ? h.incoming.pixel(x, y + 4) : h.outgoing.pixel(x, y - 4); }));
    EXPECT_TRUE(matches(
        h.frames[4], [&](int x, int y) { return y < 8 ? h.incoming.pixel(x, y + 4) : h.outgoing.pixel(x, y - 4); }));
    EXPECT_EQ(h.frames.back(), h.incoming);
}

TEST(SlideTransition, UpwardFirstPhaseScrollsTheOutgoingPictureUp)
{
    EffectHarness h(3, 10);
    h.run(SlideTransition(h.display, h.outgoing, h.incoming, Direction::Up, 2));
    EXPECT_TRUE(matches(h.frames[1],
        [&](int x, int y) { return y < 8 ? h.outgoing.pixel(x, y + 2) : h.incoming.pixel(x, y - 8 + 6); }));
    EXPECT_EQ(h.frames.back(), h.incoming);
}

TEST(SlideTransition, StopInTheFirstPhaseStillRunsTheSecondToTheEnd)
{
    EffectHarness h(4, 12);
    h.onRefresh = [&h](int frame) {
        if (frame == 1)
            h.state.TransitionBusy = false;
    };
    h.run(SlideTransition(h.display, h.outgoing, h.incoming, Direction::Down, 2));
    // Stopped at y = 4: the second phase draws y = 4, 2, 0, then the final frame.
    ASSERT_EQ(h.frames.size(), 6u);
    EXPECT_EQ(h.frames.back(), h.incoming);
    EXPECT_TRUE(IsIdle(h.state));
}

TEST(SlideTransition, StopInTheSecondPhaseSkipsTheFinalFrame)
{
    EffectHarness h(4, 12);
    h.onRefresh = [&h](int frame) {
        if (frame == 4)
            h.state.TransitionBusy = false;
    };
    h.run(SlideTransition(h.display, h.outgoing, h.incoming, Direction::Down, 2));
    ASSERT_EQ(h.frames.size(), 5u);
    EXPECT_NE(h.display, h.incoming);
}

TEST(MaskWipe, RadialSweepStartsTopLeftAndTurnsClockwise)
{
    EffectHarness h(40, 30);
    h.run(MaskWipe(h.display, h.incoming, MaskShape::Radial, 12));
    ASSERT_GE(h.frames.size(), 8u);
    const double cx = 20.5;
    const double cy = 15.5;
    const double start = std::atan2(-cy, -cx); // towards the top-left corner
    // The mean sweep angle of the pixels each frame reveals away from the middle.
    std::vector<double> sweeps;
    RasterSurface previous = h.outgoing;
    for (std::size_t k = 0; k + 1 < h.frames.size(); ++k) {
        double sum = 0;
        int count = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const double dx = x + 0.5 - cx;
                const double dy = y + 0.5 - cy;
                const bool revealed = h.frames[k].pixel(x, y) == h.incoming.pixel(x, y);
                const bool before = previous.pixel(x, y) == h.incoming.pixel(x, y);
                EXPECT_TRUE(revealed || !before) << "pixel hidden again";
                if (!revealed || before || dx * dx + dy * dy < 64)
                    continue;
                double sweep = std::fmod(std::atan2(dy, dx) - start + 4 * M_PI, 2 * M_PI);
                // The last lines close the circle just before the start direction.
                if (!sweeps.empty() && sweep < sweeps.back() - M_PI)
                    sweep += 2 * M_PI;
                sum += sweep;
                ++count;
            }
        previous = h.frames[k];
        if (count > 0)
            sweeps.push_back(sum / count);
    }
    ASSERT_GE(sweeps.size(), 6u);
    EXPECT_LT(sweeps.front(), M_PI / 2); // first along the top edge
    for (std::size_t k = 1; k < sweeps.size(); ++k)
        EXPECT_GT(sweeps[k], sweeps[k - 1]) << "frame " << k;
}

TEST(MaskWipe, CircleRadiusGrowsByTheStepEachTick)
{
    EffectHarness h(40, 40);
    h.run(MaskWipe(h.display, h.incoming, MaskShape::Circle, 4));
    ASSERT_GE(h.frames.size(), 4u);
    for (int tick = 1; tick <= 3; ++tick) {
        const int radius = tick * 4 - 2;
        const RasterSurface &frame = h.frames[static_cast<std::size_t>(tick - 1)];
        SCOPED_TRACE(tick);
        EXPECT_EQ(frame.pixel(20 + radius - 1, 20), h.incoming.pixel(20 + radius - 1, 20));
        EXPECT_EQ(frame.pixel(20 - radius, 20), h.incoming.pixel(20 - radius, 20));
        EXPECT_EQ(frame.pixel(20 + radius, 20), h.outgoing.pixel(20 + radius, 20));
        EXPECT_EQ(frame.pixel(20, 20 - radius - 1), h.outgoing.pixel(20, 20 - radius - 1));
    }
}

TEST(MaskWipe, RevealedPixelsShowTheIncomingPictureExactly)
{
    for (int shape = 1; shape <= 6; ++shape) {
        SCOPED_TRACE(shape);
        EffectHarness h(31, 23);
        h.run(MaskWipe(h.display, h.incoming, MaskShape(shape), 3));
        for (const RasterSurface &frame : h.frames)
            EXPECT_TRUE(h.shows(frame, [&](int x, int y) { return frame.pixel(x, y) == h.incoming.pixel(x, y); }));
    }
}

TEST(AlphaTransition, CrossFadeBlendsEveryTenthWeightThenCopies)
{
    EffectHarness h(13, 7);
    const RasterSurface out = h.outgoing;
    const RasterSurface in = h.incoming;
    h.run(AlphaTransition(h.display, h.outgoing, h.incoming, AlphaKind::CrossFade, 50, 10));
    ASSERT_EQ(h.frames.size(), 27u); // g = 0, 10, ..., 250, then the end
    for (int k = 0; k <= 25; ++k) {
        const int a = 255 - 10 * k;
        EXPECT_TRUE(matches(h.frames[static_cast<std::size_t>(k)],
            [&](int x, int y) { return referenceBlend(a, in.pixel(x, y), out.pixel(x, y)); }))
            << "g = " << 10 * k;
    }
    EXPECT_EQ(h.frames.back(), in);
    // The end exchanges the buffers: display and outgoing hold the incoming picture.
    EXPECT_EQ(h.display, in);
    EXPECT_EQ(h.outgoing, in);
    EXPECT_EQ(h.incoming, out);
}

TEST(AlphaTransition, SoftWipeEdgeFollowsTheFormula)
{
    EffectHarness h(24, 5);
    const RasterSurface out = h.outgoing;
    const RasterSurface in = h.incoming;
    h.run(AlphaTransition(h.display, h.outgoing, h.incoming, AlphaKind::SoftWipe, 6, 4));
    ASSERT_EQ(h.frames.size(), 9u); // g = 0, 4, ..., 28 against 24 + 6
    for (const int k : { 1, 3, 5, 7 }) {
        const int g = 4 * k;
        EXPECT_TRUE(matches(h.frames[static_cast<std::size_t>(k)],
            [&](int x, int y) {
                if (x < g - 6)
                    return in.pixel(x, y);
                if (x > g)
                    return out.pixel(x, y);
                return referenceBlend(referenceWeight(255 - (g - x) / 6.0 * 255), in.pixel(x, y), out.pixel(x, y));
            }))
            << "g = " << g;
    }
}

TEST(AlphaTransition, SoftCircleFollowsTheFormula)
{
    EffectHarness h(36, 28);
    const RasterSurface out = h.outgoing;
    const RasterSurface in = h.incoming;
    const int width = 9;
    h.run(AlphaTransition(h.display, h.outgoing, h.incoming, AlphaKind::SoftCircle, width, 1));
    // Limit round(sqrt(36² + 28²) / 2) + 9 = 32; g = 1, 21, then the end.
    ASSERT_EQ(h.frames.size(), 3u);
    for (const int k : { 0, 1 }) {
        const int g = 1 + 20 * k;
        EXPECT_TRUE(matches(h.frames[static_cast<std::size_t>(k)],
            [&](int x, int y) {
                const double dx = 36 / 2 - x;
                const double dy = y - 28 / 2;
                const qint64 d = common::roundHalfEven(std::sqrt(dx * dx + dy * dy));
                int a = 0;
                if (d > g)
                    a = 255;
                else if (d < g - width)
                    a = 0;
                else
                    a = referenceWeight(255 - static_cast<double>(g - d) / width * 255);
                return referenceBlend(a, in.pixel(x, y), out.pixel(x, y));
            }))
            << "g = " << g;
    }
    EXPECT_EQ(h.frames.back(), in);
}

TEST(AlphaTransition, StoppedFadeStillEndsOnTheIncomingPicture)
{
    EffectHarness h(10, 6);
    const RasterSurface in = h.incoming;
    h.onRefresh = [&h](int frame) {
        if (frame == 2)
            h.state.TransitionBusy = false;
    };
    h.run(AlphaTransition(h.display, h.outgoing, h.incoming, AlphaKind::CrossFade, 50, 5));
    EXPECT_EQ(h.frames.size(), 4u);
    EXPECT_EQ(h.display, in);
    EXPECT_EQ(h.outgoing, in);
}

TEST(AlphaTransition, FastDivisionMatchesPlainDivisionEverywhere)
{
    int wrong = 0;
    for (unsigned a = 0; a < 256; ++a)
        for (unsigned n = 0; n < 256; ++n)
            for (unsigned o = 0; o < 256; ++o)
                wrong += blendChannel(a, n, o) != ((255 - a) * n + a * o) / 255 ? 1 : 0;
    EXPECT_EQ(wrong, 0);
    for (unsigned x = 0; x <= 255 * 255; ++x)
        ASSERT_EQ((x + 1 + (x >> 8)) >> 8, x / 255) << x;
}

}
