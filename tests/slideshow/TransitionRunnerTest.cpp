#include "EffectHarness.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace slideshow::test {

TEST(TransitionRunner, TellsWhetherTheEffectCompletedOrWasStopped)
{
    struct Case {
        const char *name;
        int stopAfterFrame; // -1: never
        bool completed;
        std::size_t frames;
    };
    // A 12-row wipe by 3 draws rows 0, 3, 6, 9 and the final frame.
    for (const Case c : { Case { "completed", -1, true, 5 }, Case { "stopped", 1, false, 2 } }) {
        SCOPED_TRACE(c.name);
        EffectHarness h(4, 12);
        std::vector<bool> ends;
        QObject::connect(&h.runner, &TransitionRunner::ended, [&](bool completed) {
            ends.push_back(completed);
            EXPECT_FALSE(h.runner.isRunning());
            EXPECT_TRUE(IsIdle(h.state));
        });
        h.onRefresh = [&](int frame) {
            if (frame == c.stopAfterFrame)
                h.state.TransitionBusy = false;
        };
        ASSERT_TRUE(h.run(NormalWipe(h.display, h.incoming, Direction::Up, 3)));
        EXPECT_EQ(ends, std::vector<bool> { c.completed });
        EXPECT_EQ(h.frames.size(), c.frames);
        EXPECT_EQ(h.runner.stepsDrawn(), c.completed ? 4 : 2);
    }
}

TEST(TransitionRunner, RefusesASecondStartWhileAnEffectRuns)
{
    EffectHarness h(4, 12);
    ASSERT_TRUE(h.runner.start(NormalWipe(h.display, h.incoming, Direction::Up, 3)));
    h.runner.tick();
    const RasterSurface shown = h.display;
    EXPECT_FALSE(h.runner.start(NormalWipe(h.display, h.outgoing, Direction::Down, 1)));
    EXPECT_EQ(h.display, shown);
    // The first one goes on to its end.
    while (h.runner.isRunning())
        h.runner.tick();
    EXPECT_EQ(h.display, h.incoming);
    EXPECT_EQ(h.frames.size(), 5u);
}

TEST(TransitionRunner, AStartAfterAnUnseenStopEndsTheStoppedEffectFirst)
{
    EffectHarness h(4, 12);
    std::vector<bool> ends;
    QObject::connect(&h.runner, &TransitionRunner::ended, [&](bool completed) { ends.push_back(completed); });
    ASSERT_TRUE(h.runner.start(NormalWipe(h.display, h.incoming, Direction::Up, 3)));
    h.runner.tick();
    h.state.TransitionBusy = false;
    EXPECT_TRUE(h.run(NormalWipe(h.display, h.incoming, Direction::Down, 6)));
    EXPECT_EQ(ends, (std::vector<bool> { false, true }));
    EXPECT_EQ(h.display, h.incoming);
}

TEST(TransitionRunner, StopEndsAtOnceAndAbandonDrawsNothingMore)
{
    EffectHarness h(4, 12);
    int ended = 0;
    QObject::connect(&h.runner, &TransitionRunner::ended, [&] { ++ended; });
    ASSERT_TRUE(h.runner.start(NormalWipe(h.display, h.incoming, Direction::Up, 3)));
    h.runner.tick();
    h.runner.stop();
    EXPECT_FALSE(h.runner.isRunning());
    EXPECT_EQ(ended, 1);

    ASSERT_TRUE(h.runner.start(AlphaTransition(h.display, h.outgoing, h.incoming, AlphaKind::CrossFade, 50, 10)));
    h.runner.tick();
    const RasterSurface shown = h.display;
    const std::size_t frames = h.frames.size();
    h.runner.abandon();
    h.runner.tick();
    EXPECT_FALSE(h.runner.isRunning());
    EXPECT_TRUE(IsIdle(h.state));
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(h.display, shown);
    EXPECT_EQ(h.frames.size(), frames);
}

// Driven by its own timer, an effect leaves the event loop free between its steps: a zero
// timer started before it fires long before the effect ends.
TEST(TransitionRunner, StepsFromTheEventLoopWithoutHoldingIt)
{
    TransitionState state;
    QElapsedTimer clock;
    clock.start();
    state.clock = [&clock] {
        return clock.elapsed();
    };
    state.StepDelay = 2;
    RasterSurface display = patternSurface(40, 30, 50);
    const RasterSurface incoming = patternSurface(40, 30, 200);
    int frames = 0;
    state.refresh = [&frames] {
        ++frames;
    };
    TransitionRunner runner(state);

    QEventLoop loop;
    int framesWhenTimerFired = -1;
    QTimer::singleShot(0, &loop, [&] { framesWhenTimerFired = frames; });
    bool completed = false;
    QObject::connect(&runner, &TransitionRunner::ended, &loop, [&](bool c) {
        completed = c;
        loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    ASSERT_TRUE(runner.start(NormalWipe(display, incoming, Direction::Left, 4)));
    EXPECT_EQ(frames, 0); // nothing is drawn inside start
    loop.exec();
    EXPECT_TRUE(completed);
    EXPECT_EQ(display, incoming);
    EXPECT_EQ(frames, 11); // 10 steps and the final frame
    EXPECT_GE(framesWhenTimerFired, 0);
    EXPECT_LT(framesWhenTimerFired, 3);
    // Ten steps at least 2 ms apart.
    EXPECT_GE(clock.elapsed(), 18);
}

}
