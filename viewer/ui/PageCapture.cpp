#include "viewer/ui/PageCapture.h"

#include "viewer/JpegWriter.h"

#include <QApplication>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace viewer {

namespace {

    // Hides the scroll bars and answers the body's scroll size. When the page is shorter than the
    // window, the body of an old-style page still reports the window's height; the content's own
    // extent is taken then, so the picture does not depend on the window.
    const QString kMeasureScript = QStringLiteral(R"JS(
(function () {
    var d = document.documentElement, b = document.body;
    if (!b) return null;
    window.__velmoraOverflow = [d.style.overflow, b.style.overflow];
    d.style.overflow = 'hidden';
    b.style.overflow = 'hidden';
    var w = b.scrollWidth, h = b.scrollHeight;
    if (h <= window.innerHeight) {
        var r = document.createRange();
        r.selectNodeContents(b);
        var box = r.getBoundingClientRect();
        var style = getComputedStyle(b);
        h = Math.ceil(box.bottom + window.scrollY + parseFloat(style.marginBottom || '0')
                      + parseFloat(style.paddingBottom || '0'));
    }
    window.scrollTo(0, 0);
    return [w, h];
})())JS");

    const QString kRestoreScript = QStringLiteral(R"JS(
(function () {
    var d = document.documentElement, b = document.body, saved = window.__velmoraOverflow;
    if (b && saved) { d.style.overflow = saved[0]; b.style.overflow = saved[1]; }
    delete window.__velmoraOverflow;
})())JS");

    // Reports, after two animation frames, the size the page is laid out at: once it matches the
    // wanted size a frame at that size has been produced.
    const QString kFrameScript = QStringLiteral(R"JS(
(function () {
    if (window.__velmoraFrame === undefined) {
        window.__velmoraFrame = null;
        requestAnimationFrame(function () { requestAnimationFrame(function () {
            window.__velmoraFrame = [window.innerWidth, window.innerHeight];
        }); });
    }
    var f = window.__velmoraFrame;
    if (f) delete window.__velmoraFrame;
    return f;
})())JS");

    constexpr int kPollMs = 20;
    constexpr int kPollLimit = 500;

}

QWebEngineView *FindDocumentWindow(QWidget *form)
{
    if (!form)
        return nullptr;
    if (auto *view = qobject_cast<QWebEngineView *>(form))
        return view;
    return form->findChild<QWebEngineView *>();
}

PageCapture::PageCapture(QWebEngineView *view, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_poll(new QTimer(this))
{
    m_poll->setInterval(kPollMs);
    m_poll->setSingleShot(true);
    connect(m_poll, &QTimer::timeout, this, &PageCapture::waitForPaint);
}

void PageCapture::grabWholePage(std::function<void(const QImage &page)> done)
{
    if (m_busy || !m_view || !m_view->page()) {
        if (done)
            done({});
        return;
    }
    m_busy = true;
    ++m_generation;
    m_done = std::move(done);
    if (busyHook)
        busyHook(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_savedSize = m_view->size();
    const int generation = m_generation;
    m_view->page()->runJavaScript(kMeasureScript, [this, generation](const QVariant &size) {
        if (generation == m_generation && m_busy)
            measured(size);
    });
}

void PageCapture::measured(const QVariant &size)
{
    const QVariantList values = size.toList();
    if (!m_view || values.size() != 2) {
        finish({});
        return;
    }
    const int width = values[0].toInt() + 4;
    const int height = values[1].toInt() + 4;
    if (width <= 4 || height <= 4 || width > kMaxSide || height > kMaxSide) {
        finish({});
        return;
    }
    m_pageSize = QSize(width, height);
    m_view->resize(m_pageSize);
    m_pollsLeft = kPollLimit;
    m_poll->start();
}

void PageCapture::waitForPaint()
{
    if (!m_busy)
        return;
    if (!m_view) {
        finish({});
        return;
    }
    if (--m_pollsLeft < 0) {
        finish({});
        return;
    }
    const int generation = m_generation;
    m_view->page()->runJavaScript(kFrameScript, [this, generation](const QVariant &frame) {
        if (generation != m_generation || !m_busy)
            return;
        const QVariantList values = frame.toList();
        if (values.size() == 2 && values[0].toInt() == m_pageSize.width() && values[1].toInt() == m_pageSize.height()) {
            // The compositor hands the frame to the widget on the next turns of the event loop.
            QTimer::singleShot(2 * kPollMs, this, [this, generation] {
                if (generation != m_generation || !m_busy)
                    return;
                if (!m_view) {
                    finish({});
                    return;
                }
                QImage page = m_view->grab().toImage();
                if (page.size() != m_pageSize)
                    page = page.scaled(m_pageSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                finish(page);
            });
            return;
        }
        m_poll->start();
    });
}

void PageCapture::finish(const QImage &page)
{
    m_poll->stop();
    if (m_view) {
        m_view->page()->runJavaScript(kRestoreScript);
        m_view->resize(m_savedSize);
    }
    QApplication::restoreOverrideCursor();
    m_busy = false;
    ++m_generation;
    if (busyHook)
        busyHook(false);
    if (auto done = std::move(m_done)) {
        m_done = nullptr;
        done(page);
    }
}

void PageCapture::captureToFile(const QString &target, std::function<void(bool written)> done)
{
    grabWholePage([this, target, done = std::move(done)](const QImage &page) {
        const bool written = !page.isNull() && SaveAsJpeg(page, target, 80);
        QApplication::beep();
        emit captured(written);
        if (done)
            done(written);
    });
}

}
