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
                    h.run(NormalWipe(h.display, h.incoming, Direction::Up, 3));
                } },
            { "NormalWipeRight",
                true,
                [](EffectHarness &h) {
                    h.run(NormalWipe(h.display, h.incoming, Direction::Right, 3));
                } },
            { "OutsideInWipe",
                true,
                [](EffectHarness &h) {
                    h.run(OutsideInWipe(h.display, h.incoming, Axis::Horizontal, 2));
                } },
            { "InsideOutWipe",
                true,
                [](EffectHarness &h) {
                    h.run(InsideOutWipe(h.display, h.incoming, Axis::Vertical, 2));
                } },
            { "ZoomWipePush",
                true,
                [](EffectHarness &h) {
                    h.run(ZoomWipe(h.display, h.outgoing, h.incoming, ZoomSide::Left, 4, 0, ZoomMode::Push));
                } },
            { "ZoomWipeMoveWithSubSteps",
                true,
                [](EffectHarness &h) {
                    h.run(ZoomWipe(h.display, h.outgoing, h.incoming, ZoomSide::Right, 3, 2, ZoomMode::Move));
                } },
            { "RandomLines",
                true,
                [](EffectHarness &h) {
                    h.run(RandomLines(h.display, h.incoming, Axis::Vertical, 2));
                } },
            { "BarsDraw",
                true,
                [](EffectHarness &h) {
                    h.run(BarsDraw(h.display, h.incoming, Axis::Vertical, 2, 4, true));
                } },
            { "BarsMove",
                true,
                [](EffectHarness &h) {
                    h.run(BarsMove(h.display, h.incoming, Axis::Horizontal, 2, 4, true));
                } },
            { "SlideTransition",
                false,
                [](EffectHarness &h) {
                    h.run(SlideTransition(h.display, h.outgoing, h.incoming, Direction::Down, 3));
                } },
            { "Blinds",
                true,
                [](EffectHarness &h) {
                    h.run(Blinds(h.display, h.incoming, Direction::Right, 1, 5));
                } },
            { "MaskWipeRadial",
                true,
                [](EffectHarness &h) {
                    h.run(MaskWipe(h.display, h.incoming, MaskShape::Radial, 7));
                } },
            { "MaskWipeCircle",
                true,
                [](EffectHarness &h) {
                    h.run(MaskWipe(h.display, h.incoming, MaskShape::Circle, 2));
                } },
            { "MaskWipeSideRadial",
                true,
                [](EffectHarness &h) {
                    h.run(MaskWipe(h.display, h.incoming, MaskShape::SideRadial, 5));
                } },
            { "MaskWipeTriangle",
                true,
                [](EffectHarness &h) {
                    h.run(MaskWipe(h.display, h.incoming, MaskShape::Triangle, 3));
                } },
            { "MaskWipeMiddle",
                true,
                [](EffectHarness &h) {
                    h.run(MaskWipe(h.display, h.incoming, MaskShape::Middle, 3));
                } },
            { "MaskWipeTwoSide",
                true,
                [](EffectHarness &h) {
                    h.run(MaskWipe(h.display, h.incoming, MaskShape::TwoSideRadial, 3));
                } },
            { "AlphaSoftWipe",
                false,
                [](EffectHarness &h) {
                    h.run(AlphaTransition(h.display, h.outgoing, h.incoming, AlphaKind::SoftWipe, 6, 4));
                } },
            { "AlphaCrossFade",
                false,
                [](EffectHarness &h) {
                    h.run(AlphaTransition(h.display, h.outgoing, h.incoming, AlphaKind::CrossFade, 50, 40));
                } },
            { "AlphaSoftCircle",
                false,
                [](EffectHarness &h) {
                    h.run(AlphaTransition(h.display, h.outgoing, h.incoming, AlphaKind::SoftCircle, 8, 1));
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
    h.run(NormalWipe(h.display, h.incoming, Direction::Up, 2));
    const qint64 last = h.state.LastStepTick;
    const std::size_t firstRun = h.refreshTicks.size();
    h.display = h.outgoing;
    h.run(NormalWipe(h.display, h.incoming, Direction::Down, 2));
    ASSERT_GT(h.refreshTicks.size(), firstRun);
    EXPECT_GE(h.refreshTicks[firstRun], last + 50);
}

}
