#include "common/Numbers.h"
#include "slideshow/TransitionEffects.h"

namespace slideshow {

using detail::LoopEnd;

void NormalWipe(TransitionState &state, RasterSurface &display, const RasterSurface &incoming, int direction, int step)
{
    if (state.TransitionBusy)
        return;
    const int w = display.width();
    const int h = display.height();
    const int limit = direction > 3 ? w : h;
    int p = 0;
    const auto draw = [&] {
        switch (direction) {
        case 1:
            display.blockCopy(0, 0, w, p, incoming, 0, 0);
            break;
        case 2:
            display.blockCopy(0, h - p, w, p, incoming, 0, h - p);
            break;
        case 4:
            display.blockCopy(0, 0, p, h, incoming, 0, 0);
            break;
        case 8:
            display.blockCopy(w - p, 0, p, h, incoming, w - p, 0);
            break;
        default:
            break;
        }
        p += step;
        return false;
    };
    if (detail::runStepLoop(
            state, [&] { return p >= limit; }, draw)
        == LoopEnd::Finished)
        detail::drawFinalFrame(state, display, incoming);
}

namespace {

    int halfOf(int extent)
    {
        return static_cast<int>(common::roundHalfEven(extent / 2.0));
    }

    void copySame(RasterSurface &display, const RasterSurface &incoming, int x, int y, int w, int h)
    {
        display.blockCopy(x, y, w, h, incoming, x, y);
    }

}

void OutsideInWipe(TransitionState &state, RasterSurface &display, const RasterSurface &incoming, int axis, int step)
{
    if (state.TransitionBusy)
        return;
    const int w = display.width();
    const int h = display.height();
    const int half = halfOf(axis == 1 ? h : w);
    int p = 0;
    const auto draw = [&] {
        if (axis == 1) {
            copySame(display, incoming, 0, 0, w, p);
            copySame(display, incoming, 0, h - p, w, p);
        } else {
            copySame(display, incoming, 0, 0, p, h);
            copySame(display, incoming, w - p, 0, p, h);
        }
        p += step;
        return false;
    };
    if (detail::runStepLoop(
            state, [&] { return p >= half; }, draw)
        == LoopEnd::Finished)
        detail::drawFinalFrame(state, display, incoming);
}

void InsideOutWipe(TransitionState &state, RasterSurface &display, const RasterSurface &incoming, int axis, int step)
{
    if (state.TransitionBusy)
        return;
    const int w = display.width();
    const int h = display.height();
    const int half = halfOf(axis == 1 ? h : w);
    int p = 0;
    const auto draw = [&] {
        if (axis == 1) {
            copySame(display, incoming, 0, half - p, w, p);
            copySame(display, incoming, 0, half, w, p);
        } else {
            copySame(display, incoming, half - p, 0, p, h);
            copySame(display, incoming, half, 0, p, h);
        }
        p += step;
        return false;
    };
    if (detail::runStepLoop(
            state, [&] { return p >= half; }, draw)
        == LoopEnd::Finished)
        detail::drawFinalFrame(state, display, incoming);
}

void ZoomWipe(TransitionState &state,
    RasterSurface &display,
    const RasterSurface &outgoing,
    const RasterSurface &incoming,
    int side,
    int step,
    int extraSubSteps,
    int mode)
{
    if (state.TransitionBusy)
        return;
    const int w = display.width();
    const int h = display.height();
    const QRect whole(0, 0, w, h);
    int p = 0;
    const auto subStep = [&] {
        if (side == 1) {
            display.stretchCopy(QRect(0, 0, p, h), incoming, whole);
            if (mode == 1)
                display.stretchCopy(QRect(p, 0, w - p, h), outgoing, whole);
            else if (mode == 3)
                display.blockCopy(p, 0, w - p, h, outgoing, 0, 0);
        } else {
            display.stretchCopy(QRect(w - p, 0, p, h), incoming, whole);
            if (mode == 1)
                display.stretchCopy(QRect(0, 0, w - p, h), outgoing, whole);
            else if (mode == 3)
                display.blockCopy(0, 0, w - p, h, outgoing, p, 0);
        }
        p += step;
    };
    const auto draw = [&] {
        for (int k = 0; k <= extraSubSteps; ++k) {
            if (p >= w)
                return true;
            subStep();
        }
        return false;
    };
    if (detail::runStepLoop(
            state, [&] { return p >= w; }, draw)
        == LoopEnd::Finished)
        detail::drawFinalFrame(state, display, incoming);
}

}
