#include "system/RegTool.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::System);
    err.setEncoding(QStringConverter::System);
    return sys::runRegTool(app.arguments().mid(1), out, err);
}
