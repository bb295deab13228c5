#include "slideshow/effects/AlphaBlend.h"

#include "slideshow/TransitionEffects.h"

#include <immintrin.h>

namespace slideshow::detail {

namespace {

    // With 16-bit x <= 255 * 255, x div 255 is the high half of x * 0x8081 shifted right by 7.
    constexpr short kDivide255 = static_cast<short>(0x8081);

    void blendTail(std::uint8_t *d, const std::uint8_t *n, const std::uint8_t *o, std::size_t count, unsigned a)
    {
        for (std::size_t k = 0; k < count; ++k)
            d[k] = blendChannel(a, n[k], o[k]);
    }

    void blendPixelTail(
        std::uint8_t *d, const std::uint8_t *n, const std::uint8_t *o, const std::uint8_t *weights, std::size_t pixels)
    {
        for (std::size_t p = 0; p < pixels; ++p)
            for (std::size_t k = p * 3; k < p * 3 + 3; ++k)
                d[k] = blendChannel(weights[p], n[k], o[k]);
    }

    // SSE2: both pictures widened to 16 bits, two multiplies per half.
    __m128i mixSse2(__m128i n, __m128i o, __m128i keep, __m128i take)
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i divide = _mm_set1_epi16(kDivide255);
        const __m128i low = _mm_add_epi16(
            _mm_mullo_epi16(_mm_unpacklo_epi8(n, zero), keep), _mm_mullo_epi16(_mm_unpacklo_epi8(o, zero), take));
        const __m128i high = _mm_add_epi16(
            _mm_mullo_epi16(_mm_unpackhi_epi8(n, zero), keep), _mm_mullo_epi16(_mm_unpackhi_epi8(o, zero), take));
        return _mm_packus_epi16(
            _mm_srli_epi16(_mm_mulhi_epu16(low, divide), 7), _mm_srli_epi16(_mm_mulhi_epu16(high, divide), 7));
    }

