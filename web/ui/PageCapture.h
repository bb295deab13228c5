#pragma once

#include <QImage>
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
// bars hidden, drawn once the page has painted at that size, and then put back as it was.
class PageCapture : public QObject {
    Q_OBJECT
public:
    // Writes a captured page to a file; true when the file was written.
    using PictureWriter = std::function<bool(const QImage &page, const QString &target)>;

    PageCapture(QWebEngineView *view, PictureWriter write, QObject *parent = nullptr);

    // Called with true when a capture starts and false when it ends (the viewer disables its
    // slideshow button meanwhile).
    std::function<void(bool busy)> busyHook;

    // Pages larger than this (in pixels, either side) are not captured.
    static constexpr int kMaxSide = 32000;

    bool isBusy() const { return m_busy; }

    // Grabs the page; done receives a null picture when the page could not be drawn. A call while
    // another capture runs is refused at once.
    void grabWholePage(std::function<void(const QImage &page)> done);

    // Grabs the page and writes it to target with the capture's writer (after a beep); done
    // receives whether the file was written.
    void captureToFile(const QString &target, std::function<void(bool written)> done = {});

signals:
    void captured(bool written);

private:
    void measured(const QVariant &size);
    void waitForPaint();
    void finish(const QImage &page);

    QPointer<QWebEngineView> m_view;
    PictureWriter m_write;
    QTimer *m_poll = nullptr;
    bool m_busy = false;
    int m_pollsLeft = 0;
    int m_generation = 0;
    QSize m_savedSize;
    QSize m_pageSize;
    std::function<void(const QImage &)> m_done;
};

}
