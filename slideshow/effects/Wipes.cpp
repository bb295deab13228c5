#include "common/Numbers.h"
#include "slideshow/TransitionEffects.h"

namespace slideshow {

namespace {

    int halfOf(int extent)
    {
        return static_cast<int>(common::roundHalfEven(extent / 2.0));
    }

    // An effect whose progress p grows by `step` from 0 to a limit, one band drawing per step.
    class BandEffect : public TransitionEffect {
    public:
        BandEffect(RasterSurface &display, const RasterSurface &incoming, int step, int limit)
            : TransitionEffect(display, incoming)
            , m_w(display.width())
            , m_h(display.height())
            , m_step(step)
            , m_limit(limit)
        {
        }
        bool limitReached() const override { return m_p >= m_limit; }
        bool drawStep() override
        {
            drawBands();
            m_p += m_step;
            return false;
        }

    protected:
        virtual void drawBands() = 0;
        void copySame(int x, int y, int w, int h) { m_display.blockCopy(x, y, w, h, m_incoming, x, y); }

        const int m_w;
        const int m_h;
        const int m_step;
        const int m_limit;
        int m_p = 0;
    };

    class NormalWipeEffect final : public BandEffect {
    public:
        NormalWipeEffect(RasterSurface &display, const RasterSurface &incoming, Direction direction, int step)
            : BandEffect(display, incoming, step, static_cast<int>(direction) > 3 ? display.width() : display.height())
            , m_direction(direction)
        {
        }

    private:
        void drawBands() override
        {
            switch (m_direction) {
            case Direction::Up:
                copySame(0, 0, m_w, m_p);
                break;
            case Direction::Down:
                copySame(0, m_h - m_p, m_w, m_p);
                break;
            case Direction::Left:
                copySame(0, 0, m_p, m_h);
                break;
            case Direction::Right:
                copySame(m_w - m_p, 0, m_p, m_h);
                break;
            case Direction::None:
                break;
            }
        }

        const Direction m_direction;
    };

    // Two bands per step: from both edges inwards, or from the middle outwards.
    class TwoBandWipe final : public BandEffect {
    public:
        TwoBandWipe(RasterSurface &display, const RasterSurface &incoming, Axis axis, int step, bool fromOutside)
            : BandEffect(display, incoming, step, halfOf(axis == Axis::Vertical ? display.height() : display.width()))
            , m_vertical(axis == Axis::Vertical)
            , m_fromOutside(fromOutside)
        {
        }

    private:
        void drawBands() override
        {
            const int half = m_limit;
            if (m_fromOutside && m_vertical) {
                copySame(0, 0, m_w, m_p);
                copySame(0, m_h - m_p, m_w, m_p);
            } else if (m_fromOutside) {
                copySame(0, 0, m_p, m_h);
                copySame(m_w - m_p, 0, m_p, m_h);
            } else if (m_vertical) {
                copySame(0, half - m_p, m_w, m_p);
                copySame(0, half, m_w, m_p);
            } else {
                copySame(half - m_p, 0, m_p, m_h);
                copySame(half, 0, m_p, m_h);
            }
        }

        const bool m_vertical;
        const bool m_fromOutside;
    };

    class ZoomWipeEffect final : public TransitionEffect {
    public:
        ZoomWipeEffect(RasterSurface &display,
            const RasterSurface &outgoing,
            const RasterSurface &incoming,
            ZoomSide side,
            int step,
            int extraSubSteps,
            ZoomMode mode)
            : TransitionEffect(display, incoming)
            , m_outgoing(outgoing)
            , m_side(side)
            , m_step(step)
            , m_extraSubSteps(extraSubSteps)
            , m_mode(mode)
        {
        }

        bool limitReached() const override { return m_p >= m_display.width(); }
        bool drawStep() override
        {
            for (int k = 0; k <= m_extraSubSteps; ++k) {
                if (limitReached())
                    return true;
                drawSubStep();
            }
            return false;
        }

    private:
        void drawSubStep()
        {
            const int w = m_display.width();
            const int h = m_display.height();
            const QRect whole(0, 0, w, h);
            const int p = m_p;
            if (m_side == ZoomSide::Left) {
                m_display.stretchCopy(QRect(0, 0, p, h), m_incoming, whole);
                if (m_mode == ZoomMode::Push)
                    m_display.stretchCopy(QRect(p, 0, w - p, h), m_outgoing, whole);
                else if (m_mode == ZoomMode::Move)
                    m_display.blockCopy(p, 0, w - p, h, m_outgoing, 0, 0);
            } else {
                m_display.stretchCopy(QRect(w - p, 0, p, h), m_incoming, whole);
                if (m_mode == ZoomMode::Push)
                    m_display.stretchCopy(QRect(0, 0, w - p, h), m_outgoing, whole);
                else if (m_mode == ZoomMode::Move)
                    m_display.blockCopy(0, 0, w - p, h, m_outgoing, p, 0);
            }
            m_p += m_step;
        }

        const RasterSurface &m_outgoing;
        const ZoomSide m_side;
        const int m_step;
        const int m_extraSubSteps;
        const ZoomMode m_mode;
        int m_p = 0;
    };

}

EffectPointer NormalWipe(RasterSurface &display, const RasterSurface &incoming, Direction direction, int step)
{
    return std::make_unique<NormalWipeEffect>(display, incoming, direction, step);
}

EffectPointer OutsideInWipe(RasterSurface &display, const RasterSurface &incoming, Axis axis, int step)
{
    return std::make_unique<TwoBandWipe>(display, incoming, axis, step, true);
}

EffectPointer InsideOutWipe(RasterSurface &display, const RasterSurface &incoming, Axis axis, int step)
{
    return std::make_unique<TwoBandWipe>(display, incoming, axis, step, false);
}

EffectPointer ZoomWipe(RasterSurface &display,
    const RasterSurface &outgoing,
    const RasterSurface &incoming,
    ZoomSide side,
    int step,
    int extraSubSteps,
    ZoomMode mode)
{
    return std::make_unique<ZoomWipeEffect>(display, outgoing, incoming, side, step, extraSubSteps, mode);
}

}
