// Times the steps of every transition at 1920 x 1080 against the cost of copying one frame.
#include "slideshow/TransitionEffects.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

using namespace slideshow;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

RasterSurface gradient(int seed)
{
    RasterSurface s(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t *row = s.row(y);
        for (int x = 0; x < kWidth; ++x) {
            row[x * 3] = static_cast<std::uint8_t>(x + seed);
            row[x * 3 + 1] = static_cast<std::uint8_t>(y * 2 + seed);
            row[x * 3 + 2] = static_cast<std::uint8_t>((x ^ y) + seed);
        }
    }
    return s;
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double frameCopyFloor()
{
    const RasterSurface source = gradient(1);
    RasterSurface target(kWidth, kHeight);
    std::vector<double> times;
    for (int i = 0; i < 200; ++i) {
        const auto start = Clock::now();
        std::memcpy(target.bits(), source.bits(), source.byteCount());
        times.push_back(millisecondsSince(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Case {
    const char *name;
    std::function<void(TransitionState &, RasterSurface &, RasterSurface &, RasterSurface &)> run;
};

}

int main()
{
    const double floor = frameCopyFloor();
    std::printf("frame copy (floor): %.3f ms\n\n", floor);
    std::printf("%-28s %6s %9s %9s %9s %8s %8s\n",
        "routine (slideshow step)",
        "steps",
        "median",
        "p95 ms",
        "max ms",
        "med/fl",
        "max/fl");

    const std::vector<Case> cases = {
        { "NormalWipe right, 5",
            [](auto &s, auto &d, auto &, auto &n) {
                NormalWipe(s, d, n, 8, 5);
            } },
        { "OutsideInWipe vert, 4",
            [](auto &s, auto &d, auto &, auto &n) {
                OutsideInWipe(s, d, n, 1, 4);
            } },
        { "InsideOutWipe horiz, 4",
            [](auto &s, auto &d, auto &, auto &n) {
                InsideOutWipe(s, d, n, 2, 4);
            } },
        { "ZoomWipe push, 5",
            [](auto &s, auto &d, auto &o, auto &n) {
                ZoomWipe(s, d, o, n, 1, 5, 0, 1);
            } },
        { "ZoomWipe hide, 5",
            [](auto &s, auto &d, auto &o, auto &n) {
                ZoomWipe(s, d, o, n, 2, 5, 0, 2);
            } },
        { "ZoomWipe move, 5",
            [](auto &s, auto &d, auto &o, auto &n) {
                ZoomWipe(s, d, o, n, 1, 5, 0, 3);
            } },
        { "RandomLines vert, 2",
            [](auto &s, auto &d, auto &, auto &n) {
                RandomLines(s, d, n, 1, 2);
            } },
        { "RandomLines horiz, 2",
            [](auto &s, auto &d, auto &, auto &n) {
                RandomLines(s, d, n, 2, 2);
            } },
        { "BarsDraw horiz, 5, 1",
            [](auto &s, auto &d, auto &, auto &n) {
                BarsDraw(s, d, n, 2, 5, 1, true);
            } },
        { "BarsMove vert, 5, 1",
            [](auto &s, auto &d, auto &, auto &n) {
                BarsMove(s, d, n, 1, 5, 1, true);
            } },
        { "SlideTransition down, 8",
            [](auto &s, auto &d, auto &o, auto &n) {
                SlideTransition(s, d, o, n, 2, 8);
            } },
        { "Blinds right, 1, 20",
            [](auto &s, auto &d, auto &, auto &n) {
                Blinds(s, d, n, 8, 1, 20);
            } },
        { "MaskWipe radial, 30",
            [](auto &s, auto &d, auto &, auto &n) {
                MaskWipe(s, d, n, 1, 30);
            } },
        { "MaskWipe circle, 5",
            [](auto &s, auto &d, auto &, auto &n) {
                MaskWipe(s, d, n, 2, 5);
            } },
        { "MaskWipe side radial, 25",
            [](auto &s, auto &d, auto &, auto &n) {
                MaskWipe(s, d, n, 3, 25);
            } },
        { "MaskWipe triangle, 10",
            [](auto &s, auto &d, auto &, auto &n) {
                MaskWipe(s, d, n, 4, 10);
            } },
        { "MaskWipe middle, 10",
            [](auto &s, auto &d, auto &, auto &n) {
                MaskWipe(s, d, n, 5, 10);
            } },
        { "MaskWipe two side, 10",
            [](auto &s, auto &d, auto &, auto &n) {
                MaskWipe(s, d, n, 6, 10);
            } },
        { "Alpha soft wipe, 25, 75",
            [](auto &s, auto &d, auto &o, auto &n) {
                AlphaTransition(s, d, o, n, 1, 75, 25);
            } },
        { "Alpha cross-fade, 10",
            [](auto &s, auto &d, auto &o, auto &n) {
                AlphaTransition(s, d, o, n, 2, 50, 10);
            } },
        { "Alpha soft circle, 75",
            [](auto &s, auto &d, auto &o, auto &n) {
                AlphaTransition(s, d, o, n, 3, 75, 15);
            } },
    };

    const RasterSurface first = gradient(0);
    const RasterSurface second = gradient(77);
    double worst = 0;
    double worstAlpha = 0;
    for (const Case &c : cases) {
        // Each step does the same work in every run (the random order is seeded), so the
        // least time of a step over three runs leaves out the moments another program had
        // the processor.
        std::vector<double> steps;
        for (int run = 0; run < 3; ++run) {
            RasterSurface display = first;
            RasterSurface outgoing = first;
            RasterSurface incoming = second;
            TransitionState state;
            state.random.seed(1);
            std::vector<double> times;
            auto last = Clock::now();
            state.refresh = [&] {
                const auto now = Clock::now();
                times.push_back(std::chrono::duration<double, std::milli>(now - last).count());
                last = now;
            };
            last = Clock::now();
            c.run(state, display, outgoing, incoming);
            if (times.size() > 1)
                times.pop_back(); // the final frame is a plain copy
            if (run == 0)
                steps = times;
            for (std::size_t k = 0; k < std::min(steps.size(), times.size()); ++k)
                steps[k] = std::min(steps[k], times[k]);
        }
        std::sort(steps.begin(), steps.end());
        const double median = steps.empty() ? 0 : steps[steps.size() / 2];
        const double p95 = steps.empty() ? 0 : steps[steps.size() * 95 / 100];
        const double max = steps.empty() ? 0 : steps.back();
        std::printf("%-28s %6zu %9.3f %9.3f %9.3f %8.2f %8.2f\n",
            c.name,
            steps.size(),
            median,
            p95,
            max,
            median / floor,
            max / floor);
        worst = std::max(worst, max);
        if (std::strncmp(c.name, "Alpha", 5) == 0)
            worstAlpha = std::max(worstAlpha, median / floor);
    }
    std::printf(
        "\nslowest step: %.3f ms (aim: 16 ms); slowest median AlphaTransition pass: %.2fx the floor (aim: 3x)\n",
        worst,
        worstAlpha);
    return 0;
}
