#include "EffectHarness.h"

#include <string>

namespace slideshow::test {

namespace {

    struct Routine {
        const char *name;
        bool stopsWhenAsked; // returns without its final frame when stopped
        std::function<void(EffectHarness &)> run;
    };

    void PrintTo(const Routine &routine, std::ostream *os)
    {
        *os << routine.name;
    }

    const std::vector<Routine> &routines()
    {
        static const std::vector<Routine> all = {
            { "NormalWipeUp",
                true,
                [](EffectHarness &h) {
                    NormalWipe(h.state, h.display, h.incoming, 1, 3);
                } },
            { "NormalWipeRight",
                true,
                [](EffectHarness &h) {
                    NormalWipe(h.state, h.display, h.incoming, 8, 3);
                } },
            { "OutsideInWipe",
                true,
                [](EffectHarness &h) {
                    OutsideInWipe(h.state, h.display, h.incoming, 2, 2);
                } },
            { "InsideOutWipe",
                true,
                [](EffectHarness &h) {
                    InsideOutWipe(h.state, h.display, h.incoming, 1, 2);
                } },
            { "ZoomWipePush",
                true,
                [](EffectHarness &h) {
                    ZoomWipe(h.state, h.display, h.outgoing, h.incoming, 1, 4, 0, 1);
                } },
            { "ZoomWipeMoveWithSubSteps",
                true,
                [](EffectHarness &h) {
                    ZoomWipe(h.state, h.display, h.outgoing, h.incoming, 2, 3, 2, 3);
                } },
            { "RandomLines",
                true,
                [](EffectHarness &h) {
                    RandomLines(h.state, h.display, h.incoming, 1, 2);
                } },
            { "BarsDraw",
                true,
                [](EffectHarness &h) {
                    BarsDraw(h.state, h.display, h.incoming, 1, 2, 4, true);
                } },
            { "BarsMove",
                true,
                [](EffectHarness &h) {
                    BarsMove(h.state, h.display, h.incoming, 2, 2, 4, true);
                } },
            { "SlideTransition",
                false,
                [](EffectHarness &h) {
                    SlideTransition(h.state, h.display, h.outgoing, h.incoming, 2, 3);
                } },
            { "Blinds",
                true,
                [](EffectHarness &h) {
                    Blinds(h.state, h.display, h.incoming, 8, 1, 5);
                } },
            { "MaskWipeRadial",
                true,
                [](EffectHarness &h) {
                    MaskWipe(h.state, h.display, h.incoming, 1, 7);
                } },
            { "MaskWipeCircle",
                true,
                [](EffectHarness &h) {
                    MaskWipe(h.state, h.display, h.incoming, 2, 2);
                } },
            { "MaskWipeSideRadial",
                true,
                [](EffectHarness &h) {
                    MaskWipe(h.state, h.display, h.incoming, 3, 5);
                } },
            { "MaskWipeTriangle",
                true,
                [](EffectHarness &h) {
                    MaskWipe(h.state, h.display, h.incoming, 4, 3);
                } },
            { "MaskWipeMiddle",
                true,
                [](EffectHarness &h) {
                    MaskWipe(h.state, h.display, h.incoming, 5, 3);
                } },
            { "MaskWipeTwoSide",
                true,
                [](EffectHarness &h) {
                    MaskWipe(h.state, h.display, h.incoming, 6, 3);
                } },
            { "AlphaSoftWipe",
                false,
                [](EffectHarness &h) {
                    AlphaTransition(h.state, h.display, h.outgoing, h.incoming, 1, 6, 4);
                } },
            { "AlphaCrossFade",
                false,
                [](EffectHarness &h) {
                    AlphaTransition(h.state, h.display, h.outgoing, h.incoming, 2, 50, 40);
                } },
            { "AlphaSoftCircle",
                false,
                [](EffectHarness &h) {
                    AlphaTransition(h.state, h.display, h.outgoing, h.incoming, 3, 8, 1);
                } },
        };
        return all;
    }

    class EveryEffect : public ::testing::TestWithParam<Routine> { };

}

TEST_P(EveryEffect, DrawsStepsAndEndsOnTheIncomingPicture)
{
    EffectHarness h(23, 17);
    const RasterSurface picture = h.incoming;
    GetParam().run(h);
    ASSERT_GE(h.frames.size(), 3u);
    EXPECT_EQ(h.frames.back(), picture);
    EXPECT_EQ(h.display, picture);
    EXPECT_NE(h.frames[1], picture);
    EXPECT_TRUE(IsIdle(h.state));
}

TEST_P(EveryEffect, DrawsNothingWhileAnotherEffectRuns)
{
    EffectHarness h(23, 17);
    h.state.TransitionBusy = true;
    const RasterSurface before = h.display;
    GetParam().run(h);
    EXPECT_TRUE(h.frames.empty());
    EXPECT_EQ(h.display, before);
    EXPECT_FALSE(IsIdle(h.state));
}

TEST_P(EveryEffect, StopFromOutsideEndsTheEffect)
{
    EffectHarness h(23, 17);
    const RasterSurface picture = h.incoming;
    h.onRefresh = [&h](int frame) {
        if (frame == 1)
            h.state.TransitionBusy = false;
    };
    GetParam().run(h);
    EXPECT_TRUE(IsIdle(h.state));
    if (GetParam().stopsWhenAsked) {
        // No final frame.
        EXPECT_EQ(h.frames.size(), 2u);
        EXPECT_NE(h.display, picture);
    } else {
        // The slide finishes its second phase; the fades end on the incoming picture.
        EXPECT_EQ(h.display, picture);
    }
}

TEST_P(EveryEffect, StepsAreDrawnNoSoonerThanTheStepDelay)
{
    EffectHarness h(23, 17);
    h.state.StepDelay = 5;
    h.state.LastStepTick = 100;
    GetParam().run(h);
    ASSERT_FALSE(h.refreshTicks.empty());
    // The first step waits for the delay after the previous effect's last step.
    EXPECT_GE(h.refreshTicks.front(), 105);
    for (std::size_t k = 1; k < h.refreshTicks.size(); ++k)
        EXPECT_GE(h.refreshTicks[k] - h.refreshTicks[k - 1], 5) << "frame " << k;
    EXPECT_GT(h.state.LastStepTick, 100);
}

INSTANTIATE_TEST_SUITE_P(
    Transitions, EveryEffect, ::testing::ValuesIn(routines()), [](const ::testing::TestParamInfo<Routine> &param) {
        return std::string(param.param.name);
    });

TEST(TransitionLoop, KeepsLastStepTickFromOneEffectToTheNext)
{
    EffectHarness h(8, 6);
    h.state.StepDelay = 50;
    NormalWipe(h.state, h.display, h.incoming, 1, 2);
    const qint64 last = h.state.LastStepTick;
    const std::size_t firstRun = h.refreshTicks.size();
    h.display = h.outgoing;
    NormalWipe(h.state, h.display, h.incoming, 2, 2);
    ASSERT_GT(h.refreshTicks.size(), firstRun);
    EXPECT_GE(h.refreshTicks[firstRun], last + 50);
}

}
