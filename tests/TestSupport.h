#pragma once

#include <QString>
#include <QStringList>

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

}
