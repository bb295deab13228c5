#include "common/Numbers.h"
#include "slideshow/TransitionEffects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace slideshow {

namespace {

    // Weight of the outgoing picture, 0..255, at distance `g - position` behind the soft edge.
    std::uint8_t edgeWeight(int g, int position, int width)
    {
        const double a = 255.0 - static_cast<double>(g - position) / width * 255.0;
        return static_cast<std::uint8_t>(std::clamp<qint64>(common::roundHalfEven(a), 0, 255));
    }

    // Cloned for AVX2 where the processor has it; the plain build uses SSE2.
    __attribute__((target_clones("avx2", "default"))) void blendConstant(
        std::uint8_t *d, const std::uint8_t *n, const std::uint8_t *o, std::size_t count, unsigned a)
    {
        const auto keep = static_cast<std::uint16_t>(255 - a);
        const auto take = static_cast<std::uint16_t>(a);
        for (std::size_t k = 0; k < count; ++k) {
            const auto x = static_cast<std::uint16_t>(keep * n[k] + take * o[k]);
            d[k] = static_cast<std::uint8_t>((x + 1 + (x >> 8)) >> 8);
        }
    }

    // Like blendConstant with one outgoing weight per byte.
    __attribute__((target_clones("avx2", "default"))) void blendWeighted(
        std::uint8_t *d, const std::uint8_t *n, const std::uint8_t *o, const std::uint8_t *weights, std::size_t count)
    {
        for (std::size_t k = 0; k < count; ++k) {
            const auto take = static_cast<std::uint16_t>(weights[k]);
            const auto x = static_cast<std::uint16_t>((255 - take) * n[k] + take * o[k]);
            d[k] = static_cast<std::uint8_t>((x + 1 + (x >> 8)) >> 8);
        }
    }

    void blendPixel(std::uint8_t *d, const std::uint8_t *n, const std::uint8_t *o, unsigned a)
    {
        d[0] = blendChannel(a, n[0], o[0]);
        d[1] = blendChannel(a, n[1], o[1]);
        d[2] = blendChannel(a, n[2], o[2]);
    }

    // Pixel columns [from, to) of one row: below `inFrom..inTo` the incoming picture, the
    // rest handled by the caller.
    void copyColumns(std::uint8_t *d, const std::uint8_t *source, int from, int to)
    {
        if (to > from)
            std::memcpy(d + from * 3, source + from * 3, static_cast<std::size_t>(to - from) * 3);
    }

    qint64 integerSqrt(qint64 value)
    {
        qint64 r = static_cast<qint64>(std::sqrt(static_cast<double>(value)));
        while (r * r > value)
            --r;
        while ((r + 1) * (r + 1) <= value)
            ++r;
        return r;
    }

    // Soft wipe: columns left of the edge show the incoming picture, right of it the outgoing.
    void softWipePass(
        RasterSurface &display, const RasterSurface &outgoing, const RasterSurface &incoming, int g, int width)
    {
        const int w = display.width();
        const int edgeFrom = std::clamp(g - width, 0, w);
        const int edgeTo = std::clamp(g + 1, 0, w);
        std::vector<std::uint8_t> weights(static_cast<std::size_t>(w));
        for (int c = edgeFrom; c < edgeTo; ++c)
            weights[static_cast<std::size_t>(c)] = edgeWeight(g, c, width);
        for (int y = 0; y < display.height(); ++y) {
            std::uint8_t *d = display.row(y);
            const std::uint8_t *n = incoming.row(y);
            const std::uint8_t *o = outgoing.row(y);
            copyColumns(d, n, 0, edgeFrom);
            for (int c = edgeFrom; c < edgeTo; ++c)
                blendPixel(d + c * 3, n + c * 3, o + c * 3, weights[static_cast<std::size_t>(c)]);
            copyColumns(d, o, edgeTo, w);
        }
    }

    // What earlier soft-circle passes left on the display: the outside only shrinks and the
    // inside only grows from pass to pass, so a later pass rewrites just the ring and the
    // columns that newly fell inside.
    struct CircleProgress {
        bool outsideDrawn = false;
        std::vector<std::pair<int, int>> inside; // per row, columns [first, second) showing the incoming picture
    };

