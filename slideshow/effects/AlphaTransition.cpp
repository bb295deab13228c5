#include "common/Numbers.h"
#include "slideshow/TransitionEffects.h"
#include "slideshow/effects/AlphaBlend.h"

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

    // Copies pixel columns [from, to) of one row.
    void copyColumns(std::uint8_t *d, const std::uint8_t *source, int from, int to)
    {
        if (to > from)
            std::memcpy(d + std::ptrdiff_t(from) * 3,
                source + std::ptrdiff_t(from) * 3,
                static_cast<std::size_t>(to - from) * 3);
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

    // Columns centreX - r .. centreX + r, clipped, as a half-open range; none for r < 0.
    std::pair<int, int> columnsWithin(int r, int centreX, int w)
    {
        if (r < 0)
            return { 0, 0 };
        return { std::max(centreX - r, 0), std::min(centreX + r + 1, w) };
    }

    // Buffers kept from pass to pass, so a pass allocates nothing once they have grown.
    struct PassBuffers {
        std::vector<std::uint8_t> columnWeights; // per column
        std::vector<std::uint8_t> weightOf; // soft circle: per rounded distance
        std::vector<std::pair<int, int>> radii; // soft circle: per row
    };

    template <typename T> T *grown(std::vector<T> &buffer, std::size_t size)
    {
        if (buffer.size() < size)
            buffer.resize(size);
        return buffer.data();
    }

    // Soft wipe: columns left of the edge show the incoming picture, right of it the outgoing.
    void softWipePass(RasterSurface &display,
        const RasterSurface &outgoing,
        const RasterSurface &incoming,
        int g,
        int width,
        PassBuffers &buffers)
    {
        const int w = display.width();
        const int edgeFrom = std::clamp(g - width, 0, w);
        const int edgeTo = std::clamp(g + 1, 0, w);
        std::uint8_t *weights = grown(buffers.columnWeights, static_cast<std::size_t>(w));
        for (int c = edgeFrom; c < edgeTo; ++c)
            weights[c] = edgeWeight(g, c, width);
        const auto &blend = detail::alphaBlender();
        for (int y = 0; y < display.height(); ++y) {
            std::uint8_t *d = display.row(y);
            const std::uint8_t *n = incoming.row(y);
            const std::uint8_t *o = outgoing.row(y);
            copyColumns(d, n, 0, edgeFrom);
            if (edgeFrom < edgeTo)
                blend.perPixel(d + std::ptrdiff_t(edgeFrom) * 3,
                    n + std::ptrdiff_t(edgeFrom) * 3,
                    o + std::ptrdiff_t(edgeFrom) * 3,
                    weights + edgeFrom,
                    static_cast<std::size_t>(edgeTo - edgeFrom));
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
        CircleProgress &progress,
        PassBuffers &buffers)
    {
        const int w = display.width();
        const int h = display.height();
        progress.inside.resize(static_cast<std::size_t>(h));
        const int centreX = w / 2;
        const int centreY = h / 2;
        // round(sqrt(s)) > g exactly when s > g * g + g (sqrt(s) never ends in .5).
        const qint64 outerLimit = static_cast<qint64>(g) * g + g;
        const qint64 inner = static_cast<qint64>(g) - width - 1;
        const qint64 innerLimit = inner >= 0 ? inner * inner + inner : -1;
        const int lastDistance = std::max(g, 0);
        std::uint8_t *weightOf = grown(buffers.weightOf, static_cast<std::size_t>(lastDistance) + 1);
        for (int distance = 0; distance <= lastDistance; ++distance)
            weightOf[distance] = distance < g - width ? 0 : edgeWeight(g, distance, width);
        // Weights of two rows. Column offsets from the centre reach centreX on the left and at
        // most centreX on the right, so both halves fit from column 0 to column w.
        const auto stride = static_cast<std::size_t>(w) + 1;
        std::uint8_t *twoRowWeights = grown(buffers.columnWeights, 2 * stride);
        const auto weightsOf = [&](int y) {
            return twoRowWeights + static_cast<std::size_t>(y % 2) * stride;
        };
        const auto &blend = detail::alphaBlender();

        // Per row the offsets from the centre column that are on the ring (rounded distance
        // up to g) and inside it (before the soft edge); -1 where none are.
        auto *radii = grown(buffers.radii, static_cast<std::size_t>(h));
        for (int y = 0; y < h; ++y) {
            const qint64 dy2 = static_cast<qint64>(y - centreY) * (y - centreY);
            // Beyond w both are as good as w, and the column arithmetic stays in range.
            const auto clipped = [&](qint64 limit) {
                return limit >= dy2 ? static_cast<int>(std::min<qint64>(integerSqrt(limit - dy2), w)) : -1;
            };
            radii[y] = { clipped(outerLimit), clipped(innerLimit) };
        }
        struct RingSpan {
            int from = 0;
            int to = 0;
        };
        // The ring's columns on a row, left and right of the inside; the centre column, when
        // on the ring, goes with the right.
        const auto ringSpans = [&](int y) -> std::pair<RingSpan, RingSpan> {
            const auto [ring, inside] = radii[y];
            if (ring < 0)
                return {};
            return { { centreX - std::min(ring, centreX), centreX - std::max(inside + 1, 1) + 1 },
                { centreX + inside + 1, centreX + std::min(ring, w - 1 - centreX) + 1 } };
        };
        // Each row's ring is a few short pieces of three pictures, too short for the
        // processor to fetch ahead by itself.
        const auto fetchAhead = [&](int y) {
            const auto [left, right] = ringSpans(y);
            for (const RingSpan &span : { left, right }) {
                const int from = span.from * 3;
                const int to = std::min(span.to * 3, from + 1024);
                for (int at = from; at < to; at += 64) {
                    __builtin_prefetch(incoming.row(y) + at);
                    __builtin_prefetch(outgoing.row(y) + at);
                    __builtin_prefetch(display.row(y) + at, 1);
                }
            }
        };
        // Along a row the rounded distance is followed instead of taking a square root per
        // column: it is the d with d * d - d < s <= d * d + d, and as it is never less than
        // the offset, it grows by at most one per column. Both halves share the weights.
        const auto fillWeights = [&](int y) {
            const auto [ringRadius, insideRadius] = radii[y];
            std::uint8_t *rowWeights = weightsOf(y);
            const int firstOffset = insideRadius + 1;
            const int lastOffset = std::min(ringRadius, centreX);
            if (firstOffset > lastOffset)
                return;
            const qint64 dy2 = static_cast<qint64>(y - centreY) * (y - centreY);
            qint64 squared = static_cast<qint64>(firstOffset) * firstOffset + dy2;
            qint64 distance = integerSqrt(squared);
            if (squared > distance * distance + distance)
                ++distance;
            qint64 roundsUpTo = distance * distance + distance;
            for (int k = firstOffset; k <= lastOffset; ++k) {
                // Selected rather than branched on: the steps come too irregularly to guess.
                const bool grows = squared > roundsUpTo;
                const qint64 nextLimit = roundsUpTo + 2 * distance + 2;
                distance = grows ? distance + 1 : distance;
                roundsUpTo = grows ? nextLimit : roundsUpTo;
                const std::uint8_t weight = weightOf[std::min<qint64>(distance, lastDistance)];
                rowWeights[centreX + k] = weight;
                rowWeights[centreX - k] = weight;
                squared += 2 * static_cast<qint64>(k) + 1;
            }
        };
        if (h > 0)
            fillWeights(0);
        constexpr int kRowsAhead = 3;
        for (int y = 0; y < std::min(kRowsAhead, h); ++y)
            fetchAhead(y);

        for (int y = 0; y < h; ++y) {
            if (y + kRowsAhead < h)
                fetchAhead(y + kRowsAhead);
            // A row ahead: the blend's wide loads would otherwise wait for the byte stores
            // that just wrote the weights.
            if (y + 1 < h)
                fillWeights(y + 1);
            std::uint8_t *target = display.row(y);
            const std::uint8_t *n = incoming.row(y);
            const std::uint8_t *o = outgoing.row(y);
            const auto [ringRadius, insideRadius] = radii[y];
            const auto [ringFrom, ringTo] = columnsWithin(ringRadius, centreX, w);
            const auto [inFrom, inTo] = columnsWithin(insideRadius, centreX, w);
            if (!progress.outsideDrawn) {
                copyColumns(target, o, 0, ringFrom);
                copyColumns(target, o, ringTo, w);
            }
            auto &[doneFrom, doneTo] = progress.inside[static_cast<std::size_t>(y)];
            if (inFrom < inTo) {
                if (doneFrom < doneTo) {
                    copyColumns(target, n, inFrom, doneFrom);
                    copyColumns(target, n, doneTo, inTo);
                } else {
                    copyColumns(target, n, inFrom, inTo);
                }
                doneFrom = inFrom;
                doneTo = inTo;
            }
            const auto [left, right] = ringSpans(y);
            for (const RingSpan &span : { left, right })
                if (span.from < span.to)
                    blend.perPixel(target + std::ptrdiff_t(span.from) * 3,
                        n + std::ptrdiff_t(span.from) * 3,
                        o + std::ptrdiff_t(span.from) * 3,
                        weightsOf(y) + span.from,
                        static_cast<std::size_t>(span.to - span.from));
        }
        progress.outsideDrawn = true;
    }

    void crossFadePass(RasterSurface &display, const RasterSurface &outgoing, const RasterSurface &incoming, int g)
    {
        const auto a = static_cast<unsigned>(std::clamp(255 - g, 0, 255));
        const auto bytes = static_cast<std::size_t>(display.width()) * 3;
        const auto &blend = detail::alphaBlender();
        for (int y = 0; y < display.height(); ++y)
            blend.constant(display.row(y), incoming.row(y), outgoing.row(y), bytes, a);
    }

    class AlphaEffect final : public TransitionEffect {
    public:
        AlphaEffect(RasterSurface &display,
            RasterSurface &outgoing,
            RasterSurface &incoming,
            AlphaKind kind,
            int width,
            int step)
            : TransitionEffect(display, incoming)
            , m_outgoing(outgoing)
            , m_incomingToSwap(incoming)
            , m_kind(kind)
            , m_width(std::max(1, width))
            , m_advance(std::max(1, step))
        {
        }

        void begin(TransitionState &) override
        {
            const int w = m_display.width();
            const int h = m_display.height();
            // Every pass reads whole rows of both pictures; other sizes only get the end result.
            m_sizesDiffer = m_incoming.size() != m_display.size() || m_outgoing.size() != m_display.size();
            switch (m_kind) {
            case AlphaKind::SoftWipe:
                m_limit = w + m_width;
                break;
            case AlphaKind::CrossFade:
                m_limit = 255;
                break;
            case AlphaKind::SoftCircle:
                m_limit = static_cast<int>(common::roundHalfEven(
                              std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h) / 2))
                    + m_width;
                m_g = 1;
                m_advance = 20;
                break;
            }
        }

        bool limitReached() const override { return m_sizesDiffer || m_g >= m_limit; }

        bool drawStep() override
        {
            if (m_kind == AlphaKind::SoftWipe)
                softWipePass(m_display, m_outgoing, m_incoming, m_g, m_width, m_buffers);
            else if (m_kind == AlphaKind::CrossFade)
                crossFadePass(m_display, m_outgoing, m_incoming, m_g);
            else
                softCirclePass(m_display, m_outgoing, m_incoming, m_g, m_width, m_circle, m_buffers);
            m_g += m_advance;
            return false;
        }

        void end(TransitionState &state, bool) override
        {
            if (m_sizesDiffer) {
                drawFinalFrame(state);
                return;
            }
            // Finished or stopped, the display ends on the incoming picture; the outgoing surface
            // takes it too, and the incoming one keeps the picture that was replaced.
            const int w = m_display.width();
            const int h = m_display.height();
            m_display.blockCopy(0, 0, w, h, m_incoming, 0, 0);
            m_incomingToSwap.blockCopy(0, 0, w, h, m_outgoing, 0, 0);
            m_outgoing.blockCopy(0, 0, w, h, m_display, 0, 0);
            if (state.refresh)
                state.refresh();
        }

    private:
        RasterSurface &m_outgoing;
        RasterSurface &m_incomingToSwap; // the incoming picture, written once at the end
        const AlphaKind m_kind;
        const int m_width;
        int m_advance;
        int m_limit = 0;
        int m_g = 0;
        bool m_sizesDiffer = false;
        CircleProgress m_circle;
        PassBuffers m_buffers;
    };

}

EffectPointer AlphaTransition(
    RasterSurface &display, RasterSurface &outgoing, RasterSurface &incoming, AlphaKind kind, int width, int step)
{
    return std::make_unique<AlphaEffect>(display, outgoing, incoming, kind, width, step);
}

}
