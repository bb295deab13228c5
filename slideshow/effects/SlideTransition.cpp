#include "slideshow/TransitionEffects.h"

#include <algorithm>

namespace slideshow {

namespace {

    void drawSlide(RasterSurface &display,
        const RasterSurface &outgoing,
        const RasterSurface &incoming,
        int phase,
        int direction,
        int y)
    {
        const int w = display.width();
        const int h = display.height();
        if (phase == 1 && direction == 1) {
            display.blockCopy(0, 0, w, h - y, outgoing, 0, y);
            display.blockCopy(0, h - y, w, y, incoming, 0, h - 2 * y);
        } else if (phase == 1 && direction == 2) {
            display.blockCopy(0, y, w, h - y, outgoing, 0, 0);
            display.blockCopy(0, 0, w, y, incoming, 0, y);
        } else if (phase == 2 && direction == 1) {
            display.blockCopy(0, 0, w, y, outgoing, 0, y);
            display.blockCopy(0, y, w, h - y, incoming, 0, 0);
        } else if (phase == 2 && direction == 2) {
            display.blockCopy(0, y, w, h - y, outgoing, 0, 0);
            display.blockCopy(0, 0, w, h - y, incoming, 0, y);
        }
    }

}

void SlideTransition(TransitionState &state,
    RasterSurface &display,
    const RasterSurface &outgoing,
    const RasterSurface &incoming,
    int direction,
    int step)
{
    if (state.TransitionBusy)
        return;
    step = std::max(1, step);
    const int w = display.width();
    const int h = display.height();
    display.blockCopy(0, 0, w, h, outgoing, 0, 0);
    const int half = (direction > 2 ? w : h) / 2;
    int y = 0;

    // The first phase ends at half way or on a stop request; the second always follows.
    bool halfReached = false;
    detail::runStepLoop(
        state,
        [&] { return halfReached; },
        [&] {
            drawSlide(display, outgoing, incoming, 1, direction, y);
            halfReached = y + step >= half;
            y += step;
            return false;
        });

    const auto end = detail::runStepLoop(
        state,
        [&] { return y < 0; },
        [&] {
            drawSlide(display, outgoing, incoming, 2, direction, y);
            y -= step;
            return false;
        });
    if (end == detail::LoopEnd::Finished)
        detail::drawFinalFrame(state, display, incoming);
}

}
