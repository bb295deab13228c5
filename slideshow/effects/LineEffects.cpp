#include "common/Numbers.h"
#include "slideshow/TransitionEffects.h"

#include <utility>
#include <vector>

namespace slideshow {

using detail::LoopEnd;

void RandomLines(TransitionState &state, RasterSurface &display, const RasterSurface &incoming, int axis, int step)
{
    if (state.TransitionBusy)
        return;
    const int w = display.width();
    const int h = display.height();
    const int n = axis == 1 ? w : h;
    std::vector<int> order(static_cast<std::size_t>(n) + 1);
    for (int k = 0; k <= n; ++k)
        order[static_cast<std::size_t>(k)] = k;
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int pass = 0; pass < 3; ++pass) {
        for (int j = 1; j <= n; ++j) {
            const auto r = static_cast<std::size_t>(common::roundHalfEven(unit(state.random) * n));
            std::swap(order[r], order[static_cast<std::size_t>(j)]);
        }
    }
    int i = 0;
    const auto draw = [&] {
        for (int line = 0; line <= step; ++line) {
            if (i >= n)
                return true;
            const int k = order[static_cast<std::size_t>(i)];
            if (axis == 1)
                display.blockCopy(k, 0, 1, h, incoming, k, 0);
            else
                display.blockCopy(0, k, w, 1, incoming, 0, k);
            ++i;
        }
        return false;
    };
    if (detail::runStepLoop(
            state, [&] { return i >= n; }, draw)
        == LoopEnd::Finished)
        detail::drawFinalFrame(state, display, incoming);
}

namespace {

    // The loop shared by BarsDraw and BarsMove; `slide` picks the sliding source positions.
    void runBars(TransitionState &state,
        RasterSurface &display,
        const RasterSurface &incoming,
        int axis,
        int step,
        int barSize,
        bool firstFromStart,
        bool slide)
    {
        if (state.TransitionBusy)
            return;
        const int w = display.width();
        const int h = display.height();
        const int limit = axis == 1 ? h : w;
        const int across = axis == 1 ? w : h;
        int p = 0;
        const auto draw = [&] {
            bool fromStart = firstFromStart;
            for (int k = 0; k <= across; k += barSize) {
                if (axis == 1) {
                    if (fromStart)
                        display.blockCopy(k, 0, barSize, p, incoming, k, slide ? h - p : 0);
                    else
                        display.blockCopy(k, h - p, barSize, p, incoming, k, slide ? 0 : h - p);
                } else {
                    if (fromStart)
                        display.blockCopy(0, k, p, barSize, incoming, slide ? w - p : 0, k);
                    else
                        display.blockCopy(w - p, k, p, barSize, incoming, slide ? 0 : w - p, k);
                }
                fromStart = !fromStart;
            }
            p += step;
            return false;
        };
        if (detail::runStepLoop(
                state, [&] { return p >= limit; }, draw)
            == LoopEnd::Finished)
            detail::drawFinalFrame(state, display, incoming);
    }

}

void BarsDraw(TransitionState &state,
    RasterSurface &display,
    const RasterSurface &incoming,
    int axis,
    int step,
    int barSize,
    bool firstFromStart)
{
    runBars(state, display, incoming, axis, step, barSize, firstFromStart, false);
}

void BarsMove(TransitionState &state,
    RasterSurface &display,
    const RasterSurface &incoming,
    int axis,
    int step,
    int barSize,
    bool firstFromStart)
{
    runBars(state, display, incoming, axis, step, barSize, firstFromStart, true);
}

void Blinds(TransitionState &state,
    RasterSurface &display,
    const RasterSurface &incoming,
    int direction,
    int step,
    int slatSize)
{
    if (state.TransitionBusy)
        return;
    const int w = display.width();
    const int h = display.height();
    int o = 0;
    const auto draw = [&] {
        if (direction == 4 || direction == 8) {
            for (int k = 0; k <= w; k += slatSize) {
                const int x = direction == 4 ? k : k + slatSize - o;
                display.blockCopy(x, 0, o, h, incoming, x, 0);
            }
        } else if (direction == 1 || direction == 2) {
            for (int k = 0; k <= h; k += slatSize) {
                const int y = direction == 1 ? k : k + slatSize - o;
                display.blockCopy(0, y, w, o, incoming, 0, y);
            }
        }
        o += step;
        return false;
    };
    if (detail::runStepLoop(
            state, [&] { return o >= slatSize; }, draw)
        == LoopEnd::Finished)
        detail::drawFinalFrame(state, display, incoming);
}

}
