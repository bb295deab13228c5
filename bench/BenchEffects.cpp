// Times the steps of every transition at 1920 x 1080 against the cost of copying one frame.
#include "slideshow/TransitionEffects.h"
#include "slideshow/TransitionRunner.h"

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
    std::function<EffectPointer(RasterSurface &, RasterSurface &, RasterSurface &)> make;
};

}

int main(int argc, char **argv)
{
    // An optional argument picks the cases whose name contains it.
    const char *only = argc > 1 ? argv[1] : nullptr;
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
            [](auto &d, auto &, auto &n) {
                return NormalWipe(d, n, Direction::Right, 5);
            } },
        { "OutsideInWipe vert, 4",
            [](auto &d, auto &, auto &n) {
                return OutsideInWipe(d, n, Axis::Vertical, 4);
            } },
        { "InsideOutWipe horiz, 4",
            [](auto &d, auto &, auto &n) {
                return InsideOutWipe(d, n, Axis::Horizontal, 4);
            } },
        { "ZoomWipe push, 5",
            [](auto &d, auto &o, auto &n) {
                return ZoomWipe(d, o, n, ZoomSide::Left, 5, 0, ZoomMode::Push);
            } },
        { "ZoomWipe hide, 5",
            [](auto &d, auto &o, auto &n) {
                return ZoomWipe(d, o, n, ZoomSide::Right, 5, 0, ZoomMode::Hide);
            } },
        { "ZoomWipe move, 5",
            [](auto &d, auto &o, auto &n) {
                return ZoomWipe(d, o, n, ZoomSide::Left, 5, 0, ZoomMode::Move);
            } },
        { "RandomLines vert, 2",
            [](auto &d, auto &, auto &n) {
                return RandomLines(d, n, Axis::Vertical, 2);
            } },
        { "RandomLines horiz, 2",
            [](auto &d, auto &, auto &n) {
                return RandomLines(d, n, Axis::Horizontal, 2);
            } },
        { "BarsDraw horiz, 5, 1",
            [](auto &d, auto &, auto &n) {
                return BarsDraw(d, n, Axis::Horizontal, 5, 1, true);
            } },
        { "BarsMove vert, 5, 1",
            [](auto &d, auto &, auto &n) {
                return BarsMove(d, n, Axis::Vertical, 5, 1, true);
            } },
        { "SlideTransition down, 8",
            [](auto &d, auto &o, auto &n) {
                return SlideTransition(d, o, n, Direction::Down, 8);
            } },
        { "Blinds right, 1, 20",
            [](auto &d, auto &, auto &n) {
                return Blinds(d, n, Direction::Right, 1, 20);
            } },
        { "MaskWipe radial, 30",
            [](auto &d, auto &, auto &n) {
                return MaskWipe(d, n, MaskShape::Radial, 30);
            } },
        { "MaskWipe circle, 5",
            [](auto &d, auto &, auto &n) {
                return MaskWipe(d, n, MaskShape::Circle, 5);
            } },
        { "MaskWipe side radial, 25",
            [](auto &d, auto &, auto &n) {
                return MaskWipe(d, n, MaskShape::SideRadial, 25);
            } },
        { "MaskWipe triangle, 10",
            [](auto &d, auto &, auto &n) {
                return MaskWipe(d, n, MaskShape::Triangle, 10);
            } },
        { "MaskWipe middle, 10",
            [](auto &d, auto &, auto &n) {
                return MaskWipe(d, n, MaskShape::Middle, 10);
            } },
        { "MaskWipe two side, 10",
            [](auto &d, auto &, auto &n) {
                return MaskWipe(d, n, MaskShape::TwoSideRadial, 10);
            } },
        { "Alpha soft wipe, 25, 75",
            [](auto &d, auto &o, auto &n) {
                return AlphaTransition(d, o, n, AlphaKind::SoftWipe, 75, 25);
            } },
        { "Alpha cross-fade, 10",
            [](auto &d, auto &o, auto &n) {
                return AlphaTransition(d, o, n, AlphaKind::CrossFade, 50, 10);
            } },
        { "Alpha soft circle, 75",
            [](auto &d, auto &o, auto &n) {
                return AlphaTransition(d, o, n, AlphaKind::SoftCircle, 75, 15);
            } },
    };

    const RasterSurface first = gradient(0);
    const RasterSurface second = gradient(77);
    double worst = 0;
    double worstAlpha = 0;
    for (const Case &c : cases) {
        if (only && !std::strstr(c.name, only))
            continue;
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
            TransitionRunner runner(state);
            bool tickDue = false;
            runner.setTickScheduler([&tickDue](int) { tickDue = true; });
            std::vector<double> times;
            auto last = Clock::now();
            state.refresh = [&] {
                const auto now = Clock::now();
                times.push_back(std::chrono::duration<double, std::milli>(now - last).count());
                last = now;
            };
            last = Clock::now();
            runner.start(c.make(display, outgoing, incoming));
            while (tickDue) {
                tickDue = false;
                runner.tick();
            }
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
