#pragma once

#include <QtGlobal>

#include <functional>
#include <random>

namespace slideshow {

class RasterSurface;

// The state every transition shares with the slideshow window. One object lives as long as
// the window; the effect runner and the effects read and write it.
struct TransitionState {
    // Set while an effect runs; clearing it from an event handler stops the running effect
    // at its next tick.
    bool TransitionBusy = false;
    // Least time between two drawn steps, in milliseconds.
    int StepDelay = 0;
    // Clock reading when the last step was drawn; kept from one effect to the next.
    qint64 LastStepTick = 0;

    // A millisecond clock. Without one every step is due at once.
    std::function<qint64()> clock;
    // Shows what was drawn on the display; called after every drawn step and final frame.
    std::function<void()> refresh;
    // The order of random lines: a Mersenne Twister seeded once from the system's entropy
    // source; tests seed it for a reproducible order.
    std::mt19937 random { std::random_device {}() };
};

// True when no effect is running.
bool IsIdle(const TransitionState &state);

// One transition from the picture on the display to the incoming one, drawn a step at a time
// by a TransitionRunner. An effect is made by one of the routines of TransitionEffects.h and
// does nothing until the runner accepts it: then `begin` does its set-up, and for every due
// tick the runner tests `limitReached` and, while it is not, draws one step.
class TransitionEffect {
public:
    TransitionEffect(RasterSurface &display, const RasterSurface &incoming);
    virtual ~TransitionEffect();
    TransitionEffect(const TransitionEffect &) = delete;
    TransitionEffect &operator=(const TransitionEffect &) = delete;

    // Set-up once the runner has accepted the effect, before the first step.
    virtual void begin(TransitionState &) { }
    // Tested before every step: true when the progress has reached its limit.
    virtual bool limitReached() const = 0;
    // Draws the step at the current progress and advances it. True when the effect reached
    // its limit inside the step (effects that draw several pieces per tick test it between
    // them); the step is then not shown and the effect ends as if the limit had been found.
    virtual bool drawStep() = 0;
    // Called when the steps of a phase end, by the limit or by a stop (`stopped`). True when
    // another phase follows: the runner sets TransitionBusy again and goes on stepping.
    virtual bool startNextPhase(bool /*stopped*/) { return false; }
    // The end. TransitionBusy is already clear. `completed` is false for an effect stopped
    // from outside. Draws the final frame (the whole incoming picture) when completed.
    virtual void end(TransitionState &state, bool completed);

protected:
    // Copies the whole incoming picture onto the display and shows it.
    void drawFinalFrame(TransitionState &state);

    RasterSurface &m_display;
    const RasterSurface &m_incoming;
};

}
