#include "TransitionState.h"

#include "RasterSurface.h"

namespace slideshow {

bool IsIdle(const TransitionState &state)
{
    return !state.TransitionBusy;
}

namespace detail {

    void callRefresh(TransitionState &state)
    {
        if (state.refresh)
            state.refresh();
    }

    void callYield(TransitionState &state)
    {
        if (state.yield)
            state.yield();
    }

    qint64 readClock(TransitionState &state)
    {
        return state.clock ? state.clock() : state.LastStepTick + state.StepDelay;
    }

    LoopEnd runStepLoop(
        TransitionState &state, const std::function<bool()> &limitReached, const std::function<bool()> &drawStep)
    {
        state.TransitionBusy = true;
        while (state.TransitionBusy) {
            if (readClock(state) < state.LastStepTick + state.StepDelay) {
                callYield(state);
                continue;
            }
            if (limitReached() || drawStep()) {
                state.TransitionBusy = false;
                return LoopEnd::Finished;
            }
            callRefresh(state);
            state.LastStepTick = readClock(state);
            callYield(state);
        }
        return LoopEnd::Stopped;
    }

    void drawFinalFrame(TransitionState &state, RasterSurface &display, const RasterSurface &incoming)
    {
        display.blockCopy(0, 0, display.width(), display.height(), incoming, 0, 0);
        callRefresh(state);
    }

}

}
