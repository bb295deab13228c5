#include "common/platform/TerminationSignals.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <csignal>
#include <gtest/gtest.h>

namespace {

// Each signal only wakes the event loop; the handler runs there, once, not inside the signal.
TEST(TerminationSignals, EachSignalRunsTheHandlerOnceFromTheEventLoop)
{
    for (const int signalNumber : { SIGTERM, SIGINT, SIGHUP }) {
        SCOPED_TRACE(::strsignal(signalNumber));
        int calls = 0;
        ASSERT_TRUE(common::platform::onTerminationSignal([&calls] { ++calls; }));
        ASSERT_EQ(::raise(signalNumber), 0);
        EXPECT_EQ(calls, 0);
        QElapsedTimer clock;
        clock.start();
        while (calls == 0 && clock.elapsed() < 2000) {
            QEventLoop loop;
            QTimer::singleShot(5, &loop, &QEventLoop::quit);
            loop.exec();
        }
        EXPECT_EQ(calls, 1);
    }
    common::platform::onTerminationSignal({});
}

}
