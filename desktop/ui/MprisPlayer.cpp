#include "desktop/ui/MprisPlayer.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

#include <utility>

namespace desktop {

namespace {
    const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
    const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
}

const QString MprisPlayer::kServiceName = QStringLiteral("org.mpris.MediaPlayer2.Melodesk");

// org.mpris.MediaPlayer2: who the player is.
class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QStringList SupportedUriSchemes READ uriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ mimeTypes)
public:
    explicit MprisRoot(MprisPlayer *player)
        : QDBusAbstractAdaptor(player)
        , m_player(player)
    {
    }
    bool canQuit() const { return false; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("Melodesk"); }
    QStringList uriSchemes() const { return {}; }
    QStringList mimeTypes() const { return {}; }

public slots:
    void Raise() { emit m_player->raiseRequested(); }
    void Quit() { }

private:
    MprisPlayer *m_player;
};

// org.mpris.MediaPlayer2.Player: playing or stopped, and the station playing.
class MprisControls : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanControl READ yes)
    Q_PROPERTY(bool CanGoNext READ no)
    Q_PROPERTY(bool CanGoPrevious READ no)
    Q_PROPERTY(bool CanSeek READ no)
    Q_PROPERTY(double Rate READ rate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(double Volume READ rate)
    Q_PROPERTY(qlonglong Position READ position)
public:
    explicit MprisControls(MprisPlayer *player)
        : QDBusAbstractAdaptor(player)
        , m_player(player)
    {
    }
    QString playbackStatus() const
    {
        return m_player->isPlaying() ? QStringLiteral("Playing") : QStringLiteral("Stopped");
    }
    QVariantMap metadata() const
    {
        return { { QStringLiteral("mpris:trackid"),
                     QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/velmora/Melodesk/station"))) },
            { QStringLiteral("xesam:title"), m_player->title() } };
    }
    bool yes() const { return true; }
    bool no() const { return false; }
    double rate() const { return 1.0; }
    qlonglong position() const { return 0; }

public slots:
    void Play() { emit m_player->playRequested(); }
    void Pause() { emit m_player->stopRequested(); }
    void Stop() { emit m_player->stopRequested(); }
    void PlayPause()
    {
        if (m_player->isPlaying())
            emit m_player->stopRequested();
        else
            emit m_player->playRequested();
    }
    void Next() { }
    void Previous() { }
    void Seek(qlonglong) { }
    void OpenUri(const QString &) { }

private:
    MprisPlayer *m_player;
};

MprisPlayer::MprisPlayer(QDBusConnection bus, QObject *parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    new MprisRoot(this);
    new MprisControls(this);
    if (!m_bus.isConnected())
        return;
    m_registered =
        m_bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors) && m_bus.registerService(kServiceName);
}

MprisPlayer::~MprisPlayer()
{
    if (!m_registered)
        return;
    m_bus.unregisterService(kServiceName);
    m_bus.unregisterObject(kObjectPath);
}

void MprisPlayer::update(bool playing, const QString &title)
{
    if (playing == m_playing && title == m_title)
        return;
    m_playing = playing;
    m_title = title;
    if (!m_registered)
        return;
    QDBusMessage changed = QDBusMessage::createSignal(
        kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    const QVariantMap values = {
        { QStringLiteral("PlaybackStatus"), playing ? QStringLiteral("Playing") : QStringLiteral("Stopped") },
        { QStringLiteral("Metadata"), QVariant::fromValue(QVariantMap { { QStringLiteral("xesam:title"), title } }) },
    };
    changed << kPlayerInterface << values << QStringList();
    m_bus.send(changed);
}

}

#include "MprisPlayer.moc"
