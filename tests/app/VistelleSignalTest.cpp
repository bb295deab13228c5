// The real viewer program asked to end by a signal closes as its close box does: it exits
// normally and deletes its page file.
#include "tests/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <gtest/gtest.h>

namespace {

TEST(VistelleSignals, EachTerminationSignalClosesTheViewerAndDeletesThePageFile)
{
    const QString pageFile = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/Velmora/Tpc.htm");
    for (const int signalNumber : { SIGTERM, SIGINT, SIGHUP }) {
        SCOPED_TRACE(::strsignal(signalNumber));
        QFile::remove(pageFile);
        QProcess viewer;
        viewer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        viewer.start(QStringLiteral(VISTELLE_PROGRAM), { velmora::test::sourceDir() + QStringLiteral("/samples") });
        ASSERT_TRUE(viewer.waitForStarted(10000));

        QElapsedTimer clock;
        clock.start();
        while (!QFileInfo::exists(pageFile) && viewer.state() == QProcess::Running && clock.elapsed() < 60000)
            QThread::msleep(20);
        ASSERT_TRUE(QFileInfo::exists(pageFile)) << "the viewer never wrote its page";

        ASSERT_EQ(::kill(static_cast<pid_t>(viewer.processId()), signalNumber), 0);
        ASSERT_TRUE(viewer.waitForFinished(30000)) << "the viewer did not close";
        EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(viewer.exitCode(), 0);
        EXPECT_FALSE(QFileInfo::exists(pageFile));
    }
}

}