    // Soft circle around the middle: inside the incoming picture, outside the outgoing.
    void softCirclePass(RasterSurface &display,
        const RasterSurface &outgoing,
        const RasterSurface &incoming,
        int g,
        int width,
        CircleProgress &progress)
    {
        progress.inside.resize(static_cast<std::size_t>(display.height()));
        std::vector<std::uint8_t> byteWeights(static_cast<std::size_t>(display.width()) * 3);
        const int w = display.width();
        const int centreX = w / 2;
        const int centreY = display.height() / 2;
        // round(sqrt(s)) > g exactly when s > g * g + g (sqrt(s) never ends in .5).
        const qint64 outerLimit = static_cast<qint64>(g) * g + g;
        const qint64 inner = static_cast<qint64>(g) - width - 1;
        const qint64 innerLimit = inner >= 0 ? inner * inner + inner : -1;
        std::vector<std::uint8_t> weightOf(static_cast<std::size_t>(std::max(g, 0)) + 1);
        for (int distance = 0; distance <= g; ++distance)
            weightOf[static_cast<std::size_t>(distance)] = distance < g - width ? 0 : edgeWeight(g, distance, width);

        // Columns centreX - r .. centreX + r, clipped, as a half-open range.
        const auto columnsWithin = [&](qint64 r) -> std::pair<int, int> {
            if (r < 0)
                return { 0, 0 };
            const qint64 from = std::clamp<qint64>(centreX - r, 0, w);
            const qint64 to = std::clamp<qint64>(centreX + r + 1, 0, w);
            return { static_cast<int>(from), static_cast<int>(std::max(from, to)) };
        };
        // round(sqrt(s)) for a squared distance s: the k with k * k - k < s <= k * k + k.
        const auto roundedDistance = [](qint64 s, qint64 k) {
            while (k > 0 && s <= (k - 1) * (k - 1) + (k - 1))
                --k;
            while (s > k * k + k)
                ++k;
            return k;
        };
        for (int y = 0; y < display.height(); ++y) {
            std::uint8_t *target = display.row(y);
            const std::uint8_t *n = incoming.row(y);
            const std::uint8_t *o = outgoing.row(y);
            const qint64 dy2 = static_cast<qint64>(y - centreY) * (y - centreY);
            const auto [ringFrom, ringTo] = columnsWithin(outerLimit >= dy2 ? integerSqrt(outerLimit - dy2) : -1);
            const auto [inFrom, inTo] = columnsWithin(innerLimit >= dy2 ? integerSqrt(innerLimit - dy2) : -1);
            if (!progress.outsideDrawn) {
                copyColumns(target, o, 0, ringFrom);
                copyColumns(target, o, ringTo, w);
            }
            const auto squared = [&](int c) {
                return static_cast<qint64>(centreX - c) * (centreX - c) + dy2;
            };
            // Along a row the distance changes by at most one per column, so it is followed
            // from column to column instead of taking a square root for each.
            const auto blendRing = [&](int from, int to) {
                if (from >= to)
                    return;
                qint64 distance = integerSqrt(squared(from));
                for (int c = from; c < to; ++c) {
                    distance = roundedDistance(squared(c), distance);
                    const std::size_t index = std::min(static_cast<std::size_t>(distance), weightOf.size() - 1);
                    std::memset(byteWeights.data() + c * 3, weightOf[index], 3);
                }
                blendWeighted(target + from * 3,
                    n + from * 3,
                    o + from * 3,
                    byteWeights.data() + from * 3,
                    static_cast<std::size_t>(to - from) * 3);
            };
            auto &[doneFrom, doneTo] = progress.inside[static_cast<std::size_t>(y)];
            if (inFrom < inTo) {
                blendRing(ringFrom, inFrom);
                if (doneFrom < doneTo) {
                    copyColumns(target, n, inFrom, doneFrom);
                    copyColumns(target, n, doneTo, inTo);
                } else {
                    copyColumns(target, n, inFrom, inTo);
                }
                blendRing(inTo, ringTo);
                doneFrom = inFrom;
                doneTo = inTo;
            } else {
                blendRing(ringFrom, ringTo);
            }
        }
        progress.outsideDrawn = true;
    }

    void crossFadePass(RasterSurface &display, const RasterSurface &outgoing, const RasterSurface &incoming, int g)
    {
        const auto a = static_cast<unsigned>(std::clamp(255 - g, 0, 255));
        const auto bytes = static_cast<std::size_t>(display.width()) * 3;
        for (int y = 0; y < display.height(); ++y)
            blendConstant(display.row(y), incoming.row(y), outgoing.row(y), bytes, a);
    }

}

void AlphaTransition(TransitionState &state,
    RasterSurface &display,
    RasterSurface &outgoing,
    RasterSurface &incoming,
    int kind,
    int width,
    int step)
{
    if (state.TransitionBusy)
        return;
    width = std::max(1, width);
    step = std::max(1, step);
    const int w = display.width();
    const int h = display.height();
    if (incoming.size() != display.size() || outgoing.size() != display.size()) {
        // Every pass reads whole rows of both pictures; other sizes only get the end result.
        detail::drawFinalFrame(state, display, incoming);
        return;
    }

    int limit = 0;
    int g = 0;
    int advance = step;
    CircleProgress circle;
    switch (kind) {
    case 1:
        limit = w + width;
        break;
    case 2:
        limit = 255;
        break;
    default:
        limit = static_cast<int>(
                    common::roundHalfEven(std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h) / 2))
            + width;
        g = 1;
        advance = 20;
        break;
    }

    detail::runStepLoop(
        state,
        [&] { return g >= limit; },
        [&] {
            if (kind == 1)
                softWipePass(display, outgoing, incoming, g, width);
            else if (kind == 2)
                crossFadePass(display, outgoing, incoming, g);
            else
                softCirclePass(display, outgoing, incoming, g, width, circle);
            g += advance;
            return false;
        });

    // Finished or stopped, the display ends on the incoming picture; the outgoing surface
    // takes it too, and the incoming one keeps the picture that was replaced.
    display.blockCopy(0, 0, w, h, incoming, 0, 0);
    incoming.blockCopy(0, 0, w, h, outgoing, 0, 0);
    outgoing.blockCopy(0, 0, w, h, display, 0, 0);
    state.TransitionBusy = false;
    detail::callRefresh(state);
}

}
