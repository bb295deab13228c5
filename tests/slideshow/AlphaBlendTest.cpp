#include "slideshow/effects/AlphaBlend.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace slideshow::test {

namespace {

    unsigned reference(unsigned a, unsigned n, unsigned o)
    {
        return ((255 - a) * n + a * o) / 255;
    }

    struct Path {
        const char *name;
        const detail::AlphaBlender &(*blender)();
    };

    void PrintTo(const Path &path, std::ostream *os)
    {
        *os << path.name;
    }

    class AlphaBlendTest : public ::testing::TestWithParam<Path> {
    protected:
        const detail::AlphaBlender &blender() const { return GetParam().blender(); }
    };

    // Guard bytes on both sides of the output catch a routine writing past its row.
    constexpr std::size_t kGuard = 64;
    constexpr std::uint8_t kGuardValue = 0xA5;

    ::testing::AssertionResult guardsIntact(const std::vector<std::uint8_t> &out, std::size_t count)
    {
        for (std::size_t k = 0; k < kGuard; ++k)
            if (out[k] != kGuardValue || out[kGuard + count + k] != kGuardValue)
                return ::testing::AssertionFailure() << "wrote outside the row";
        return ::testing::AssertionSuccess();
    }

}

// Every (a, n, o): the n and o bytes run through all 65536 pairs, with a few more bytes so
// that the length is no multiple of any vector width.
TEST_P(AlphaBlendTest, ConstantWeightIsExactForEveryCombination)
{
    constexpr std::size_t count = 65536 + 13;
    std::vector<std::uint8_t> n(count);
    std::vector<std::uint8_t> o(count);
    for (std::size_t k = 0; k < count; ++k) {
        n[k] = static_cast<std::uint8_t>(k);
        o[k] = static_cast<std::uint8_t>(k >> 8);
    }
    std::vector<std::uint8_t> out(count + 2 * kGuard, kGuardValue);
    for (unsigned a = 0; a < 256; ++a) {
        blender().constant(out.data() + kGuard, n.data(), o.data(), count, a);
        std::size_t wrong = 0;
        for (std::size_t k = 0; k < count; ++k)
            wrong += out[kGuard + k] != reference(a, n[k], o[k]) ? 1 : 0;
        ASSERT_EQ(wrong, 0u) << "a = " << a;
        ASSERT_TRUE(guardsIntact(out, count)) << "a = " << a;
    }
}

// Each pixel takes its own weight; over all shifts, the first byte of the pixels meets every
// (weight, n, o), and the other two bytes show whether the weight reaches the right bytes.
TEST_P(AlphaBlendTest, PerPixelWeightIsExactForEveryCombination)
{
    constexpr std::size_t pixels = 65536 + 11;
    std::vector<std::uint8_t> n(pixels * 3);
    std::vector<std::uint8_t> o(pixels * 3);
    for (std::size_t p = 0; p < pixels; ++p) {
        n[p * 3] = static_cast<std::uint8_t>(p);
        o[p * 3] = static_cast<std::uint8_t>(p >> 8);
        n[p * 3 + 1] = static_cast<std::uint8_t>(p * 7);
        o[p * 3 + 1] = static_cast<std::uint8_t>(255 - (p >> 8));
        n[p * 3 + 2] = 255;
        o[p * 3 + 2] = 0;
    }
    std::vector<std::uint8_t> weights(pixels);
    std::vector<std::uint8_t> out(pixels * 3 + 2 * kGuard, kGuardValue);
    for (unsigned shift = 0; shift < 256; ++shift) {
        for (std::size_t p = 0; p < pixels; ++p)
            weights[p] = static_cast<std::uint8_t>(p + shift);
        blender().perPixel(out.data() + kGuard, n.data(), o.data(), weights.data(), pixels);
        std::size_t wrong = 0;
        for (std::size_t k = 0; k < pixels * 3; ++k)
            wrong += out[kGuard + k] != reference(weights[k / 3], n[k], o[k]) ? 1 : 0;
        ASSERT_EQ(wrong, 0u) << "shift = " << shift;
        ASSERT_TRUE(guardsIntact(out, pixels * 3)) << "shift = " << shift;
    }
}

// Short and odd lengths at odd addresses: the ends of rows and the narrow pieces of a ring.
TEST_P(AlphaBlendTest, ShortRowsAtOddAddresses)
{
    constexpr std::size_t most = 100;
    std::vector<std::uint8_t> n(most * 3 + 1);
    std::vector<std::uint8_t> o(most * 3 + 1);
    std::vector<std::uint8_t> weights(most + 1);
    for (std::size_t k = 0; k < n.size(); ++k) {
        n[k] = static_cast<std::uint8_t>(k * 37 + 11);
        o[k] = static_cast<std::uint8_t>(255 - k * 13);
    }
    for (std::size_t p = 0; p < weights.size(); ++p)
        weights[p] = static_cast<std::uint8_t>(p * 29 + 3);
    for (std::size_t count = 0; count <= most; ++count) {
        SCOPED_TRACE(count);
        std::vector<std::uint8_t> out(count * 3 + 2 * kGuard + 1, kGuardValue);
        std::uint8_t *d = out.data() + kGuard;
        blender().constant(d, n.data() + 1, o.data() + 1, count, 200);
        for (std::size_t k = 0; k < count; ++k)
            ASSERT_EQ(d[k], reference(200, n[k + 1], o[k + 1])) << k;
        ASSERT_TRUE(guardsIntact(out, count));

        out.assign(out.size(), kGuardValue);
        blender().perPixel(d, n.data() + 1, o.data() + 1, weights.data() + 1, count);
        for (std::size_t k = 0; k < count * 3; ++k)
            ASSERT_EQ(d[k], reference(weights[k / 3 + 1], n[k + 1], o[k + 1])) << k;
        ASSERT_TRUE(guardsIntact(out, count * 3));
    }
}

INSTANTIATE_TEST_SUITE_P(Paths,
    AlphaBlendTest,
    ::testing::Values(Path { "fastest", &detail::alphaBlender }, Path { "portable", &detail::portableAlphaBlender }),
    [](const ::testing::TestParamInfo<Path> &path) { return std::string(path.param.name); });

}
