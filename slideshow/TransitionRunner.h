#pragma once

#include "TransitionState.h"

#include <QObject>

#include <functional>
#include <memory>

class QTimer;

namespace slideshow {

// Runs one transition effect at a time, a step per tick, from the event loop: nothing waits
// and nothing spins. A tick that comes before StepDelay has passed since LastStepTick arranges
// the next one for when it has; a due tick draws one step, shows it and sets LastStepTick. The
// effect ends when its limit is reached (with its final frame) or when TransitionBusy was
// cleared from outside (without it), and `ended` tells the owner which.
class TransitionRunner : public QObject {
    Q_OBJECT
public:
    // Arranges one call of tick() `delayMs` milliseconds from now (0: as soon as the event loop
    // turns), replacing any call arranged before.
    using TickScheduler = std::function<void(int delayMs)>;

    // `state` must outlive the runner; so must the surfaces of every effect it runs.
    explicit TransitionRunner(TransitionState &state, QObject *parent = nullptr);
    ~TransitionRunner() override;

    // Replaces the single-shot QTimer that drives the ticks (tests drive them on a fake clock).
    void setTickScheduler(TickScheduler scheduler);

    // Starts an effect: its set-up now, its steps from the next ticks. Refused (false, nothing
    // drawn, the effect dropped) while TransitionBusy is set. A running effect whose stop has
    // not been seen yet is ended first.
    bool start(std::unique_ptr<TransitionEffect> effect);
    // True from an accepted start until the effect has ended.
    bool isRunning() const { return m_effect != nullptr; }
    // Steps drawn by the running effect, or by the last one.
    int stepsDrawn() const { return m_steps; }
    // Clears TransitionBusy and handles the stop at once, as the next tick would.
    void stop();
    // Drops the running effect without drawing anything more and without `ended`: for an owner
    // that is going away with the surfaces. Clears TransitionBusy.
    void abandon();
    // One tick: sees a stop, waits for StepDelay, or draws the next step or the end.
    void tick();

signals:
    // The running effect ended: `completed` when it reached its final frame, false when it
    // was stopped. The runner is idle again when this is emitted.
    void ended(bool completed);

private:
    bool handleStop();
    void finish(bool completed);
    void schedule(qint64 delayMs);
    qint64 readClock() const;

    TransitionState &m_state;
    std::unique_ptr<TransitionEffect> m_effect;
    int m_steps = 0;
    TickScheduler m_scheduler;
    QTimer *m_timer = nullptr;
};

}
