#include "common/platform/Desktop.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

namespace common::platform {

namespace {

    QString findProgram(const QString &name)
    {
        return QStandardPaths::findExecutable(name);
    }

    bool callFileManager(const QString &method, const QString &path)
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return false;
        QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"),
            method);
        call << QStringList { QUrl::fromLocalFile(path).toString() } << QString();
        const QDBusMessage reply = bus.call(call, QDBus::Block, 3000);
        return reply.type() == QDBusMessage::ReplyMessage;
    }

    class SystemDesktop final : public Desktop {
    public:
        bool openWithDesktop(const QUrl &target) override
        {
            return target.isValid() && QDesktopServices::openUrl(target);
        }

        bool startProgram(const QString &program, const QStringList &arguments) override
        {
            const QString executable = QFileInfo(program).isAbsolute() ? program : findProgram(program);
            if (executable.isEmpty())
                return false;
            return QProcess::startDetached(executable, arguments);
        }

        bool showInFileManager(const QString &path) override
        {
            if (callFileManager(QStringLiteral("ShowItems"), path))
                return true;
            return openWithDesktop(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
        }

        bool showFileProperties(const QString &path) override
        {
            return callFileManager(QStringLiteral("ShowItemProperties"), path);
        }

        bool openImageEditor(const QString &path) override
        {
            const QStringList arguments = path.isEmpty() ? QStringList() : QStringList { path };
            for (const char *editor : { "kolourpaint", "pinta", "gimp" }) {
                const QString executable = findProgram(QString::fromLatin1(editor));
                if (!executable.isEmpty())
                    return QProcess::startDetached(executable, arguments);
            }
            return !path.isEmpty() && openWithDesktop(QUrl::fromLocalFile(path));
        }

        bool setWallpaper(const QString &picturePath) override
        {
            const QString uri = QUrl::fromLocalFile(picturePath).toString();
            const QString session = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
            if (session.contains(QLatin1String("KDE")))
                return run(QStringLiteral("plasma-apply-wallpaperimage"), { picturePath });
            if (session.contains(QLatin1String("XFCE")))
                return run(QStringLiteral("xfconf-query"),
                    { QStringLiteral("-c"),
                        QStringLiteral("xfce4-desktop"),
                        QStringLiteral("-p"),
                        QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image"),
                        QStringLiteral("-s"),
                        picturePath });
            if (session.contains(QLatin1String("MATE")))
                return run(QStringLiteral("gsettings"),
                    { QStringLiteral("set"),
                        QStringLiteral("org.mate.background"),
                        QStringLiteral("picture-filename"),
                        picturePath });
            if (session.contains(QLatin1String("CINNAMON")))
                return run(QStringLiteral("gsettings"),
                    { QStringLiteral("set"),
                        QStringLiteral("org.cinnamon.desktop.background"),
                        QStringLiteral("picture-uri"),
                        uri });
            if (session.contains(QLatin1String("GNOME")) || session.contains(QLatin1String("BUDGIE"))
                || session.contains(QLatin1String("UNITY"))) {
                const bool light = run(QStringLiteral("gsettings"),
                    { QStringLiteral("set"),
                        QStringLiteral("org.gnome.desktop.background"),
                        QStringLiteral("picture-uri"),
                        uri });
                run(QStringLiteral("gsettings"),
                    { QStringLiteral("set"),
                        QStringLiteral("org.gnome.desktop.background"),
                        QStringLiteral("picture-uri-dark"),
                        uri });
                return light;
            }
            return run(QStringLiteral("feh"), { QStringLiteral("--bg-fill"), picturePath });
        }

        bool powerOff() override { return startProgram(QStringLiteral("systemctl"), { QStringLiteral("poweroff") }); }

        bool monitorOff() override
        {
            if (QGuiApplication::platformName() == QLatin1String("xcb"))
                return startProgram(
                    QStringLiteral("xset"), { QStringLiteral("dpms"), QStringLiteral("force"), QStringLiteral("off") });
            QDBusConnection bus = QDBusConnection::sessionBus();
            if (!bus.isConnected())
                return false;
            QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.ScreenSaver"),
                QStringLiteral("/org/freedesktop/ScreenSaver"),
                QStringLiteral("org.freedesktop.ScreenSaver"),
                QStringLiteral("SetActive"));
            call << true;
            return bus.call(call, QDBus::Block, 3000).type() == QDBusMessage::ReplyMessage;
        }

        bool toggleMute() override
        {
            if (!findProgram(QStringLiteral("wpctl")).isEmpty())
                return startProgram(QStringLiteral("wpctl"),
                    { QStringLiteral("set-mute"), QStringLiteral("@DEFAULT_AUDIO_SINK@"), QStringLiteral("toggle") });
            if (!findProgram(QStringLiteral("pactl")).isEmpty())
                return startProgram(QStringLiteral("pactl"),
                    { QStringLiteral("set-sink-mute"), QStringLiteral("@DEFAULT_SINK@"), QStringLiteral("toggle") });
            return startProgram(QStringLiteral("amixer"),
                { QStringLiteral("set"), QStringLiteral("Master"), QStringLiteral("toggle") });
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

    private:
        // Desktop settings tools finish quickly; waiting a little tells whether the change took.
        bool run(const QString &program, const QStringList &arguments)
        {
            const QString executable = findProgram(program);
            if (executable.isEmpty())
                return false;
            QProcess process;
            process.start(executable, arguments);
            if (!process.waitForFinished(5000)) {
                process.kill();
                process.waitForFinished(1000);
                return false;
            }
            return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        }
    };

    // Writes what the desktop would be asked to do, one line per effect, instead of doing it.
    class RecordingDesktop final : public Desktop {
    public:
        explicit RecordingDesktop(QString logPath)
            : m_logPath(std::move(logPath))
        {
        }

        bool openWithDesktop(const QUrl &target) override
        {
            return record({ QStringLiteral("openWithDesktop"), target.toString() });
        }
        bool startProgram(const QString &program, const QStringList &arguments) override
        {
            return record(QStringList { QStringLiteral("startProgram"), program } + arguments);
        }
        bool showInFileManager(const QString &path) override
        {
            return record({ QStringLiteral("showInFileManager"), path });
        }
        bool showFileProperties(const QString &path) override
        {
            return record({ QStringLiteral("showFileProperties"), path });
        }
        bool openImageEditor(const QString &path) override
        {
            return record({ QStringLiteral("openImageEditor"), path });
        }
        bool setWallpaper(const QString &picturePath) override
        {
            return record({ QStringLiteral("setWallpaper"), picturePath });
        }
        bool powerOff() override { return record({ QStringLiteral("powerOff") }); }
        bool monitorOff() override { return record({ QStringLiteral("monitorOff") }); }
        bool toggleMute() override { return record({ QStringLiteral("toggleMute") }); }
        void setClipboardText(const QString &text) override { record({ QStringLiteral("setClipboardText"), text }); }
        void setClipboardImage(const QImage &image) override
        {
            record({ QStringLiteral("setClipboardImage"),
                QStringLiteral("%1x%2").arg(image.width()).arg(image.height()) });
        }

    private:
        bool record(QStringList fields)
        {
            for (QString &field : fields) {
                field.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
                field.replace(QLatin1Char('\t'), QLatin1String("\\t"));
                field.replace(QLatin1Char('\n'), QLatin1String("\\n"));
            }
            QFile log(m_logPath);
            if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
                return false;
            return log.write((fields.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8()) > 0;
        }

        QString m_logPath;
    };

}

std::unique_ptr<Desktop> createDesktop()
{
    const QString log = qEnvironmentVariable("VELMORA_SIMULATE_DESKTOP");
    if (!log.isEmpty())
        return std::make_unique<RecordingDesktop>(log);
    return std::make_unique<SystemDesktop>();
}

}
