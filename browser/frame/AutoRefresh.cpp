#include "browser/frame/AutoRefresh.h"

#include "common/Numbers.h"

#include <QTimer>

#include <algorithm>
#include <limits>

namespace browser::frame {

namespace {
    constexpr int kTickMs = 1000;
}

TimerTickSource::TimerTickSource()
    : m_timer(new QTimer)
{
    m_timer->setInterval(kTickMs);
    QObject::connect(m_timer, &QTimer::timeout, [this] {
        if (onTick)
            onTick();
    });
}

TimerTickSource::~TimerTickSource()
{
    delete m_timer;
}

void TimerTickSource::start()
{
    m_timer->start();
}

void TimerTickSource::stop()
{
    m_timer->stop();
}

bool TimerTickSource::isActive() const
{
    return m_timer->isActive();
}

QStringList refreshIntervals()
{
    return { QStringLiteral("1 秒"),
        QStringLiteral("2 秒"),
        QStringLiteral("3 秒"),
        QStringLiteral("4 秒"),
        QStringLiteral("5 秒"),
        QStringLiteral("10 秒"),
        QStringLiteral("20 秒"),
        QStringLiteral("30 秒"),
        QStringLiteral("60 秒"),
        QStringLiteral("300 秒") };
}

int leadingSeconds(const QString &text)
{
    const double value = common::leadingNumber(text);
    if (!(value > 0))
        return 0;
    return int(std::min<qint64>(common::roundHalfEven(value), std::numeric_limits<int>::max()));
}

AutoRefresher::AutoRefresher(TickSource &ticks, std::function<void()> refresh)
    : m_ticks(ticks)
    , m_refresh(std::move(refresh))
{
    m_ticks.onTick = [this] {
        tick();
    };
}

AutoRefresher::~AutoRefresher()
{
    m_ticks.stop();
    m_ticks.onTick = nullptr;
}

QString AutoRefresher::toggle()
{
    if (running()) {
        m_ticks.stop();
    } else {
        m_countdown = 0;
        m_ticks.start();
    }
    return buttonCaption();
}

void AutoRefresher::tick()
{
    if (m_countdown != 0) {
        --m_countdown;
    } else {
        m_countdown = leadingSeconds(m_intervalText);
        if (m_refresh)
            m_refresh();
    }
    if (onCountdown)
        onCountdown(m_countdown);
}

}
