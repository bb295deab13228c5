#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>

class QTimer;
class QWebEngineView;
class QWidget;

namespace web {

// The web view inside a window whose size the capture changes: the window itself when it is a
// view, else its first view child at any depth; nullptr when it has none.
QWebEngineView *FindDocumentWindow(QWidget *form);

// Takes the whole page a web view shows, not only its visible part, as one picture of the page's
// scroll width + 4 by scroll height + 4 pixels: the view is enlarged to the page with its scroll
// bars hidden, drawn once the page has painted at that size with every picture loaded, and then
// put back as it was. A page taller than the view may be is drawn in bands, scrolled one after
// the other, and joined. How long the capture waits grows with the page's area and pictures.
class PageCapture : public QObject {
    Q_OBJECT
public:
    // Writes a captured page to a file; true when the file was written.
    using PictureWriter = std::function<bool(const QImage &page, const QString &target)>;

    PageCapture(QWebEngineView *view, PictureWriter write, QObject *parent = nullptr);

    // Called with true when a capture starts and false when it ends (the viewer disables its
    // slideshow button meanwhile).
    std::function<void(bool busy)> busyHook;

    // The largest view drawn at once (either side); a wider page is not captured.
    static constexpr int kMaxSide = 32000;
    // The tallest page captured (in bands): the most a JPEG file can hold.
    static constexpr int kMaxJoinedHeight = 65535;
    // The height of each band of a page taller than kMaxSide.
    static constexpr int kBandHeight = 16000;

    // How long a page of this size with this many pictures is given to paint, in milliseconds.
    static int paintTimeoutMs(QSize page, int pictures);

    bool isBusy() const { return m_busy; }

    // Grabs the page; done receives a null picture when the page could not be drawn. A call while
    // another capture runs is refused at once.
    void grabWholePage(std::function<void(const QImage &page)> done);

    // Grabs the page and writes it to target with the capture's writer; done receives whether
    // the file was written. A written file is announced with a beep; a failure is told in a
    // message beside the view's window (unless showMessages is off), and its text is lastError().
    void captureToFile(const QString &target, std::function<void(bool written)> done = {});

    // Why the last capture failed; empty after one that succeeded.
    const QString &lastError() const { return m_error; }
    bool showMessages = true;

signals:
    void captured(bool written);
    void failed(const QString &message);

private:
    void measured(const QVariant &size);
    void waitForPaint();
    void grabBand();
    void fail(const QString &message);
    void finish(const QImage &page);

    QPointer<QWebEngineView> m_view;
    PictureWriter m_write;
    QTimer *m_poll = nullptr;
    QElapsedTimer m_clock;
    bool m_busy = false;
    qint64 m_deadline = 0;
    int m_timeoutMs = 0;
    QList<int> m_offsets; // the scroll offset of each band
    int m_band = 0;
    int m_bandHeight = 0;
    QImage m_joined;
    QString m_error;
    int m_generation = 0;
    QSize m_savedSize;
    QSize m_pageSize;
    std::function<void(const QImage &)> m_done;
};

}
