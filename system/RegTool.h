#pragma once

#include <QStringList>
#include <QTextStream>

namespace sys {

// The velmora-reg command, with the verbs and key syntax users of reg know: query, add, delete, export
// and import on the process hive, or on the hive file named by a leading "--hive FILE".
// arguments are the command-line arguments without the program name. Results and
// "The operation completed successfully." go to out; errors go to err as "ERROR: ..." lines.
// Returns the exit code: 0 on success, 1 on any error.
int runRegTool(const QStringList &arguments, QTextStream &out, QTextStream &err);

}
