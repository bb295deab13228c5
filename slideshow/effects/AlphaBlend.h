#pragma once

#include <cstddef>
#include <cstdint>

namespace slideshow::detail {

// Byte-exact mixes of an incoming (n) and an outgoing (o) row: every output byte is
// ((255 - a) * n + a * o) div 255, a being the outgoing weight. The output must not overlap
// the inputs.
struct AlphaBlender {
    // One weight `a` (0..255) for all `count` bytes.
    void (*constant)(std::uint8_t *d, const std::uint8_t *n, const std::uint8_t *o, std::size_t count, unsigned a);
    // One weight per 3-byte pixel, `pixels` pixels.
    void (*perPixel)(
        std::uint8_t *d, const std::uint8_t *n, const std::uint8_t *o, const std::uint8_t *weights, std::size_t pixels);
};

// The fastest routines this processor runs.
const AlphaBlender &alphaBlender();
// Routines every x86-64 processor runs.
const AlphaBlender &portableAlphaBlender();

}
