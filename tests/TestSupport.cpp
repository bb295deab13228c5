#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace velmora::test {

namespace {
    std::unique_ptr<QTemporaryDir> s_sandbox;

    QString simulateLog()
    {
        return qEnvironmentVariable("VELMORA_SIMULATE_DESKTOP");
    }
}

void enterSandbox()
{
    s_sandbox = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/velmora-test-XXXXXX"));
    const QString root = s_sandbox->path();
    const auto setFolder = [&root](const char *variable, const QString &name) {
        const QString folder = root + QLatin1Char('/') + name;
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(variable, QFile::encodeName(folder));
    };
    setFolder("HOME", QStringLiteral("home"));
    setFolder("XDG_CONFIG_HOME", QStringLiteral("home/.config"));
    setFolder("XDG_DATA_HOME", QStringLiteral("home/.local/share"));
    setFolder("XDG_CACHE_HOME", QStringLiteral("home/.cache"));
    setFolder("XDG_RUNTIME_DIR", QStringLiteral("runtime"));
    qunsetenv("XDG_DESKTOP_DIR");
    qputenv("VELMORA_SIMULATE_DESKTOP", QFile::encodeName(root + QStringLiteral("/desktop-effects.log")));
}

void leaveSandbox()
{
    s_sandbox.reset();
}

QString sandboxRoot()
{
    return s_sandbox ? s_sandbox->path() : QString();
}

QStringList simulatedDesktopEffects()
{
    QFile file(simulateLog());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void clearSimulatedDesktopEffects()
{
    QFile::remove(simulateLog());
}

QString sourceDir()
{
    const QString fromEnv = qEnvironmentVariable("VELMORA_SOURCE_DIR");
    return fromEnv.isEmpty() ? QStringLiteral(VELMORA_SOURCE_DIR_DEFAULT) : fromEnv;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool waitUntil(const std::function<bool()> &condition, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!condition()) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            return false;
        // A short loop, so the condition is looked at again soon after the event that made it true.
        QEventLoop loop;
        QTimer::singleShot(int(std::min<qint64>(remaining, 2)), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

void serveEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}
