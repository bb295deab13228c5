#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace velmora::test {

// Points HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME and XDG_RUNTIME_DIR at a fresh
// temporary folder and sets VELMORA_SIMULATE_DESKTOP, so a test program never touches the
// user's files or desktop. Called by the test mains before the application object exists.
void enterSandbox();
void leaveSandbox();

// The sandbox folder (ends without "/").
QString sandboxRoot();

// The desktop effects recorded since the last clear, one entry per line.
QStringList simulatedDesktopEffects();
void clearSimulatedDesktopEffects();

// The source tree (for samples/ and tests/data/).
QString sourceDir();

// A file's bytes, or none where it cannot be read.
QByteArray readAll(const QString &path);
// Writes `bytes` as the whole file; answers whether all were written.
bool writeAll(const QString &path, const QByteArray &bytes);

// Serves events until `condition` holds, at most `ms` milliseconds; answers whether it held.
// QTest::qWaitFor and QTest::qWait sleep 10 ms between rounds of events. The web engine's work
// passes through the main thread many times for each page, so those sleeps add up to seconds;
// these two wait on the event loop instead and serve each event as it comes.
bool waitUntil(const std::function<bool()> &condition, int ms = 20000);
// Serves events for `ms` milliseconds.
void serveEvents(int ms);

}
