#include "web/ui/PageCapture.h"

#include "web/ui/PageScripts.h"

#include <QApplication>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace web {

namespace {

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

PageCapture::PageCapture(QWebEngineView *view, PictureWriter write, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_write(std::move(write))
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
    // The answer may come after the capture is gone.
    const QPointer<PageCapture> self(this);
    runAppScript(m_view->page(), QStringLiteral("capture-measure"), {}, [self, generation](const QVariant &size) {
        if (self && generation == self->m_generation && self->m_busy)
            self->measured(size);
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
    const QPointer<PageCapture> self(this);
    runAppScript(m_view->page(), QStringLiteral("capture-frame"), {}, [this, self, generation](const QVariant &frame) {
        if (!self || generation != m_generation || !m_busy)
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
        runAppScript(m_view->page(), QStringLiteral("capture-restore"));
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
        const bool written = !page.isNull() && m_write && m_write(page, target);
        QApplication::beep();
        emit captured(written);
        if (done)
            done(written);
    });
}

}
