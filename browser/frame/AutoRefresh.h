#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QTimer;

namespace browser::frame {

// The refresher's one-second clock. The window runs it on a timer; tests fire ticks by hand.
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    std::function<void()> onTick;
};

// A TickSource on a QTimer of 1000 ms.
class TimerTickSource : public TickSource {
public:
    TimerTickSource();
    ~TimerTickSource() override;
    void start() override;
    void stop() override;
    bool isActive() const override;

private:
    QTimer *m_timer = nullptr;
};

// The interval box's list and its preset text.
QStringList refreshIntervals();
inline const QString kDefaultRefreshInterval = QStringLiteral("5 秒");
inline const QString kStartCaption = QStringLiteral("开始(S)");
inline const QString kPauseCaption = QStringLiteral("暂停(P)");

// The number a text starts with ("5 秒" gives 5, " 2.5s" gives 2, "3.5" gives 4: halves go to the
// even neighbour), read up to the first character that is not part of a number. A text without a
// leading number, or a negative one, gives 0; a huge one stops at the largest int.
int leadingSeconds(const QString &text);

// The page refresher: once started, the first tick refreshes and sets the countdown to the
// interval's seconds N; each later tick counts down by one and the tick after the one that reached
// 0 refreshes again, so refreshes are N + 1 ticks apart (every tick for N = 0). The interval is
// read at each refresh, so a new choice counts from the next one.
class AutoRefresher {
public:
    // `refresh` reloads whatever tab is active when it is called.
    AutoRefresher(TickSource &ticks, std::function<void()> refresh);
    ~AutoRefresher();

    void setIntervalText(const QString &text) { m_intervalText = text; }
    const QString &intervalText() const { return m_intervalText; }
    // The button: starts when paused (countdown 0), pauses when running. Answers the new caption.
    QString toggle();
    bool running() const { return m_ticks.isActive(); }
    QString buttonCaption() const { return running() ? kPauseCaption : kStartCaption; }
    int countdown() const { return m_countdown; }
    // One tick of the clock.
    void tick();
    // Told after each tick with the countdown to show.
    std::function<void(int)> onCountdown;

private:
    TickSource &m_ticks;
    std::function<void()> m_refresh;
    QString m_intervalText = kDefaultRefreshInterval;
    int m_countdown = 0;
};

}
