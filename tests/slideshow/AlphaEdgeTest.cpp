#include "EffectHarness.h"
#include "common/Numbers.h"

#include <cmath>

namespace slideshow::test {

namespace {

    ::testing::AssertionResult showsWeights(const RasterSurface &frame,
        const RasterSurface &in,
        const RasterSurface &out,
        const std::function<int(int, int)> &weightAt)
    {
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                const Bgr want = referenceBlend(weightAt(x, y), in.pixel(x, y), out.pixel(x, y));
                if (frame.pixel(x, y) != want)
                    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ")";
            }
        return ::testing::AssertionSuccess();
    }

    struct Frame {
        int width;
        int height;
        int edge;
    };

}

// Frames wider and taller than the circle, odd and even sizes, soft edges wider than the
// inside, and a tall frame whose circle leaves it at the sides: every pass follows the formula.
TEST(AlphaEdge, SoftCircleEveryPassFollowsTheFormula)
{
    for (const Frame &f : { Frame { 181, 97, 30 }, Frame { 180, 96, 9 }, Frame { 41, 173, 25 }, Frame { 1, 64, 70 } }) {
        SCOPED_TRACE(testing::Message() << f.width << " x " << f.height << ", edge " << f.edge);
        EffectHarness h(f.width, f.height);
        const RasterSurface out = h.outgoing;
        const RasterSurface in = h.incoming;
        h.run(AlphaTransition(h.display, h.outgoing, h.incoming, AlphaKind::SoftCircle, f.edge, 1));
        const int limit = static_cast<int>(common::roundHalfEven(
                              std::sqrt(static_cast<double>(f.width) * f.width + f.height * f.height) / 2))
            + f.edge;
        const int passes = (limit - 1 + 19) / 20;
        ASSERT_EQ(h.frames.size(), static_cast<std::size_t>(passes) + 1);
        for (int k = 0; k < passes; ++k) {
            const int g = 1 + 20 * k;
            EXPECT_TRUE(showsWeights(h.frames[static_cast<std::size_t>(k)],
                in,
                out,
                [&](int x, int y) {
                    const double dx = f.width / 2 - x;
                    const double dy = y - f.height / 2;
                    const qint64 d = common::roundHalfEven(std::sqrt(dx * dx + dy * dy));
                    if (d > g)
                        return 255;
                    if (d < g - f.edge)
                        return 0;
                    return referenceWeight(255 - static_cast<double>(g - d) / f.edge * 255);
                }))
                << "g = " << g;
        }
        EXPECT_EQ(h.frames.back(), in);
    }
}

// Soft edges many pixels wide, partly off the frame at the start and at the end.
TEST(AlphaEdge, WideSoftWipeEveryPassFollowsTheFormula)
{
    for (const Frame &f : { Frame { 150, 7, 70 }, Frame { 37, 5, 50 } }) {
        SCOPED_TRACE(testing::Message() << f.width << " x " << f.height << ", edge " << f.edge);
        EffectHarness h(f.width, f.height);
        const RasterSurface out = h.outgoing;
        const RasterSurface in = h.incoming;
        const int step = 7;
        h.run(AlphaTransition(h.display, h.outgoing, h.incoming, AlphaKind::SoftWipe, f.edge, step));
        const int passes = (f.width + f.edge + step - 1) / step;
        ASSERT_EQ(h.frames.size(), static_cast<std::size_t>(passes) + 1);
        for (int k = 0; k < passes; ++k) {
            const int g = step * k;
            EXPECT_TRUE(showsWeights(h.frames[static_cast<std::size_t>(k)],
                in,
                out,
                [&](int x, int) {
                    if (x < g - f.edge)
                        return 0;
                    if (x > g)
                        return 255;
                    return referenceWeight(255 - static_cast<double>(g - x) / f.edge * 255);
                }))
                << "g = " << g;
        }
    }
}

}
