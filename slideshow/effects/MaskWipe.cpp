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

    int limitOf(int shape, int w, int h)
    {
        switch (shape) {
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

}

void MaskWipe(TransitionState &state, RasterSurface &display, const RasterSurface &incoming, int shape, int step)
{
    if (state.TransitionBusy)
        return;
    step = std::max(1, step);
    const int w = display.width();
    const int h = display.height();
    // The mask and the scratch surface are owned here, so they are released however the
    // effect ends, stopped ones included. Points at -1 lie just outside and are clipped.
    RasterSurface mask(w, h);
    RasterSurface scratch(w, h);
    const Bgr white = Bgr::white();

    const int limit = limitOf(shape, w, h);
    const int cx = roundToInt(w / 2.0);
    const int cy = roundToInt(h / 2.0);
    int depth = 0;
    int count = 0;
    int phase = 0;

    const auto drawItem = [&] {
        switch (shape) {
        case 1: {
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
            mask.drawLine(cx, cy, toX, toY, white);
            ++count;
            break;
        }
        case 2:
            mask.fillEllipse(roundToInt(w / 2.0 - depth),
                roundToInt(h / 2.0 - depth),
                roundToInt(w / 2.0 + depth),
                roundToInt(h / 2.0 + depth),
                white,
                white);
            ++depth;
            break;
        case 3:
            if (phase == 0) {
                if (count > w) {
                    phase = 1;
                    count = 0;
                }
                mask.drawLine(0, 0, count, h, white);
            } else if (phase == 1) {
                if (count > h) {
                    phase = -1;
                    count = 0;
                }
                mask.drawLine(0, 0, w, h - count, white);
            }
            ++count;
            break;
        case 4:
            if (phase == 0) {
                ++count;
                if (count == w)
                    phase = -1;
                const int y = roundToInt(static_cast<double>(count) / w * h + 1);
                mask.drawLine(count, 0, count, y, white);
                mask.drawLine(w - count, h, w - count, h - y, white);
            }
            break;
        case 5:
            if (phase == 0) {
                if (count == w)
                    phase = -1;
                const int y = roundToInt(static_cast<double>(count) / w * h);
                mask.drawLine(w - count, -1, -1, h - y, white);
                mask.drawLine(w, y, count, h, white);
                ++count;
            }
            break;
        case 6:
            if (phase == 0) {
                if (count == w)
                    phase = -1;
                mask.drawLine(0, 0, w - count, h, white);
                mask.drawLine(w, h, count, -1, white);
                ++count;
            }
            break;
        default:
            break;
        }
    };

    const auto draw = [&] {
        if (shape == 2)
            --depth;
        for (int k = 0; k < step; ++k)
            drawItem();
        // Revealed pixels take the incoming picture, the others keep the display's.
        scratch.blockCopy(0, 0, w, h, mask, 0, 0, RasterOp::NotSourceCopy);
        display.blockCopy(0, 0, w, h, scratch, 0, 0, RasterOp::SourceAnd);
        mask.blockCopy(0, 0, w, h, incoming, 0, 0, RasterOp::SourceAnd);
        display.blockCopy(0, 0, w, h, mask, 0, 0, RasterOp::SourcePaint);
        ++depth;
        return false;
    };
    if (detail::runStepLoop(
            state, [&] { return depth >= limit || phase == -1; }, draw)
        == detail::LoopEnd::Finished)
        detail::drawFinalFrame(state, display, incoming);
}

}
