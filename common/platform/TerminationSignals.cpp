#include "common/platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace common::platform {

namespace {

    // The write end is all the signal handler touches: one byte per signal, nothing else.
    int s_pipe[2] = { -1, -1 };
    std::function<void()> s_handler;

    extern "C" void wakeEventLoop(int signalNumber)
    {
        const int savedErrno = errno;
        const char byte = static_cast<char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], &byte, 1);
        errno = savedErrno;
    }

    bool createPipe()
    {
        if (s_pipe[0] >= 0)
            return true;
        return ::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) == 0;
    }

}

bool onTerminationSignal(std::function<void()> handler)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || !createPipe())
        return false;
    static QPointer<QSocketNotifier> notifier;
    if (!notifier) {
        notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, application);
        QObject::connect(notifier, &QSocketNotifier::activated, application, [] {
            char bytes[16];
            while (::read(s_pipe[0], bytes, sizeof bytes) > 0) { }
            if (s_handler)
                s_handler();
        });
    }
    s_handler = std::move(handler);

    struct sigaction action = {};
    action.sa_handler = wakeEventLoop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    bool ok = true;
    for (const int signalNumber : { SIGTERM, SIGINT, SIGHUP })
        ok = ::sigaction(signalNumber, &action, nullptr) == 0 && ok;
    return ok;
}

}
