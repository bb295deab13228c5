#include "TransitionRunner.h"

#include <QTimer>

#include <algorithm>
#include <climits>

namespace slideshow {

TransitionRunner::TransitionRunner(TransitionState &state, QObject *parent)
    : QObject(parent)
    , m_state(state)
{
}

TransitionRunner::~TransitionRunner() = default;

void TransitionRunner::setTickScheduler(TickScheduler scheduler)
{
    m_scheduler = std::move(scheduler);
}

qint64 TransitionRunner::readClock() const
{
    return m_state.clock ? m_state.clock() : m_state.LastStepTick + m_state.StepDelay;
}

void TransitionRunner::schedule(qint64 delayMs)
{
    const int delay = static_cast<int>(std::clamp<qint64>(delayMs, 0, INT_MAX));
    if (m_scheduler) {
        m_scheduler(delay);
        return;
    }
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setSingleShot(true);
        // Steps are a few milliseconds apart; a coarse timer would round them up.
        m_timer->setTimerType(Qt::PreciseTimer);
        connect(m_timer, &QTimer::timeout, this, &TransitionRunner::tick);
    }
    m_timer->start(delay);
}

bool TransitionRunner::start(std::unique_ptr<TransitionEffect> effect)
{
    if (m_effect && !m_state.TransitionBusy)
        handleStop();
    if (!effect || m_state.TransitionBusy)
        return false;
    m_effect = std::move(effect);
    m_steps = 0;
    m_effect->begin(m_state);
    m_state.TransitionBusy = true;
    schedule(m_state.LastStepTick + m_state.StepDelay - readClock());
    return true;
}

void TransitionRunner::stop()
{
    m_state.TransitionBusy = false;
    if (m_effect)
        handleStop();
}

void TransitionRunner::abandon()
{
    m_state.TransitionBusy = false;
    m_effect.reset();
    if (m_timer)
        m_timer->stop();
}

bool TransitionRunner::handleStop()
{
    if (m_state.TransitionBusy)
        return false;
    if (m_effect->startNextPhase(true)) {
        m_state.TransitionBusy = true;
        return false;
    }
    finish(false);
    return true;
}

void TransitionRunner::finish(bool completed)
{
    const std::unique_ptr<TransitionEffect> effect = std::move(m_effect);
    m_state.TransitionBusy = false;
    effect->end(m_state, completed);
    emit ended(completed);
}

void TransitionRunner::tick()
{
    if (!m_effect || handleStop())
        return;
    const qint64 due = m_state.LastStepTick + m_state.StepDelay;
    const qint64 now = readClock();
    if (now < due) {
        schedule(due - now);
        return;
    }
    while (m_effect->limitReached() || m_effect->drawStep()) {
        if (!m_effect->startNextPhase(false)) {
            finish(true);
            return;
        }
    }
    ++m_steps;
    if (m_state.refresh)
        m_state.refresh();
    // What the refresh called may have abandoned the effect; a stop is seen at the next tick.
    if (!m_effect)
        return;
    m_state.LastStepTick = readClock();
    schedule(m_state.StepDelay);
}

}
