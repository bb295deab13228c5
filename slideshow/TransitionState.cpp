#include "TransitionState.h"

#include "RasterSurface.h"

namespace slideshow {

bool IsIdle(const TransitionState &state)
{
    return !state.TransitionBusy;
}

TransitionEffect::TransitionEffect(RasterSurface &display, const RasterSurface &incoming)
    : m_display(display)
    , m_incoming(incoming)
{
}

TransitionEffect::~TransitionEffect() = default;

void TransitionEffect::end(TransitionState &state, bool completed)
{
    if (completed)
        drawFinalFrame(state);
}

void TransitionEffect::drawFinalFrame(TransitionState &state)
{
    m_display.blockCopy(0, 0, m_display.width(), m_display.height(), m_incoming, 0, 0);
    if (state.refresh)
        state.refresh();
}

}
