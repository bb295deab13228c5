#include "common/platform/Desktop.h"

#include "common/Files.h"
#include "common/platform/WallpaperCommands.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

namespace common::platform {

namespace {

    // How long a desktop settings tool may take before it is stopped and counted as failed.
    constexpr int kToolTimeLimitMs = 10000;
    // How long a D-Bus service may take to answer before the call counts as failed.
    constexpr int kDbusTimeoutMs = 3000;
    // The most of a tool's answer that is kept; only whole lines of a longer answer are used.
    constexpr qsizetype kToolOutputLimit = qsizetype(256) * 1024;
    // The most of a desktop's settings file that is read.
    constexpr qint64 kSettingsFileLimit = qint64(4) * 1024 * 1024;

    using Answer = std::function<void(QString path)>;

    QString readSettingsFile(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.read(kSettingsFileLimit));
    }

    QString findProgram(const QString &name)
    {
        return QFileInfo(name).isAbsolute() ? name : QStandardPaths::findExecutable(name);
    }

    QString absolutePath(const QString &path)
    {
        return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
    }

    // Calls `done` later from the event loop, as long as `context` lives.
    void report(QObject *context, Desktop::Done done, bool ok)
    {
        if (done)
            QTimer::singleShot(0, context, [done = std::move(done), ok] { done(ok); });
    }