    void constantSse2(std::uint8_t *d, const std::uint8_t *n, const std::uint8_t *o, std::size_t count, unsigned a)
    {
        const __m128i keep = _mm_set1_epi16(static_cast<short>(255 - a));
        const __m128i take = _mm_set1_epi16(static_cast<short>(a));
        std::size_t k = 0;
        for (; k + 16 <= count; k += 16) {
            const __m128i vn = _mm_loadu_si128(reinterpret_cast<const __m128i *>(n + k));
            const __m128i vo = _mm_loadu_si128(reinterpret_cast<const __m128i *>(o + k));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(d + k), mixSse2(vn, vo, keep, take));
        }
        blendTail(d + k, n + k, o + k, count - k, a);
    }

    void perPixelSse2(
        std::uint8_t *d, const std::uint8_t *n, const std::uint8_t *o, const std::uint8_t *weights, std::size_t pixels)
    {
        // 16 pixels are 48 bytes: three vectors, their weights spread out byte by byte.
        const __m128i all = _mm_set1_epi8(static_cast<char>(0xFF));
        const __m128i zero = _mm_setzero_si128();
        alignas(16) std::uint8_t spread[48];
        std::size_t p = 0;
        for (; p + 16 <= pixels; p += 16) {
            for (int k = 0; k < 48; ++k)
                spread[k] = weights[p + static_cast<std::size_t>(k / 3)];
            for (int part = 0; part < 3; ++part) {
                const std::size_t at = p * 3 + static_cast<std::size_t>(part) * 16;
                const __m128i take =
                    _mm_load_si128(reinterpret_cast<const __m128i *>(spread + std::ptrdiff_t(part) * 16));
                const __m128i keep = _mm_xor_si128(take, all);
                const __m128i vn = _mm_loadu_si128(reinterpret_cast<const __m128i *>(n + at));
                const __m128i vo = _mm_loadu_si128(reinterpret_cast<const __m128i *>(o + at));
                const __m128i divide = _mm_set1_epi16(kDivide255);
                const __m128i low =
                    _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(vn, zero), _mm_unpacklo_epi8(keep, zero)),
                        _mm_mullo_epi16(_mm_unpacklo_epi8(vo, zero), _mm_unpacklo_epi8(take, zero)));
                const __m128i high =
                    _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(vn, zero), _mm_unpackhi_epi8(keep, zero)),
                        _mm_mullo_epi16(_mm_unpackhi_epi8(vo, zero), _mm_unpackhi_epi8(take, zero)));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(d + at),
                    _mm_packus_epi16(_mm_srli_epi16(_mm_mulhi_epu16(low, divide), 7),
                        _mm_srli_epi16(_mm_mulhi_epu16(high, divide), 7)));
            }
        }
        blendPixelTail(d + p * 3, n + p * 3, o + p * 3, weights + p, pixels - p);
    }

    // AVX2: the pictures biased to signed bytes and interleaved, so one multiply-add per
    // half gives keep * (n - 128) + take * (o - 128), never beyond 16 bits; adding
    // 128 * 255 back gives the 16-bit sum.
    __attribute__((target("avx2"))) __m256i mixAvx2(__m256i n, __m256i o, __m256i weightsLow, __m256i weightsHigh)
    {
        const __m256i bias = _mm256_set1_epi8(static_cast<char>(0x80));
        const __m256i unbias = _mm256_set1_epi16(128 * 255);
        const __m256i divide = _mm256_set1_epi16(kDivide255);
        const __m256i sn = _mm256_xor_si256(n, bias);
        const __m256i so = _mm256_xor_si256(o, bias);
        const __m256i low = _mm256_add_epi16(_mm256_maddubs_epi16(weightsLow, _mm256_unpacklo_epi8(sn, so)), unbias);
        const __m256i high = _mm256_add_epi16(_mm256_maddubs_epi16(weightsHigh, _mm256_unpackhi_epi8(sn, so)), unbias);
        return _mm256_packus_epi16(_mm256_srli_epi16(_mm256_mulhi_epu16(low, divide), 7),
            _mm256_srli_epi16(_mm256_mulhi_epu16(high, divide), 7));
    }

    __attribute__((target("avx2"))) void constantAvx2(
        std::uint8_t *d, const std::uint8_t *n, const std::uint8_t *o, std::size_t count, unsigned a)
    {
        // Byte pairs (keep, take), matching the (n, o) pairs.
        const __m256i weights = _mm256_set1_epi16(static_cast<short>((255 - a) | (a << 8)));
        std::size_t k = 0;
        for (; k + 32 <= count; k += 32) {
            const __m256i vn = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(n + k));
            const __m256i vo = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(o + k));
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(d + k), mixAvx2(vn, vo, weights, weights));
        }
        if (k < count && k >= 32 && d != n && d != o) {
            // The last 32 bytes once more: the overlap gets the same bytes again.
            k = count - 32;
            const __m256i vn = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(n + k));
            const __m256i vo = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(o + k));
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(d + k), mixAvx2(vn, vo, weights, weights));
            return;
        }
        blendTail(d + k, n + k, o + k, count - k, a);
    }

    // Which of 16 weights each byte of a 16-byte lane takes, for the six lanes of 32 pixels
    // (96 bytes); lanes from byte 48 on index the upper 16 weights.
    template <int First> constexpr char laneIndex(int i)
    {
        return static_cast<char>((First + i) / 3 - (First >= 48 ? 16 : 0));
    }

    template <int First> __attribute__((target("avx2"))) __m256i spreadMask()
    {
        return _mm256_setr_epi8(laneIndex<First>(0),
            laneIndex<First>(1),
            laneIndex<First>(2),
            laneIndex<First>(3),
            laneIndex<First>(4),
            laneIndex<First>(5),
            laneIndex<First>(6),
            laneIndex<First>(7),
            laneIndex<First>(8),
            laneIndex<First>(9),
            laneIndex<First>(10),
            laneIndex<First>(11),
            laneIndex<First>(12),
            laneIndex<First>(13),
            laneIndex<First>(14),
            laneIndex<First>(15),
            laneIndex<First + 16>(0),
            laneIndex<First + 16>(1),
            laneIndex<First + 16>(2),
            laneIndex<First + 16>(3),
            laneIndex<First + 16>(4),
            laneIndex<First + 16>(5),
            laneIndex<First + 16>(6),
            laneIndex<First + 16>(7),
            laneIndex<First + 16>(8),
            laneIndex<First + 16>(9),
            laneIndex<First + 16>(10),
            laneIndex<First + 16>(11),
            laneIndex<First + 16>(12),
            laneIndex<First + 16>(13),
            laneIndex<First + 16>(14),
            laneIndex<First + 16>(15));
    }

    __attribute__((target("avx2"))) void mixSpreadAvx2(
        std::uint8_t *d, const std::uint8_t *n, const std::uint8_t *o, __m256i take)
    {
        const __m256i keep = _mm256_xor_si256(take, _mm256_set1_epi8(static_cast<char>(0xFF)));
        const __m256i vn = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(n));
        const __m256i vo = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(o));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(d),
            mixAvx2(vn, vo, _mm256_unpacklo_epi8(keep, take), _mm256_unpackhi_epi8(keep, take)));
    }

    // Pixels p .. p + 31.
    __attribute__((target("avx2"))) void mixBlockAvx2(std::uint8_t *d,
        const std::uint8_t *n,
        const std::uint8_t *o,
        const std::uint8_t *weights,
        std::size_t p,
        const __m256i (&masks)[3])
    {
        const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(weights + p));
        const std::size_t at = p * 3;
        mixSpreadAvx2(d + at, n + at, o + at, _mm256_shuffle_epi8(_mm256_permute4x64_epi64(w, 0x44), masks[0]));
        mixSpreadAvx2(d + at + 32, n + at + 32, o + at + 32, _mm256_shuffle_epi8(w, masks[1]));
        mixSpreadAvx2(
            d + at + 64, n + at + 64, o + at + 64, _mm256_shuffle_epi8(_mm256_permute4x64_epi64(w, 0xEE), masks[2]));
    }

    __attribute__((target("avx2"))) void perPixelAvx2(
        std::uint8_t *d, const std::uint8_t *n, const std::uint8_t *o, const std::uint8_t *weights, std::size_t pixels)
    {
        const __m256i masks[3] = { spreadMask<0>(), spreadMask<32>(), spreadMask<64>() };
        std::size_t p = 0;
        for (; p + 32 <= pixels; p += 32)
            mixBlockAvx2(d, n, o, weights, p, masks);
        if (p < pixels && p >= 32 && d != n && d != o) {
            // The last 32 pixels once more: the overlap gets the same bytes again.
            mixBlockAvx2(d, n, o, weights, pixels - 32, masks);
            return;
        }
        blendPixelTail(d + p * 3, n + p * 3, o + p * 3, weights + p, pixels - p);
    }

}

const AlphaBlender &portableAlphaBlender()
{
    static const AlphaBlender blender { constantSse2, perPixelSse2 };
    return blender;
}

const AlphaBlender &alphaBlender()
{
    static const AlphaBlender avx2 { constantAvx2, perPixelAvx2 };
    static const AlphaBlender &best = __builtin_cpu_supports("avx2") ? avx2 : portableAlphaBlender();
    return best;
}

}
