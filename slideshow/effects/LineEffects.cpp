#include "common/Numbers.h"
#include "slideshow/TransitionEffects.h"

#include <algorithm>
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

    // Column bars of width `barSize` at progress p, walked row by row: the bars from the top
    // edge cover rows 0..p-1, the others rows H-p..H-1.
    void drawColumnBars(
        RasterSurface &display, const RasterSurface &incoming, int p, int barSize, bool firstFromStart, bool slide)
    {
        const int w = display.width();
        const int h = display.height();
        const int band = std::min(p, h);
        const auto copyBars = [&](int y, int sourceY, bool fromStart) {
            if (sourceY < 0 || sourceY >= h)
                return;
            std::uint8_t *d = display.row(y);
            const std::uint8_t *s = incoming.row(sourceY);
            for (int k = (fromStart == firstFromStart) ? 0 : barSize; k < w; k += 2 * barSize) {
                const int bytes = std::min(barSize, w - k) * 3;
                for (int t = k * 3; t < k * 3 + bytes; ++t)
                    d[t] = s[t];
            }
        };
        for (int y = 0; y < band; ++y)
            copyBars(y, slide ? h - p + y : y, true);
        for (int y = h - band; y < h; ++y)
            copyBars(y, slide ? y - (h - p) : y, false);
    }

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
            if (axis == 1) {
                drawColumnBars(display, incoming, p, barSize, firstFromStart, slide);
            } else {
                bool fromStart = firstFromStart;
                for (int k = 0; k <= across; k += barSize) {
                    if (fromStart)
                        display.blockCopy(0, k, p, barSize, incoming, slide ? w - p : 0, k);
                    else
                        display.blockCopy(w - p, k, p, barSize, incoming, slide ? 0 : w - p, k);
                    fromStart = !fromStart;
                }
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
