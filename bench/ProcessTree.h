#pragma once

// What the benchmarks read of a process and the processes it started (the web engine's page
// processes), from /proc.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <map>
#include <unistd.h>

namespace bench {

// The fields of /proc/pid/stat after the command's name (the state first); empty when gone.
inline QList<QByteArray> statFields(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ');
}

// The process and all its descendants.
inline QList<qint64> processTree(qint64 root)
{
    std::map<qint64, QList<qint64>> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok)
            continue;
        const QList<QByteArray> fields = statFields(pid);
        if (fields.size() > 1)
            children[fields[1].toLongLong()].append(pid);
    }
    QList<qint64> tree { root };
    for (qsizetype i = 0; i < tree.size(); ++i)
        tree += children[tree[i]];
    return tree;
}

// Proportional set size of one process, in kilobytes.
inline qint64 pssKilobytes(qint64 pid)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : rollup.readAll().split('\n'))
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Processor time (user and system) used so far by one process, in seconds.
inline double cpuSeconds(qint64 pid)
{
    const QList<QByteArray> fields = statFields(pid);
    if (fields.size() < 13)
        return 0;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

}
