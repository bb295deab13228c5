#include "common/Numbers.h"
#include "slideshow/TransitionEffects.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace slideshow {

namespace {

    class RandomLinesEffect final : public TransitionEffect {
    public:
        RandomLinesEffect(RasterSurface &display, const RasterSurface &incoming, Axis axis, int step)
            : TransitionEffect(display, incoming)
            , m_axis(axis)
            , m_step(step)
            , m_n(axis == Axis::Vertical ? display.width() : display.height())
        {
        }

        void begin(TransitionState &state) override
        {
            m_order.resize(static_cast<std::size_t>(m_n) + 1);
            for (int k = 0; k <= m_n; ++k)
                m_order[static_cast<std::size_t>(k)] = k;
            std::uniform_real_distribution<double> unit(0.0, 1.0);
            for (int pass = 0; pass < 3; ++pass) {
                for (int j = 1; j <= m_n; ++j) {
                    const auto r = static_cast<std::size_t>(common::roundHalfEven(unit(state.random) * m_n));
                    std::swap(m_order[r], m_order[static_cast<std::size_t>(j)]);
                }
            }
        }

        bool limitReached() const override { return m_i >= m_n; }
        bool drawStep() override
        {
            const int w = m_display.width();
            const int h = m_display.height();
            for (int line = 0; line <= m_step; ++line) {
                if (m_i >= m_n)
                    return true;
                const int k = m_order[static_cast<std::size_t>(m_i)];
                if (m_axis == Axis::Vertical)
                    m_display.blockCopy(k, 0, 1, h, m_incoming, k, 0);
                else
                    m_display.blockCopy(0, k, w, 1, m_incoming, 0, k);
                ++m_i;
            }
            return false;
        }

    private:
        const Axis m_axis;
        const int m_step;
        const int m_n;
        std::vector<int> m_order;
        int m_i = 0;
    };

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

    // BarsDraw and BarsMove; `slide` picks the sliding source positions.
    class BarsEffect final : public TransitionEffect {
    public:
        BarsEffect(RasterSurface &display,
            const RasterSurface &incoming,
            Axis axis,
            int step,
            int barSize,
            bool firstFromStart,
            bool slide)
            : TransitionEffect(display, incoming)
            , m_axis(axis)
            , m_step(step)
            , m_barSize(barSize)
            , m_firstFromStart(firstFromStart)
            , m_slide(slide)
        {
        }

        bool limitReached() const override
        {
            return m_p >= (m_axis == Axis::Vertical ? m_display.height() : m_display.width());
        }
        bool drawStep() override
        {
            const int w = m_display.width();
            const int p = m_p;
            if (m_axis == Axis::Vertical) {
                drawColumnBars(m_display, m_incoming, p, m_barSize, m_firstFromStart, m_slide);
            } else {
                bool fromStart = m_firstFromStart;
                for (int k = 0; k <= m_display.height(); k += m_barSize) {
                    if (fromStart)
                        m_display.blockCopy(0, k, p, m_barSize, m_incoming, m_slide ? w - p : 0, k);
                    else
                        m_display.blockCopy(w - p, k, p, m_barSize, m_incoming, m_slide ? 0 : w - p, k);
                    fromStart = !fromStart;
                }
            }
            m_p += m_step;
            return false;
        }

    private:
        const Axis m_axis;
        const int m_step;
        const int m_barSize;
        const bool m_firstFromStart;
        const bool m_slide;
        int m_p = 0;
    };

    class BlindsEffect final : public TransitionEffect {
    public:
        BlindsEffect(RasterSurface &display, const RasterSurface &incoming, Direction direction, int step, int slatSize)
            : TransitionEffect(display, incoming)
            , m_direction(direction)
            , m_step(step)
            , m_slatSize(slatSize)
        {
        }

        bool limitReached() const override { return m_o >= m_slatSize; }
        bool drawStep() override
        {
            const int w = m_display.width();
            const int h = m_display.height();
            const int o = m_o;
            if (m_direction == Direction::Left || m_direction == Direction::Right) {
                for (int k = 0; k <= w; k += m_slatSize) {
                    const int x = m_direction == Direction::Left ? k : k + m_slatSize - o;
                    m_display.blockCopy(x, 0, o, h, m_incoming, x, 0);
                }
            } else if (m_direction == Direction::Up || m_direction == Direction::Down) {
                for (int k = 0; k <= h; k += m_slatSize) {
                    const int y = m_direction == Direction::Up ? k : k + m_slatSize - o;
                    m_display.blockCopy(0, y, w, o, m_incoming, 0, y);
                }
            }
            m_o += m_step;
            return false;
        }

    private:
        const Direction m_direction;
        const int m_step;
        const int m_slatSize;
        int m_o = 0;
    };

}

EffectPointer RandomLines(RasterSurface &display, const RasterSurface &incoming, Axis axis, int step)
{
    return std::make_unique<RandomLinesEffect>(display, incoming, axis, step);
}

EffectPointer BarsDraw(
    RasterSurface &display, const RasterSurface &incoming, Axis axis, int step, int barSize, bool firstFromStart)
{
    return std::make_unique<BarsEffect>(display, incoming, axis, step, barSize, firstFromStart, false);
}

EffectPointer BarsMove(
    RasterSurface &display, const RasterSurface &incoming, Axis axis, int step, int barSize, bool firstFromStart)
{
    return std::make_unique<BarsEffect>(display, incoming, axis, step, barSize, firstFromStart, true);
}

EffectPointer Blinds(RasterSurface &display, const RasterSurface &incoming, Direction direction, int step, int slatSize)
{
    return std::make_unique<BlindsEffect>(display, incoming, direction, step, slatSize);
}

}
