#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace desktop {

// The radio as a media player on the session bus (org.mpris.MediaPlayer2.Melodesk), so media
// keys and the desktop's media controls reach it: Play, Pause, PlayPause and Stop ask the window
// to start or stop the music, Raise shows it, and the metadata's title is the station. Without a
// session bus it does nothing.
class MprisPlayer : public QObject {
    Q_OBJECT
public:
    static const QString kServiceName;

    MprisPlayer(QDBusConnection bus, QObject *parent);
    ~MprisPlayer() override;

    bool isRegistered() const { return m_registered; }
    bool isPlaying() const { return m_playing; }
    const QString &title() const { return m_title; }
    // What the window now plays; changes are announced on the bus.
    void update(bool playing, const QString &title);

signals:
    void playRequested();
    void stopRequested();
    void raiseRequested();

private:
    QDBusConnection m_bus;
    bool m_registered = false;
    bool m_playing = false;
    QString m_title;
};

}
