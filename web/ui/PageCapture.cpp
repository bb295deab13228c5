#include "web/ui/PageCapture.h"

#include "web/ui/PageScripts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace web {

namespace {

    constexpr int kPollMs = 20;

}

int PageCapture::paintTimeoutMs(QSize page, int pictures)
{
    // Ten seconds for any page, a second more for every four million pixels and a tenth of a
    // second for every picture (a page of 200 camera photos is given half a minute); at most
    // three minutes.
    const qint64 area = qint64(std::max(page.width(), 0)) * std::max(page.height(), 0);
    const qint64 ms = 10'000 + area / 4'000 + qint64(std::max(pictures, 0)) * 100;
    return int(std::min<qint64>(ms, 180'000));
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
    m_error.clear();
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
    if (!m_view || values.size() < 2) {
        fail(QStringLiteral("截图失败：无法读取页面的大小。"));
        return;
    }
    const int width = values[0].toInt() + 4;
    const int height = values[1].toInt() + 4;
    const int pictures = values.size() > 2 ? values[2].toInt() : 0;
    if (width <= 4 || height <= 4) {
        fail(QStringLiteral("截图失败：页面是空的。"));
        return;
    }
    if (width > kMaxSide || height > kMaxJoinedHeight) {
        fail(QStringLiteral("页面太大，无法截图：%1 × %2 像素（最大 %3 × %4 像素）。")
                 .arg(width)
                 .arg(height)
                 .arg(kMaxSide)
                 .arg(kMaxJoinedHeight));
        return;
    }
    m_pageSize = QSize(width, height);
    m_offsets.clear();
    m_band = 0;
    m_joined = QImage();
    if (height <= kMaxSide) {
        m_bandHeight = height;
        m_offsets.append(0);
    } else {
        // The last band ends at the content's end: the page scrolls no further (the picture's
        // last four rows stay blank, as under a page captured at once).
        m_bandHeight = kBandHeight;
        const int content = height - 4;
        for (int y = 0; y < content - m_bandHeight; y += m_bandHeight)
            m_offsets.append(y);
        m_offsets.append(content - m_bandHeight);
        m_joined = QImage(m_pageSize, QImage::Format_RGB32);
        if (m_joined.isNull()) {
            fail(QStringLiteral("截图失败：内存不足，无法拼接 %1 × %2 像素的页面。").arg(width).arg(height));
            return;
        }
        m_joined.fill(Qt::white);
    }
    m_timeoutMs = paintTimeoutMs(m_pageSize, pictures);
    m_clock.start();
    m_view->resize(width, m_bandHeight);
    m_poll->start();
}

void PageCapture::waitForPaint()
{
    if (!m_busy)
        return;
    if (!m_view) {
        fail(QStringLiteral("截图失败：页面已关闭。"));
        return;
    }
    if (m_clock.elapsed() > m_timeoutMs) {
        fail(QStringLiteral("截图失败：页面在 %1 秒内没有画完。").arg(m_timeoutMs / 1000));
        return;
    }
    const int generation = m_generation;
    const int offset = m_offsets.value(m_band);
    const QPointer<PageCapture> self(this);
    runAppScript(m_view->page(),
        QStringLiteral("capture-frame"),
        { offset },
        [this, self, generation, offset](const QVariant &frame) {
            if (!self || generation != m_generation || !m_busy)
                return;
            const QVariantList values = frame.toList();
            // A band is drawn where the page did scroll to, should that differ by a pixel.
            if (values.size() >= 3 && values[0].toInt() == m_pageSize.width() && values[1].toInt() == m_bandHeight
                && std::abs(values[2].toInt() - offset) <= 2) {
                m_offsets[m_band] = values[2].toInt();
                // The compositor hands the frame to the widget on the next turns of the event loop.
                QTimer::singleShot(2 * kPollMs, this, [this, generation] {
                    if (generation == m_generation && m_busy)
                        grabBand();
                });
                return;
            }
            m_poll->start();
        });
}

void PageCapture::grabBand()
{
    if (!m_view) {
        fail(QStringLiteral("截图失败：页面已关闭。"));
        return;
    }
    const QSize bandSize(m_pageSize.width(), m_bandHeight);
    QImage band = m_view->grab().toImage();
    if (band.size() != bandSize)
        band = band.scaled(bandSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (m_joined.isNull()) {
        finish(band);
        return;
    }
    QPainter painter(&m_joined);
    painter.drawImage(0, m_offsets.value(m_band), band);
    painter.end();
    if (++m_band < m_offsets.size()) {
        m_poll->start();
        return;
    }
    finish(std::exchange(m_joined, QImage()));
}

void PageCapture::fail(const QString &message)
{
    m_error = message;
    finish({});
}

void PageCapture::finish(const QImage &page)
{
    m_poll->stop();
    if (m_view) {
        runAppScript(m_view->page(), QStringLiteral("capture-restore"));
        m_view->resize(m_savedSize);
    }
    QApplication::restoreOverrideCursor();
    m_joined = QImage();
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
        if (written) {
            QApplication::beep();
        } else {
            if (m_error.isEmpty())
                m_error = page.isNull() ? QStringLiteral("截图失败：无法画出页面。")
                                        : QStringLiteral("无法写入截图文件：%1").arg(target);
            if (showMessages) {
                auto *box = new QMessageBox(QMessageBox::Warning,
                    QStringLiteral("截图"),
                    m_error,
                    QMessageBox::Ok,
                    m_view ? m_view->window() : nullptr);
                box->setAttribute(Qt::WA_DeleteOnClose);
                box->open();
            }
            emit failed(m_error);
        }
        emit captured(written);
        if (done)
            done(written);
    });
}

}
