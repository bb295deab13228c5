#include "browser/page/PicturePipeline.h"

#include "browser/page/PictureFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QThreadPool>

#include <atomic>

namespace browser::page {

struct PicturePipeline::Entry {
    enum class State { Working, Ready, Failed };
    QString work;
    State state = State::Working;
    // Set on the event loop when nobody will take the picture; read by the encoding thread.
    std::atomic<bool> dropped { false };
    QString target;
    std::function<void(bool)> waiter;
};

PicturePipeline::PicturePipeline(BytesFunction bytes, QObject *parent)
    : QObject(parent)
    , m_bytes(std::move(bytes))
{
}

PicturePipeline::~PicturePipeline()
{
    clear();
    for (const auto &entry : std::as_const(m_taken)) {
        entry->dropped = true;
        entry->waiter = nullptr;
    }
}

void PicturePipeline::prepare(const QString &src, const QString &folder)
{
    if (!m_entries.contains(src))
        m_entries.insert(src, start(src, folder));
}

std::shared_ptr<PicturePipeline::Entry> PicturePipeline::start(const QString &src, const QString &folder)
{
    auto entry = std::make_shared<Entry>();
    entry->work = workFileName(folder);
    ++m_inFlight;
    QPointer<PicturePipeline> self(this);
    m_bytes(src, [self, entry](const QByteArray &bytes, bool ok) {
        if (!ok || entry->dropped) {
            if (self)
                self->encoded(entry, false);
            return;
        }
        QThreadPool::globalInstance()->start([self, entry, bytes] {
            const bool written = encodePictureBytes(bytes, entry->work);
            // A picture nobody takes any more leaves no file behind, even when the event loop no
            // longer runs to hear of it.
            if (written && entry->dropped)
                QFile::remove(entry->work);
            QMetaObject::invokeMethod(
                qApp,
                [self, entry, written] {
                    if (self)
                        self->encoded(entry, written);
                    else if (written)
                        QFile::remove(entry->work);
                },
                Qt::QueuedConnection);
        });
    });
    return entry;
}

void PicturePipeline::encoded(const std::shared_ptr<Entry> &entry, bool ok)
{
    --m_inFlight;
    entry->state = ok ? Entry::State::Ready : Entry::State::Failed;
    if (entry->dropped) {
        if (ok)
            QFile::remove(entry->work);
        return;
    }
    if (entry->waiter) {
        m_taken.remove(entry.get());
        hand(entry);
    }
}

void PicturePipeline::take(const QString &src, const QString &file, std::function<void(bool)> done)
{
    std::shared_ptr<Entry> entry = m_entries.take(src);
    if (!entry)
        entry = start(src, withTrailingSlash(QFileInfo(file).path()));
    entry->target = file;
    entry->waiter = std::move(done);
    if (entry->state == Entry::State::Working)
        m_taken.insert(entry.get(), entry);
    else
        hand(entry);
}

void PicturePipeline::hand(const std::shared_ptr<Entry> &entry)
{
    bool ok = entry->state == Entry::State::Ready;
    if (ok && !QFile::rename(entry->work, entry->target)) {
        QFile::remove(entry->work);
        ok = false;
    }
    std::exchange(entry->waiter, nullptr)(ok);
}

void PicturePipeline::clear()
{
    for (const auto &entry : std::as_const(m_entries)) {
        entry->dropped = true;
        if (entry->state == Entry::State::Ready)
            QFile::remove(entry->work);
    }
    m_entries.clear();
}

}
