#pragma once

#include "desktop/WallpaperRotation.h"

#include <QDBusConnection>
#include <QImage>
#include <QSize>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QThreadPool>
#include <QUrl>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QMenuBar;
class QTimer;
class QWebEngineView;

namespace common {
struct RunningValues;
struct Services;
}

namespace desktop {

class MprisPlayer;
class PreviewBox;

// One internet radio station of the "电台(&R)" menu.
struct RadioStation {
    const char *caption;
    const char *page;
};
// The five stations, in menu order; the fifth (index 4) plays when the window opens.
extern const std::array<RadioStation, 5> kRadioStations;
inline constexpr int kDefaultStation = 4;

// "Melodesk": changes the desktop wallpaper every ten seconds to the next picture of a folder
// (the download folder at first), fitted to the screen, while a hidden web view plays a radio
// station. It lives in the notification area: closing or minimising hides it, the tray icon's
// left button shows it and its right button pops up the radio menu. Only "退出(&X)" closes it,
// and then the user's own wallpaper comes back. Without a notification area the window stays in
// the task bar instead, closing only minimises it, and its menu bar carries both menus.
// The window deletes itself when closed.
class FormDesktop : public QWidget {
    Q_OBJECT
public:
    enum class TrayMode { Auto, Tray, NoTray };

    // The questions the window asks; tests answer them without dialogs.
    struct Prompts {
        std::function<QString(QWidget *owner, const QString &prompt)> chooseFolder;
        // The typed station address; nullopt when cancelled.
        std::function<std::optional<QString>(QWidget *owner)> askStation;
        std::function<void(QWidget *owner, const QString &text)> inform;
        // Whether the wallpaper left by a run that ended without "退出(&X)" should be put back.
        std::function<bool(QWidget *owner, const QString &oldWallpaper)> offerRestore;
    };
    static Prompts dialogPrompts();

    FormDesktop(const common::Services &services,
        const common::RunningValues &values,
        TrayMode trayMode = TrayMode::Auto,
        QWidget *parent = nullptr);
    ~FormDesktop() override;

    // How the viewer and the browser open it: loaded without being shown. There is one window
    // at a time (two rotations would fight over the wallpaper): a second call returns the first.
    // It is deleted when the program quits.
    static FormDesktop *loadHidden(const common::Services &services, const common::RunningValues &values);

    void setPrompts(Prompts prompts) { m_prompts = std::move(prompts); }
    // The bus the radio is offered on as a media player; the session bus unless set before
    // Form_Load.
    void setMediaBus(const QDBusConnection &bus) { m_mediaBus = bus; }
    MprisPlayer *mediaPlayer() const { return m_mpris; }
    // The size of the composed wallpaper; the primary screen's size in pixels unless set.
    void setScreenSize(QSize size) { m_screenSize = size; }

    // Opens the window without showing it: the radio, the picture list, the stored index, the
    // old wallpaper, the stop mark and the tray icon. The first change comes with the first tick.
    // The desktop is asked for its wallpaper without waiting: the open goes on with the old
    // wallpaper's step when it answers, and loaded() tells that the open is complete. Until then
    // no wallpaper is changed, so the user's own is always saved first.
    void Form_Load();
    bool isLoaded() const { return m_loaded; }

    // The timer tick (also "下一幅图片"): one change unless changing is stopped.
    void Timer1_Timer();
    // Advances to the next picture and composes it; the wallpaper is set unless stopped.
    // Returns at once: the picture is decoded and fitted away from this thread and
    // changeFinished() reports the end.
    void ChangeWallpaper();
    void Goback_Click();
    void Forword_Click();
    void StopChang_Click();
    void ChangDir_Click();
    void DefoutlDir_Click();
    void ViewPath_Click();
    void Picture1_DblClick();
    void Yinyue_Click(int index);
    void ChangRadio_Click();
    void StopMusic_Click();
    void GuanJi_Click();
    void CloseScreen_Click();
    void mExit_Click();
    // The tray icon was clicked.
    void SysTrayActivated(QSystemTrayIcon::ActivationReason reason);

    bool hasTray() const { return m_tray != nullptr; }
    bool isChanging() const { return m_changing; }
    bool isStopped() const;
    bool isMusicStopped() const;
    int checkedStation() const; // -1 when none is checked
    const WallpaperRotation &rotation() const { return m_rotation; }
    QString currentPicture() const;
    const QString &oldWallpaper() const { return m_oldWallpaper; }
    const QUrl &radioAddress() const { return m_radioAddress; }
    QUrl playingPage() const;
    const QImage &preview() const { return m_preview; }
    const QImage &canvas() const { return m_canvas; }
    QMenu *radioMenu() const { return m_radioMenu; }
    QMenu *pictureMenu() const { return m_pictureMenu; }
    // The path of the last wallpaper written.
    const QString &lastWallpaperFile() const { return m_lastWallpaperFile; }

signals:
    // A change has ended; `shown` is false when no picture could be shown.
    void changeFinished(bool shown);
    // The open has gone through all its steps.
    void loaded();
    void musicChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void createControls();
    void startChange(const QString &picture);
    void finishChange(const QString &picture, const ComposedWallpaper &result);
    void setWallpaperFile(const QString &path);
    // The open's steps from the old wallpaper on; `fromDesktop` is the desktop's answer.
    void loadFromOldWallpaper(const QString &fromDesktop);
    void Form_Unload();
    void navigateRadio(const QUrl &page);
    void showWindow();
    QSize screenSize() const;

    const common::Services &m_services;
    const common::RunningValues &m_values;
    const TrayMode m_trayMode;
    Prompts m_prompts;
    WallpaperRotation m_rotation;
    QString m_oldWallpaper;
    QUrl m_radioAddress;
    bool m_exitRequested = false;
    bool m_changing = false;
    bool m_unloaded = false;
    bool m_loading = false;
    bool m_loaded = false;
    quint64 m_changeNumber = 0;
    QSize m_screenSize;
    QImage m_preview;
    QImage m_canvas;
    QString m_lastWallpaperFile;

    QMenuBar *m_menuBar = nullptr;
    QMenu *m_pictureMenu = nullptr;
    QMenu *m_radioMenu = nullptr;
    QAction *StopChang = nullptr;
    QAction *StopMusic = nullptr;
    std::array<QAction *, 5> Yinyue {};
    PreviewBox *Picture1 = nullptr;
    QTimer *Timer1 = nullptr;
    QWebEngineView *Web = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    MprisPlayer *m_mpris = nullptr;
    QDBusConnection m_mediaBus;
    // Composes one change at a time; declared last, so it is waited for first.
    QThreadPool m_workers;
};

}
