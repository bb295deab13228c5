#pragma once

#include "common/Numbers.h"
#include "slideshow/TransitionEffects.h"
#include "slideshow/TransitionRunner.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace slideshow::test {

// Two pictures that share no pixel value: the outgoing one has red 50, the incoming one red
// 200; blue and green encode the column and the row.
inline RasterSurface patternSurface(int width, int height, std::uint8_t red)
{
    RasterSurface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.setPixel(x, y, { static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), red });
    return s;
}

// Runs effects with a fake clock that advances one millisecond per reading, turning the
// runner's ticks in a loop instead of an event loop, and keeps a copy of the display after
// every refresh.
struct EffectHarness {
    EffectHarness(int width, int height)
        : display(patternSurface(width, height, 50))
        , outgoing(display)
        , incoming(patternSurface(width, height, 200))
    {
        state.StepDelay = 1;
        state.clock = [this] {
            return ++now;
        };
        runner.setTickScheduler([this](int) { ++ticksArranged; });
        state.refresh = [this] {
            frames.push_back(display);
            refreshTicks.push_back(now);
            if (onRefresh)
                onRefresh(static_cast<int>(frames.size()) - 1);
        };
        state.random.seed(20210);
    }

    // Starts the effect and runs its ticks until it has ended; false when the start was refused.
    bool run(EffectPointer effect)
    {
        int ticksSeen = ticksArranged;
        if (!runner.start(std::move(effect)))
            return false;
        while (ticksArranged > ticksSeen) {
            ticksSeen = ticksArranged;
            runner.tick();
        }
        return true;
    }

    // True when every pixel shows the incoming picture where `fromIncoming` holds and the
    // outgoing one elsewhere; reports the first wrong pixel.
    ::testing::AssertionResult shows(
        const RasterSurface &frame, const std::function<bool(int, int)> &fromIncoming) const
    {
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                const bool in = fromIncoming(x, y);
                const Bgr want = in ? incoming.pixel(x, y) : outgoing.pixel(x, y);
                if (frame.pixel(x, y) != want)
                    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") should show the "
                                                         << (in ? "incoming" : "outgoing") << " picture";
            }
        return ::testing::AssertionSuccess();
    }

    TransitionState state;
    TransitionRunner runner { state };
    qint64 now = 0;
    int ticksArranged = 0;
    RasterSurface display;
    RasterSurface outgoing;
    RasterSurface incoming;
    std::vector<RasterSurface> frames;
    std::vector<qint64> refreshTicks;
    std::function<void(int)> onRefresh;
};

// The outgoing weight of a soft edge straight from its formula in real arithmetic, and the exact
// blend of the incoming pixel n and the outgoing pixel o at that weight.
inline int referenceWeight(double a)
{
    return static_cast<int>(std::clamp<qint64>(common::roundHalfEven(a), 0, 255));
}

inline Bgr referenceBlend(int a, Bgr n, Bgr o)
{
    const auto mix = [a](int nc, int oc) {
        return static_cast<std::uint8_t>(((255 - a) * nc + a * oc) / 255);
    };
    return { mix(n.blue, o.blue), mix(n.green, o.green), mix(n.red, o.red) };
}

}
