#pragma once

#include <functional>

namespace common::platform {

// Runs `handler` from the event loop when the process is asked to end: SIGTERM (logout, kill),
// SIGINT (Ctrl+C in a terminal) or SIGHUP (the terminal went away). The signal itself only
// wakes the event loop; `handler` runs as an ordinary event, so it may close windows. After the
// first such signal the default action is back in place, so a second one ends a program whose
// closing hangs. A later call replaces the handler and catches the signals again. Needs a
// QCoreApplication; false when the signals could not be caught.
bool onTerminationSignal(std::function<void()> handler);

}
