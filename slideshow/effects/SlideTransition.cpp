#include "slideshow/TransitionEffects.h"

#include <algorithm>

namespace slideshow {

namespace {

    // Two phases: the outgoing picture slides out to half way, then both slide back until the
    // incoming picture fills the display. A stop in the first phase still runs the second.
    class SlideEffect final : public TransitionEffect {
    public:
        SlideEffect(RasterSurface &display,
            const RasterSurface &outgoing,
            const RasterSurface &incoming,
            Direction direction,
            int step)
            : TransitionEffect(display, incoming)
            , m_outgoing(outgoing)
            , m_direction(direction)
            , m_step(std::max(1, step))
        {
        }

        void begin(TransitionState &) override
        {
            m_display.blockCopy(0, 0, m_display.width(), m_display.height(), m_outgoing, 0, 0);
            m_half = (static_cast<int>(m_direction) > 2 ? m_display.width() : m_display.height()) / 2;
        }

        bool limitReached() const override { return m_phase == 1 ? m_halfReached : m_y < 0; }

        bool drawStep() override
        {
            draw();
            if (m_phase == 1) {
                m_halfReached = m_y + m_step >= m_half;
                m_y += m_step;
            } else {
                m_y -= m_step;
            }
            return false;
        }

        bool startNextPhase(bool) override
        {
            if (m_phase != 1)
                return false;
            m_phase = 2;
            return true;
        }

    private:
        void draw()
        {
            RasterSurface &d = m_display;
            const int w = d.width();
            const int h = d.height();
            const int y = m_y;
            const bool up = m_direction == Direction::Up;
            const bool down = m_direction == Direction::Down;
            if (m_phase == 1 && up) {
                d.blockCopy(0, 0, w, h - y, m_outgoing, 0, y);
                d.blockCopy(0, h - y, w, y, m_incoming, 0, h - 2 * y);
            } else if (m_phase == 1 && down) {
                d.blockCopy(0, y, w, h - y, m_outgoing, 0, 0);
                d.blockCopy(0, 0, w, y, m_incoming, 0, y);
            } else if (m_phase == 2 && up) {
                d.blockCopy(0, 0, w, y, m_outgoing, 0, y);
                d.blockCopy(0, y, w, h - y, m_incoming, 0, 0);
            } else if (m_phase == 2 && down) {
                d.blockCopy(0, y, w, h - y, m_outgoing, 0, 0);
                d.blockCopy(0, 0, w, h - y, m_incoming, 0, y);
            }
        }

        const RasterSurface &m_outgoing;
        const Direction m_direction;
        const int m_step;
        int m_half = 0;
        int m_phase = 1;
        int m_y = 0;
        bool m_halfReached = false;
    };

}

EffectPointer SlideTransition(
    RasterSurface &display, const RasterSurface &outgoing, const RasterSurface &incoming, Direction direction, int step)
{
    return std::make_unique<SlideEffect>(display, outgoing, incoming, direction, step);
}

}
