#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>

#include <functional>

namespace velmora::test {

// Runs `answer` on the next modal window of type T once it shows; `answer` must close it. The
// check runs from the event loop, so it also answers a window opened by a nested loop (exec()).
template <typename T> void whenModal(std::function<void(T *)> answer)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto *window = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!window)
            return;
        timer->stop();
        timer->deleteLater();
        answer(window);
    });
    timer->start();
}

}
