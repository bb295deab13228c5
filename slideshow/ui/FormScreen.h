#pragma once

#include "slideshow/RasterSurface.h"
#include "slideshow/TransitionRunner.h"
#include "slideshow/TransitionState.h"

#include <QElapsedTimer>
#include <QImage>
#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;
class QWebEngineView;

namespace common {
struct RunningValues;
struct Services;
}

namespace slideshow {

class PictureBox;

// The slideshow used as an in-program screen saver: it plays the larger pictures of
// ScreenFolder full screen on the opener's screen, one every three seconds, each
// brought in by the next transition of the effect list. A click or any key closes it. It
// deletes itself when closed and never changes the viewer's picture list. Effects are drawn by
// a TransitionRunner from the event loop; a cycle ends when the runner reports the effect's end.
class FormScreen : public QWidget {
    Q_OBJECT
public:
    // Plays `screenFolder`; when nothing there can be shown, the download folder.
    FormScreen(const common::Services &services,
        const common::RunningValues &values,
        const QString &screenFolder,
        QWidget *opener);

    // The folder handed over by the opener, ending with "/".
    const QString ScreenFolder;
    ~FormScreen() override;

    // Effect parameters as the controls give them: direction codes 1 up, 2 down, 4 left,
    // 8 right (0 for none); axis 1 vertical, 2 horizontal; zoom modes 1..3.
    int GetFourWayDirection() const;
    int GetAxisDirection() const;
    int GetZoomMode() const;

    void EnableStepBox(bool on);
    void EnableBarSizeBox(bool on);
    void EnableModeOptions(bool on);
    // 0: no direction; 1: the axis options; 2: the four-way options.
    void EnableDirectionOptions(int set);

    // One cycle, as the three-second timer runs it. It returns once the effect has started;
    // the cycle goes on when the effect ends.
    void Timer1_Timer();
    void cmdStart_Click();
    // Starts the effect of the selected entry; false when there is none to run.
    bool RunSelectedEffect();
    void AdvanceEffect();
    // Loads the next picture of the list fitted to the display onto `target`. When it cannot
    // be read the list is rebuilt from the download folder and the next picture tried once;
    // when that fails too the slideshow stops and false is returned.
    bool LoadFittedPicture(RasterSurface &target);
    void CloseSlideshow();

    // What the window shows and plays.
    const RasterSurface &display() const;
    const QStringList &pictureList() const { return PictureList; }
    int fileIndex() const { return FileIndex; }
    bool isStopped() const { return m_stopped; }
    // True from the start of a cycle's effect until the cycle has finished.
    bool cycleRunning() const { return m_inCycle; }
    TransitionState &transitionState();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The surfaces and effect state a running effect draws on.
    struct Canvas {
        TransitionState effects;
        RasterSurface display; // what Picture1 shows
        RasterSurface incoming; // the next picture
        RasterSurface outgoing; // the picture being replaced
    };

    void createControls();
    void effectEnded();
    void finishCycle();
    void Form_Load();
    void Form_QueryUnload();
    void List1_Click();
    void Text1_Change();
    void guardBox(QLineEdit *box, bool selectOne);
    bool loadFitted(RasterSurface &target, bool mayRetry);
    QUrl musicPage() const;

    const common::Services &m_services;
    const common::RunningValues &m_values;
    Canvas m_canvas;
    QElapsedTimer m_clock;
    // Declared after the canvas, so it goes (with its effect) before the surfaces do.
    std::unique_ptr<TransitionRunner> m_runner;

    QListWidget *List1 = nullptr;
    std::array<QRadioButton *, 6> Option1 {};
    std::array<QRadioButton *, 3> Option2 {};
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QPushButton *cmdStart = nullptr;
    QTimer *Timer1 = nullptr;
    PictureBox *Picture1 = nullptr;
    QImage Picture3; // the last picture read, at its natural size
    QWebEngineView *WebMusic = nullptr;
    QWidget *m_panel = nullptr;
    QGroupBox *m_effectFrame = nullptr;
    QGroupBox *m_directionFrame = nullptr;
    QGroupBox *m_speedFrame = nullptr;
    QGroupBox *m_modeFrame = nullptr;
    QGroupBox *m_stepFrame = nullptr;
    QGroupBox *m_otherFrame = nullptr;
    QLabel *m_speedLabel = nullptr;
    QLabel *m_barSizeLabel = nullptr;

    QStringList PictureList;
    int FileIndex = -1;
    bool StopRequested = false;
    int NextDirectionIndex = 0;
    bool m_inCycle = false;
    bool m_stopped = false;
    bool m_closed = false;
};

}
