#pragma once

#include "RasterSurface.h"
#include "TransitionState.h"

namespace slideshow {

// The transition routines. Each draws on `display`, step by step, until it shows `incoming`,
// pacing its steps by state.StepDelay and yielding between them. A routine called while
// another runs returns at once without drawing. A routine stopped from outside (by clearing
// state.TransitionBusy) returns without its final frame. W and H are the display's size;
// `incoming` and `outgoing` are pictures of the display's size.
//
// Direction codes: 1 up, 2 down, 4 left, 8 right. Axis codes: 1 vertical, 2 horizontal.
// Steps and sizes are positive.

// Bands of the incoming picture grow from the edge named by the direction.
void NormalWipe(TransitionState &state, RasterSurface &display, const RasterSurface &incoming, int direction, int step);
// Two bands grow from opposite edges towards the middle.
void OutsideInWipe(TransitionState &state, RasterSurface &display, const RasterSurface &incoming, int axis, int step);
// Two bands grow from the middle towards opposite edges.
void InsideOutWipe(TransitionState &state, RasterSurface &display, const RasterSurface &incoming, int axis, int step);
// The incoming picture, squeezed, grows from one side (1 left, 2 right) while the outgoing
// one is squeezed (mode 1), left in place (mode 2) or pushed aside (mode 3).
void ZoomWipe(TransitionState &state,
    RasterSurface &display,
    const RasterSurface &outgoing,
    const RasterSurface &incoming,
    int side,
    int step,
    int extraSubSteps,
    int mode);
// One-pixel lines of the incoming picture in a random order, step + 1 per tick.
void RandomLines(TransitionState &state, RasterSurface &display, const RasterSurface &incoming, int axis, int step);
// Bars of the given size grow alternately from the two edges.
void BarsDraw(TransitionState &state,
    RasterSurface &display,
    const RasterSurface &incoming,
    int axis,
    int step,
    int barSize,
    bool firstFromStart);
// Like BarsDraw, but the bars slide in from the edges.
void BarsMove(TransitionState &state,
    RasterSurface &display,
    const RasterSurface &incoming,
    int axis,
    int step,
    int barSize,
    bool firstFromStart);
// The outgoing picture slides out over half the display while the incoming one slides in.
void SlideTransition(TransitionState &state,
    RasterSurface &display,
    const RasterSurface &outgoing,
    const RasterSurface &incoming,
    int direction,
    int step);
// Slats of the given size open in the direction given.
void Blinds(TransitionState &state,
    RasterSurface &display,
    const RasterSurface &incoming,
    int direction,
    int step,
    int slatSize);
// The incoming picture shows through a growing mask: 1 radial, 2 circle, 3 side radial,
// 4 triangle, 5 middle, 6 two-side radial.
void MaskWipe(TransitionState &state, RasterSurface &display, const RasterSurface &incoming, int shape, int step);
// A soft-edged wipe (kind 1), a cross-fade (kind 2) or a soft-edged circle (kind 3), with a
// soft edge `width` pixels wide. When it ends, finished or stopped, display and outgoing
// hold the incoming picture and incoming holds the outgoing one.
void AlphaTransition(TransitionState &state,
    RasterSurface &display,
    RasterSurface &outgoing,
    RasterSurface &incoming,
    int kind,
    int width,
    int step);

// ((255 - a) * n + a * o) div 255 for a, n, o in 0..255, without a division.
constexpr std::uint8_t blendChannel(unsigned a, unsigned n, unsigned o)
{
    const unsigned x = (255 - a) * n + a * o;
    return static_cast<std::uint8_t>((x + 1 + (x >> 8)) >> 8);
}

}
