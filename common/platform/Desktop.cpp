#include "common/platform/Desktop.h"

#include "common/Files.h"

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

#include <memory>
#include <utility>

namespace common::platform {

namespace {

    // How long a desktop settings tool may take before it is stopped and counted as failed.
    constexpr int kToolTimeLimitMs = 10000;
    // How long a D-Bus service may take to answer before the call counts as failed.
    constexpr int kDbusTimeoutMs = 3000;

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
            const QString uri = QUrl::fromLocalFile(picture).toString();
            const QString session = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
            const auto has = [&session](const char *name) {
                return session.contains(QLatin1String(name));
            };
            // The values given to xfconf-query and gsettings are option arguments, not operands,
            // and always start with "/" or "file:"; those tools take no "--" before them.
            if (has("KDE"))
                return runTool(
                    QStringLiteral("plasma-apply-wallpaperimage"), { QStringLiteral("--"), picture }, std::move(done));
            if (has("XFCE"))
                return runTool(QStringLiteral("xfconf-query"),
                    { QStringLiteral("-c"),
                        QStringLiteral("xfce4-desktop"),
                        QStringLiteral("-p"),
                        QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image"),
                        QStringLiteral("-s"),
                        picture },
                    std::move(done));
            if (has("MATE"))
                return runTool(QStringLiteral("gsettings"),
                    { QStringLiteral("set"),
                        QStringLiteral("org.mate.background"),
                        QStringLiteral("picture-filename"),
                        picture },
                    std::move(done));
            if (has("CINNAMON"))
                return runTool(QStringLiteral("gsettings"),
                    { QStringLiteral("set"),
                        QStringLiteral("org.cinnamon.desktop.background"),
                        QStringLiteral("picture-uri"),
                        uri },
                    std::move(done));
            if (has("GNOME") || has("BUDGIE") || has("UNITY")) {
                const QString schema = QStringLiteral("org.gnome.desktop.background");
                // The dark-style picture follows once the light one is set; the outcome is the light one's.
                return runTool(QStringLiteral("gsettings"),
                    { QStringLiteral("set"), schema, QStringLiteral("picture-uri"), uri },
                    [this, schema, uri, done](bool ok) {
                        runTool(QStringLiteral("gsettings"),
                            { QStringLiteral("set"), schema, QStringLiteral("picture-uri-dark"), uri },
                            {});
                        if (done)
                            done(ok);
                    });
            }
            return runTool(
                QStringLiteral("feh"), { QStringLiteral("--bg-fill"), QStringLiteral("--"), picture }, std::move(done));
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

        // Runs a desktop settings tool; the outcome is its exit status. A tool still running after
        // the time limit is stopped; one still running when the desktop object goes is stopped too.
        bool runTool(const QString &program, const QStringList &arguments, Done done)
        {
            const QString executable = findProgram(program);
            if (executable.isEmpty()) {
                report(&m_context, std::move(done), false);
                return false;
            }
            auto *process = new QProcess(&m_context);
            process->setProcessChannelMode(QProcess::ForwardedChannels);
            auto *limit = new QTimer(process);
            limit->setSingleShot(true);
            QObject::connect(limit, &QTimer::timeout, process, &QProcess::kill);
            auto outcome = std::make_shared<Done>(std::move(done));
            const auto finish = [this, process, outcome](bool ok) {
                process->deleteLater();
                if (*outcome)
                    report(&m_context, std::exchange(*outcome, {}), ok);
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
        bool powerOff(Done done) override { return record({ QStringLiteral("powerOff") }, std::move(done)); }
        bool monitorOff(Done done) override { return record({ QStringLiteral("monitorOff") }, std::move(done)); }
        bool toggleMute(Done done) override { return record({ QStringLiteral("toggleMute") }, std::move(done)); }
        void setClipboardText(const QString &text) override { record({ QStringLiteral("setClipboardText"), text }); }
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
