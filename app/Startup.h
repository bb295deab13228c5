#pragma once

#include "common/RunningValues.h"

namespace common {
struct Services;
}

namespace app {

// What the program does once when it starts, before its first window, in this order: the data
// folder and the download folder are made (an existing folder is no error), the viewer's options
// are read with the 30..200 rule, the context-menu entries and menu files are written, and a
// first start of this installation writes the browser's first settings and the desktop shortcut.
// Each step ignores its own failure and the next one runs.
common::RunningValues startProgram(const common::Services &services, const QString &programPath);

}
