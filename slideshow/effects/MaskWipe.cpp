#include "common/Numbers.h"
#include "slideshow/TransitionEffects.h"

#include <algorithm>
#include <cmath>

namespace slideshow {

namespace {

    int roundToInt(double value)
    {
        return static_cast<int>(common::roundHalfEven(value));
    }

    int limitOf(MaskShape shape, int w, int h)
    {
        switch (static_cast<int>(shape)) {
        case 1:
            return 2 * w + 2 * h;
        case 2:
            return roundToInt(std::sqrt((w / 2.0) * (w / 2.0) + (h / 2.0) * (h / 2.0)));
        case 3:
            return w + h;
        default:
            return w;
        }
    }

    // The incoming picture shows through a mask that items drawn in white open step by step.
    // The mask belongs to the effect, so it is released however the effect ends, stopped ones
    // included. Points at -1 lie just outside and are clipped.
    class MaskWipeEffect final : public TransitionEffect {
    public:
        MaskWipeEffect(RasterSurface &display, const RasterSurface &incoming, MaskShape shape, int step)
            : TransitionEffect(display, incoming)
            , m_shape(static_cast<int>(shape))
            , m_step(std::max(1, step))
            , m_w(display.width())
            , m_h(display.height())
            , m_limit(limitOf(shape, m_w, m_h))
            , m_cx(roundToInt(m_w / 2.0))
            , m_cy(roundToInt(m_h / 2.0))
        {
        }

        void begin(TransitionState &) override { m_mask = RasterSurface(m_w, m_h); }

        bool limitReached() const override { return m_depth >= m_limit || m_phase == -1; }

        bool drawStep() override
        {
            if (m_shape == 2)
                --m_depth;
            for (int k = 0; k < m_step; ++k)
                drawItem();
            compose();
            ++m_depth;
            return false;
        }

    private:
        void line(int x0, int y0, int x1, int y1) { m_mask.drawLine(x0, y0, x1, y1, Bgr::white()); }

        // Revealed pixels take the incoming picture, the others keep the display's. The four
        // raster operations scratch = NOT mask, display = display AND scratch, mask = mask AND
        // incoming, display = display OR mask, made in one pass over the three surfaces.
        void compose()
        {
            const int rows = std::min({ m_h, m_display.height(), m_incoming.height() });
            const auto bytes = static_cast<std::size_t>(std::min({ m_w, m_display.width(), m_incoming.width() })) * 3;
            for (int y = 0; y < rows; ++y) {
                std::uint8_t *d = m_display.row(y);
                std::uint8_t *m = m_mask.row(y);
                const std::uint8_t *n = m_incoming.row(y);
                for (std::size_t k = 0; k < bytes; ++k) {
                    const auto revealed = static_cast<std::uint8_t>(m[k] & n[k]);
                    d[k] = static_cast<std::uint8_t>((d[k] & ~m[k]) | revealed);
                    m[k] = revealed;
                }
            }
        }

        void drawRadialItem()
        {
            const int w = m_w;
            const int h = m_h;
            int &count = m_count;
            int &phase = m_phase;
            int toX = 0;
            int toY = 0;
            switch (phase) {
            case 0:
                toX = count;
                toY = -1;
                if (count > w) {
                    phase = 1;
                    count = 0;
                }
                break;
            case 1:
                toX = w;
                toY = count;
                if (count > h) {
                    phase = 2;
                    count = 0;
                }
                break;
            case 2:
                toX = w - count;
                toY = h;
                if (count > w) {
                    phase = 3;
                    count = 0;
                }
                break;
            case 3:
                toX = -1;
                toY = h - count;
                if (count > h) {
                    phase = -1;
                    count = 0;
                }
                break;
            default:
                ++count;
                return;
            }
            line(m_cx, m_cy, toX, toY);
            ++count;
        }

        void drawItem()
        {
            const int w = m_w;
            const int h = m_h;
            int &count = m_count;
            int &phase = m_phase;
            switch (m_shape) {
            case 1:
                drawRadialItem();
                break;
            case 2:
                m_mask.fillEllipse(roundToInt(w / 2.0 - m_depth),
                    roundToInt(h / 2.0 - m_depth),
                    roundToInt(w / 2.0 + m_depth),
                    roundToInt(h / 2.0 + m_depth),
                    Bgr::white(),
                    Bgr::white());
                ++m_depth;
                break;
            case 3:
                if (phase == 0) {
                    if (count > w) {
                        phase = 1;
                        count = 0;
                    }
                    line(0, 0, count, h);
                } else if (phase == 1) {
                    if (count > h) {
                        phase = -1;
                        count = 0;
                    }
                    line(0, 0, w, h - count);
                }
                ++count;
                break;
            case 4:
                if (phase == 0) {
                    ++count;
                    if (count == w)
                        phase = -1;
                    const int y = roundToInt(static_cast<double>(count) / w * h + 1);
                    line(count, 0, count, y);
                    line(w - count, h, w - count, h - y);
                }
                break;
            case 5:
                if (phase == 0) {
                    if (count == w)
                        phase = -1;
                    const int y = roundToInt(static_cast<double>(count) / w * h);
                    line(w - count, -1, -1, h - y);
                    line(w, y, count, h);
                    ++count;
                }
                break;
            case 6:
                if (phase == 0) {
                    if (count == w)
                        phase = -1;
                    line(0, 0, w - count, h);
                    line(w, h, count, -1);
                    ++count;
                }
                break;
            default:
                break;
            }
        }

        const int m_shape;
        const int m_step;
        const int m_w;
        const int m_h;
        const int m_limit;
        const int m_cx;
        const int m_cy;
        RasterSurface m_mask;
        int m_depth = 0;
        int m_count = 0;
        int m_phase = 0;
    };

}

EffectPointer MaskWipe(RasterSurface &display, const RasterSurface &incoming, MaskShape shape, int step)
{
    return std::make_unique<MaskWipeEffect>(display, incoming, shape, step);
}

}