    bool writeMenuFile(const QString &path, const QByteArray &content, bool executable, bool *written)
    {
        *written = false;
        QFile existing(path);
        const bool same = existing.open(QIODevice::ReadOnly) && existing.readAll() == content;
        existing.close();
        if (!same) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            if (!common::writeFileAtomically(path, content))
                return false;
            *written = true;
        }
        // Desktops start only entries that are executable (and, on GNOME, trusted by the user).
        const auto exec = QFile::ExeOwner | QFile::ExeUser;
        if (executable && (QFile::permissions(path) & exec) != exec)
            return QFile::setPermissions(path, QFile::permissions(path) | exec);
        return true;
    }

    class SystemDesktop final : public Desktop {
    public:
        SystemDesktop() = default;
        SystemDesktop(const SystemDesktop &) = delete;
        SystemDesktop &operator=(const SystemDesktop &) = delete;
        ~SystemDesktop() override
        {
            // A settings tool still running is stopped with its owner; no outcome is reported.
            for (QProcess *tool : m_context.findChildren<QProcess *>()) {
                tool->disconnect();
                tool->kill();
                tool->waitForFinished(1000);
            }
        }

        bool openWithDesktop(const QUrl &target, Done done) override
        {
            if (!target.isValid()) {
                report(&m_context, std::move(done), false);
                return false;
            }
            // xdg-open takes no options, and a URL never starts with "-".
            if (!findProgram(QStringLiteral("xdg-open")).isEmpty())
                return launch(QStringLiteral("xdg-open"), { target.toString(QUrl::FullyEncoded) }, std::move(done));
            const bool ok = QDesktopServices::openUrl(target);
            report(&m_context, std::move(done), ok);
            return ok;
        }

        bool startProgram(const QString &program, const QStringList &arguments, Done done) override
        {
            return launch(program, arguments, std::move(done));
        }

        bool showInFileManager(const QString &path, Done done) override
        {
            const QString item = absolutePath(path);
            const QUrl folder = QUrl::fromLocalFile(QFileInfo(item).absolutePath());
            if (!QDBusConnection::sessionBus().isConnected())
                return openWithDesktop(folder, std::move(done));
            return callFileManager(QStringLiteral("ShowItems"), item, [this, folder, done](bool ok) {
                if (!ok)
                    openWithDesktop(folder, done);
                else if (done)
                    done(true);
            });
        }

        bool showFileProperties(const QString &path, Done done) override
        {
            return callFileManager(QStringLiteral("ShowItemProperties"), absolutePath(path), std::move(done));
        }

        bool openImageEditor(const QString &path, Done done) override
        {
            const QString picture = absolutePath(path);
            // Each of these editors reads "--" as the end of its options.
            const QStringList arguments =
                picture.isEmpty() ? QStringList() : QStringList { QStringLiteral("--"), picture };
            for (const char *editor : { "kolourpaint", "pinta", "gimp" }) {
                const QString executable = findProgram(QString::fromLatin1(editor));
                if (!executable.isEmpty())
                    return launch(executable, arguments, std::move(done));
            }
            if (picture.isEmpty()) {
                report(&m_context, std::move(done), false);
                return false;
            }
            return openWithDesktop(QUrl::fromLocalFile(picture), std::move(done));
        }

        bool setWallpaper(const QString &picturePath, Done done) override
        {
            const QString picture = absolutePath(picturePath);
            const DesktopKind kind = desktopKind(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
            const quint64 run = ++m_wallpaperRun;
            if (kind != DesktopKind::Xfce)
                return runCalls(wallpaperCommands(kind, picture), run, std::move(done));
            // Xfce keeps a picture per monitor and workspace: its property names are listed first.
            // Without a list, the first monitor's first workspace is set.
            const ToolCall list = xfceListCommand();
            if (findProgram(list.program).isEmpty()) {
                report(&m_context, std::move(done), false);
                return false;
            }
            return runTool(
                list.program,
                list.arguments,
                [this, picture, run, done = std::move(done)](bool ok, const QByteArray &output) {
                    const QStringList listed = ok ? QString::fromUtf8(output).split(QLatin1Char('\n')) : QStringList();
                    if (run == m_wallpaperRun)
                        runCalls(wallpaperCommands(DesktopKind::Xfce, picture, listed), run, done);
                    else if (done)
                        done(false);
                },
                kToolOutputLimit);
        }

        bool currentWallpaper(Answer done) override
        {
            const auto answer = [this, done](const QString &path) {
                if (done)
                    QTimer::singleShot(0, &m_context, [done, path] { done(path); });
            };
            const DesktopKind kind = desktopKind(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
            switch (kind) {
            case DesktopKind::Kde:
                answer(wallpaperFromPlasmaConfig(
                    readSettingsFile(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                        + QStringLiteral("/plasma-org.kde.plasma.desktop-appletsrc"))));
                return true;
            case DesktopKind::Xfce: {
                const ToolCall list = xfceListCommand();
                return runTool(
                    list.program,
                    list.arguments,
                    [this, done](bool ok, const QByteArray &output) {
                        const QStringList properties = ok
                            ? xfceLastImageProperties(QString::fromUtf8(output).split(QLatin1Char('\n')))
                            : QStringList();
                        askForWallpaper(*currentWallpaperCommand(DesktopKind::Xfce, properties.value(0)), done);
                    },
                    kToolOutputLimit);
            }
            case DesktopKind::Gnome:
            case DesktopKind::Cinnamon:
            case DesktopKind::Mate:
                return askForWallpaper(*currentWallpaperCommand(kind), done);
            case DesktopKind::Sway:
            case DesktopKind::Other:
                break;
            }
            answer(wallpaperFromFehbg(readSettingsFile(QDir::homePath() + QStringLiteral("/.fehbg"))));
            return true;
        }

        bool powerOff(Done done) override
        {
            return launch(QStringLiteral("systemctl"), { QStringLiteral("poweroff") }, std::move(done));
        }

        bool monitorOff(Done done) override
        {
            if (QGuiApplication::platformName() == QLatin1String("xcb"))
                return launch(QStringLiteral("xset"),
                    { QStringLiteral("dpms"), QStringLiteral("force"), QStringLiteral("off") },
                    std::move(done));
            QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.ScreenSaver"),
                QStringLiteral("/org/freedesktop/ScreenSaver"),
                QStringLiteral("org.freedesktop.ScreenSaver"),
                QStringLiteral("SetActive"));
            call << true;
            return callAsync(call, std::move(done));
        }

        bool toggleMute(Done done) override
        {
            if (!findProgram(QStringLiteral("wpctl")).isEmpty())
                return launch(QStringLiteral("wpctl"),
                    { QStringLiteral("set-mute"), QStringLiteral("@DEFAULT_AUDIO_SINK@"), QStringLiteral("toggle") },
                    std::move(done));
            if (!findProgram(QStringLiteral("pactl")).isEmpty())
                return launch(QStringLiteral("pactl"),
                    { QStringLiteral("set-sink-mute"), QStringLiteral("@DEFAULT_SINK@"), QStringLiteral("toggle") },
                    std::move(done));
            return launch(QStringLiteral("amixer"),
                { QStringLiteral("set"), QStringLiteral("Master"), QStringLiteral("toggle") },
                std::move(done));
        }

        void setClipboardText(const QString &text) override
        {
            if (QClipboard *clipboard = QGuiApplication::clipboard())
                clipboard->setText(text);
        }
        QString clipboardText() const override
        {
            const QClipboard *clipboard = QGuiApplication::clipboard();
            return clipboard ? clipboard->text() : QString();
        }

        void setClipboardImage(const QImage &image) override
        {
            if (QClipboard *clipboard = QGuiApplication::clipboard())
                clipboard->setImage(image);
        }

        bool installMenuFile(const QString &path, const QByteArray &content, bool executable) override
        {
            bool written = false;
            return writeMenuFile(path, content, executable, &written);
        }

    private:
        // Starts a program that lives on its own (a handler, an editor): the outcome is whether
        // it started; it is never waited for nor stopped.
        bool launch(const QString &program, const QStringList &arguments, Done done)
        {
            const QString executable = findProgram(program);
            const bool ok = !executable.isEmpty() && QProcess::startDetached(executable, arguments);
            report(&m_context, std::move(done), ok);
            return ok;
        }

        using Finished = std::function<void(bool ok, const QByteArray &output)>;

        // Runs a desktop settings tool; the outcome is its exit status. With an `outputLimit`,
        // up to that many bytes of its standard output are kept (only whole lines when it says
        // more) and handed over; otherwise its output goes where the program's goes. A tool still
        // running after the time limit is stopped; one still running when the desktop object goes
        // is stopped too, and then nothing is reported.
        bool runTool(const QString &program, const QStringList &arguments, Finished finished, qsizetype outputLimit = 0)
        {
            const QString executable = findProgram(program);
            if (executable.isEmpty()) {
                if (finished)
                    QTimer::singleShot(0, &m_context, [finished = std::move(finished)] { finished(false, {}); });
                return false;
            }
            auto *process = new QProcess(&m_context);
            process->setProcessChannelMode(
                outputLimit > 0 ? QProcess::ForwardedErrorChannel : QProcess::ForwardedChannels);
            auto *limit = new QTimer(process);
            limit->setSingleShot(true);
            QObject::connect(limit, &QTimer::timeout, process, &QProcess::kill);
            struct Run {
                Finished finished;
                QByteArray output;
                bool overflow = false;
            };
            auto state = std::make_shared<Run>(Run { std::move(finished), {}, false });
            const auto collect = [process, state, outputLimit] {
                const QByteArray chunk = process->readAllStandardOutput();
                const qsizetype room = outputLimit - state->output.size();
                if (chunk.size() > room)
                    state->overflow = true;
                state->output.append(chunk.left(std::max<qsizetype>(room, 0)));
            };
            if (outputLimit > 0)
                QObject::connect(process, &QProcess::readyReadStandardOutput, process, collect);
            const auto finish = [this, process, state, outputLimit, collect](bool ok) {
                if (outputLimit > 0)
                    collect();
                process->disconnect();
                process->deleteLater();
                if (!state->finished)
                    return;
                if (state->overflow)
                    state->output.truncate(state->output.lastIndexOf('\n') + 1);
                QTimer::singleShot(
                    0, &m_context, [finished = std::exchange(state->finished, {}), output = state->output, ok] {
                        finished(ok, output);
                    });
            };
            QObject::connect(process, &QProcess::finished, process, [finish](int code, QProcess::ExitStatus status) {
                finish(status == QProcess::NormalExit && code == 0);
            });
            QObject::connect(process, &QProcess::errorOccurred, process, [finish](QProcess::ProcessError error) {
                if (error == QProcess::FailedToStart)
                    finish(false);
            });
            process->start(executable, arguments);
            limit->start(kToolTimeLimitMs);
            return true;
        }

        // Runs `calls` one after the other; `done` gets the first one's outcome as it ends. The
        // rest are dropped once a newer wallpaper run has begun.
        bool runCalls(QList<ToolCall> calls, quint64 run, Done done)
        {
            if (calls.isEmpty()) {
                report(&m_context, std::move(done), false);
                return false;
            }
            const ToolCall first = calls.takeFirst();
            return runTool(first.program,
                first.arguments,
                [this, rest = std::move(calls), run, done = std::move(done)](bool ok, const QByteArray &) {
                    if (done)
                        done(ok);
                    runRest(rest, run);
                });
        }

        void runRest(QList<ToolCall> calls, quint64 run)
        {
            if (calls.isEmpty() || run != m_wallpaperRun)
                return;
            const ToolCall next = calls.takeFirst();
            runTool(next.program, next.arguments, [this, rest = std::move(calls), run](bool, const QByteArray &) {
                runRest(rest, run);
            });
        }

        // Runs a tool whose answer names the wallpaper; a failed or missing tool answers "".
        bool askForWallpaper(const ToolCall &call, Answer done)
        {
            return runTool(
                call.program,
                call.arguments,
                [done = std::move(done)](bool ok, const QByteArray &output) {
                    if (done)
                        done(ok ? wallpaperFromToolOutput(output) : QString());
                },
                kToolOutputLimit);
        }

        bool callAsync(const QDBusMessage &call, Done done)
        {
            QDBusConnection bus = QDBusConnection::sessionBus();
            if (!bus.isConnected()) {
                report(&m_context, std::move(done), false);
                return false;
            }
            auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kDbusTimeoutMs), &m_context);
            QObject::connect(watcher,
                &QDBusPendingCallWatcher::finished,
                &m_context,
                [done = std::move(done)](QDBusPendingCallWatcher *finished) {
                    finished->deleteLater();
                    if (done)
                        done(!finished->isError());
                });
            return true;
        }

        bool callFileManager(const QString &method, const QString &path, Done done)
        {
            QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                QStringLiteral("/org/freedesktop/FileManager1"),
                QStringLiteral("org.freedesktop.FileManager1"),
                method);
            call << QStringList { QUrl::fromLocalFile(path).toString() } << QString();
            return callAsync(call, std::move(done));
        }

        // Parent of the running tools and D-Bus watchers, and the context of every `done` call:
        // destroying the desktop stops the tools and drops the callbacks still pending.
        QObject m_context;
        // Counts the wallpaper changes asked for, so an older change stops where a newer begins.
        quint64 m_wallpaperRun = 0;
    };

    // Writes what the desktop would be asked to do, one line per effect, instead of doing it.
    class RecordingDesktop final : public Desktop {
    public:
        explicit RecordingDesktop(QString logPath)
            : m_logPath(std::move(logPath))
        {
        }

        bool openWithDesktop(const QUrl &target, Done done) override
        {
            return record({ QStringLiteral("openWithDesktop"), target.toString() }, std::move(done));
        }
        bool startProgram(const QString &program, const QStringList &arguments, Done done) override
        {
            return record(QStringList { QStringLiteral("startProgram"), program } + arguments, std::move(done));
        }
        bool showInFileManager(const QString &path, Done done) override
        {
            return record({ QStringLiteral("showInFileManager"), path }, std::move(done));
        }
        bool showFileProperties(const QString &path, Done done) override
        {
            return record({ QStringLiteral("showFileProperties"), path }, std::move(done));
        }
        bool openImageEditor(const QString &path, Done done) override
        {
            return record({ QStringLiteral("openImageEditor"), path }, std::move(done));
        }
        bool setWallpaper(const QString &picturePath, Done done) override
        {
            return record({ QStringLiteral("setWallpaper"), picturePath }, std::move(done));
        }
        bool currentWallpaper(std::function<void(QString path)> done) override
        {
            const bool ok = record({ QStringLiteral("currentWallpaper") });
            if (done)
                QTimer::singleShot(
                    0, &m_context, [done = std::move(done), path = qEnvironmentVariable("VELMORA_SIMULATE_WALLPAPER")] {
                        done(path);
                    });
            return ok;
        }
        bool powerOff(Done done) override { return record({ QStringLiteral("powerOff") }, std::move(done)); }
        bool monitorOff(Done done) override { return record({ QStringLiteral("monitorOff") }, std::move(done)); }
        bool toggleMute(Done done) override { return record({ QStringLiteral("toggleMute") }, std::move(done)); }
        void setClipboardText(const QString &text) override
        {
            m_clipboard = text;
            record({ QStringLiteral("setClipboardText"), text });
        }
        QString clipboardText() const override { return m_clipboard; }
        void setClipboardImage(const QImage &image) override
        {
            record({ QStringLiteral("setClipboardImage"),
                QStringLiteral("%1x%2").arg(image.width()).arg(image.height()) });
        }
        bool installMenuFile(const QString &path, const QByteArray &content, bool executable) override
        {
            bool written = false;
            const bool ok = writeMenuFile(path, content, executable, &written);
            if (written)
                record({ QStringLiteral("installMenuFile"), path });
            return ok;
        }

    private:
        bool record(QStringList fields, Done done = {})
        {
            for (QString &field : fields) {
                field.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
                field.replace(QLatin1Char('\t'), QLatin1String("\\t"));
                field.replace(QLatin1Char('\n'), QLatin1String("\\n"));
            }
            QFile log(m_logPath);
            const bool ok = log.open(QIODevice::WriteOnly | QIODevice::Append)
                && log.write((fields.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8()) > 0;
            report(&m_context, std::move(done), ok);
            return ok;
        }

        QString m_logPath;
        QString m_clipboard;
        QObject m_context;
    };

}

std::unique_ptr<Desktop> createSystemDesktop()
{
    return std::make_unique<SystemDesktop>();
}

std::unique_ptr<Desktop> createRecordingDesktop(const QString &logPath)
{
    return std::make_unique<RecordingDesktop>(logPath);
}

std::unique_ptr<Desktop> createDesktop()
{
    const QString log = qEnvironmentVariable("VELMORA_SIMULATE_DESKTOP");
    if (!log.isEmpty())
        return createRecordingDesktop(log);
    return createSystemDesktop();
}

}
