#pragma once

#include "system/RegTool.h"

#include <QStringList>
#include <QTextStream>

namespace velmora::test {

// What one run of the registry tool answered and printed.
struct ToolRun {
    int code = 0;
    QString out;
    QString err;
};

// Runs the registry tool in this process on the hive at `hive`.
inline ToolRun runRegToolOn(const QString &hive, QStringList arguments)
{
    arguments.prepend(hive);
    arguments.prepend(QStringLiteral("--hive"));
    ToolRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.code = sys::runRegTool(arguments, out, err);
    return run;
}

}
