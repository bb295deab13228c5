#pragma once

#include <QtGlobal>

#include <functional>
#include <random>

namespace slideshow {

class RasterSurface;

// The state every transition routine shares with the slideshow window. One object lives as
// long as the window; it is passed to each routine by reference.
struct TransitionState {
    // Set while an effect runs; clearing it from an event handler stops the running effect
    // at its next check.
    bool TransitionBusy = false;
    // Least time between two drawn steps, in milliseconds.
    int StepDelay = 0;
    // Clock reading when the last step was drawn; kept from one effect to the next.
    qint64 LastStepTick = 0;

    // A millisecond clock; must advance, or a routine waiting for StepDelay never draws.
    std::function<qint64()> clock;
    // Lets the event queue run between steps (and while waiting for the next step).
    std::function<void()> yield;
    // Shows what was drawn on the display; called after every drawn step and final frame.
    std::function<void()> refresh;
    // The order of random lines: a Mersenne Twister seeded once from the system's entropy
    // source; tests seed it for a reproducible order.
    std::mt19937 random { std::random_device {}() };
};

// True when no effect is running.
bool IsIdle(const TransitionState &state);

namespace detail {

    enum class LoopEnd { Finished, Stopped };

    // The loop every routine shares: the caller has tested TransitionBusy and done its set-up.
    // Sets TransitionBusy, then for every due tick tests `limitReached` before drawing; a
    // `drawStep` may also report that the routine ended inside its step. On Finished the
    // busy flag is already cleared and the caller draws its final frame.
    LoopEnd runStepLoop(
        TransitionState &state, const std::function<bool()> &limitReached, const std::function<bool()> &drawStep);

    // Copies the whole incoming picture onto the display and shows it.
    void drawFinalFrame(TransitionState &state, RasterSurface &display, const RasterSurface &incoming);

    void callRefresh(TransitionState &state);
    void callYield(TransitionState &state);
    qint64 readClock(TransitionState &state);

}

}
