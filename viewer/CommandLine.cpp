#include "viewer/CommandLine.h"

#include <QFileInfo>

namespace viewer {

QString commandLineText(const QStringList &arguments)
{
    return arguments.join(QLatin1Char(' '));
}

StartTarget parseStartTarget(const QString &commandLine)
{
    QString argument = commandLine;
    argument.remove(QLatin1Char('"'));
    if (argument.isEmpty())
        return {};

    const QFileInfo info(argument);
    const bool exists = info.exists();
    const bool pictureFile = !exists || (!info.isDir() && info.size() > 30);
    if (!pictureFile)
        return { argument, QString() };

    const qsizetype slash = argument.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return { QStringLiteral("."), argument };
    const QString folder = slash == 0 ? QStringLiteral("/") : argument.left(slash);
    return { folder, argument.mid(slash + 1) };
}

}
