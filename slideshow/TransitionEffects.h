#pragma once

#include "RasterSurface.h"
#include "TransitionState.h"

#include <memory>

namespace slideshow {

// The transition routines. Each makes an effect that a TransitionRunner draws on `display`,
// step by step, until it shows `incoming`; the surfaces must outlive the effect. W and H are
// the display's size; `incoming` and `outgoing` are pictures of the display's size. Steps and
// sizes are positive.

// The four ways a band can travel; None draws nothing but still takes its steps.
enum class Direction { None = 0, Up = 1, Down = 2, Left = 4, Right = 8 };
// The axis of the two-band wipes, random lines and bars.
enum class Axis { Vertical = 1, Horizontal = 2 };
// The side the zoom wipe's incoming picture grows from, and what the outgoing one does.
enum class ZoomSide { Left = 1, Right = 2 };
enum class ZoomMode { Push = 1, Hide = 2, Move = 3 };
enum class MaskShape { Radial = 1, Circle, SideRadial, Triangle, Middle, TwoSideRadial };
enum class AlphaKind { SoftWipe = 1, CrossFade, SoftCircle };

using EffectPointer = std::unique_ptr<TransitionEffect>;

// Bands of the incoming picture grow from the edge named by the direction.
EffectPointer NormalWipe(RasterSurface &display, const RasterSurface &incoming, Direction direction, int step);
// Two bands grow from opposite edges towards the middle.
EffectPointer OutsideInWipe(RasterSurface &display, const RasterSurface &incoming, Axis axis, int step);
// Two bands grow from the middle towards opposite edges.
EffectPointer InsideOutWipe(RasterSurface &display, const RasterSurface &incoming, Axis axis, int step);
// The incoming picture, squeezed, grows from one side while the outgoing one is squeezed
// (push), left in place (hide) or pushed aside (move).
EffectPointer ZoomWipe(RasterSurface &display,
    const RasterSurface &outgoing,
    const RasterSurface &incoming,
    ZoomSide side,
    int step,
    int extraSubSteps,
    ZoomMode mode);
// One-pixel lines of the incoming picture in a random order, step + 1 per tick.
EffectPointer RandomLines(RasterSurface &display, const RasterSurface &incoming, Axis axis, int step);
// Bars of the given size grow alternately from the two edges.
EffectPointer BarsDraw(
    RasterSurface &display, const RasterSurface &incoming, Axis axis, int step, int barSize, bool firstFromStart);
// Like BarsDraw, but the bars slide in from the edges.
EffectPointer BarsMove(
    RasterSurface &display, const RasterSurface &incoming, Axis axis, int step, int barSize, bool firstFromStart);
// The outgoing picture slides out over half the display while the incoming one slides in
// (Up or Down), then both slide back. A stop in the first half still runs the second.
EffectPointer SlideTransition(RasterSurface &display,
    const RasterSurface &outgoing,
    const RasterSurface &incoming,
    Direction direction,
    int step);
// Slats of the given size open in the direction given.
EffectPointer Blinds(
    RasterSurface &display, const RasterSurface &incoming, Direction direction, int step, int slatSize);
// The incoming picture shows through a growing mask of the given shape.
EffectPointer MaskWipe(RasterSurface &display, const RasterSurface &incoming, MaskShape shape, int step);
// A soft-edged wipe, a cross-fade or a soft-edged circle, with a soft edge `width` pixels
// wide. When it ends, finished or stopped, display and outgoing hold the incoming picture and
// incoming holds the outgoing one.
EffectPointer AlphaTransition(
    RasterSurface &display, RasterSurface &outgoing, RasterSurface &incoming, AlphaKind kind, int width, int step);

// ((255 - a) * n + a * o) div 255 for a, n, o in 0..255, without a division.
constexpr std::uint8_t blendChannel(unsigned a, unsigned n, unsigned o)
{
    const unsigned x = (255 - a) * n + a * o;
    return static_cast<std::uint8_t>((x + 1 + (x >> 8)) >> 8);
}

}
