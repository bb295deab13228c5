#include "browser/page/PictureSaver.h"

#include "browser/page/PictureFiles.h"
#include "common/RunningValues.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace browser::page {

namespace {

    constexpr int kSavingColour = 0x4000;
    constexpr int kWhite = 0xFFFFFF;
    constexpr int kRestingWidth = 2400;
    constexpr int kBarStep = 100;
    constexpr int kBarWrap = 24;

}

PictureSaver::PictureSaver(common::RunningValues &values, Operations operations, QObject *parent)
    : QObject(parent)
    , m_values(values)
    , m_ops(std::move(operations))
{
}

PictureSaver::~PictureSaver()
{
    if (m_saving)
        m_values.SaveBusy = false;
}

QDateTime PictureSaver::now() const
{
    return m_ops.now ? m_ops.now() : QDateTime::currentDateTime();
}

void PictureSaver::setBar(int width, int colour, const QString &caption)
{
    m_bar = { width, colour, caption };
    emit barChanged(m_bar);
}

void PictureSaver::BeforeDownload()
{
    m_savedSources.clear();
    m_savedCount = 0;
    emit foundText(QStringLiteral("0"));
    setBar(kRestingWidth, kWhite, QStringLiteral("  自动下载图片 0"));
}

PictureSaver::Start PictureSaver::SavePictureDisk(const QString &path)
{
    if (m_saving)
        return Start::AlreadySaving;
    if (m_values.SaveBusy)
        return Start::Busy;
    m_values.DownloadFolder = withTrailingSlash(path);
    m_values.FileCounter = 0;
    m_findImag = 0;
    begin(Pass::Normal);
    return Start::Started;
}

PictureSaver::Start PictureSaver::SavePictureForSize()
{
    if (m_saving)
        return Start::AlreadySaving;
    if (m_values.SaveBusy)
        return Start::Busy;
    m_values.pictures.PictureCount = 0;
    m_fallbackBar = 0;
    begin(Pass::Fallback);
    return Start::Started;
}

PictureSaver::Start PictureSaver::AutoDownLoadImag()
{
    if (m_saving)
        return Start::AlreadySaving;
    if (m_values.SaveBusy)
        return Start::Busy;
    BeforeDownload();
    const Start start = SavePictureDisk(m_values.DownloadFolder);
    m_autoRun = start == Start::Started;
    return start;
}

bool PictureSaver::deferClose()
{
    if (!m_saving)
        return false;
    m_closeRequested = true;
    return true;
}

void PictureSaver::begin(Pass pass)
{
    m_pass = pass;
    m_saving = true;
    m_values.SaveBusy = true;
    m_images.clear();
    m_next = 0;
    query();
}

void PictureSaver::query()
{
    const int serial = ++m_serial;
    // A page that never answers must not keep every window from saving.
    QTimer::singleShot(kQueryTimeoutMs, this, [this, serial] { onImages(serial, {}); });
    if (!m_ops.queryImages) {
        onImages(serial, {});
        return;
    }
    m_ops.queryImages([this, serial](const QList<PageImage> &images) { onImages(serial, images); });
}

void PictureSaver::onImages(int serial, const QList<PageImage> &images)
{
    if (serial != m_serial || !m_saving)
        return;
    ++m_serial;
    m_images = images;
    m_next = 0;
    if (m_pass == Pass::Normal)
        normalStep();
    else
        fallbackStep();
}

void PictureSaver::afterYield(void (PictureSaver::*next)())
{
    const int serial = m_serial;
    QTimer::singleShot(0, this, [this, serial, next] {
        if (serial != m_serial || !m_saving)
            return;
        if (m_closeRequested) {
            stopEarly();
            return;
        }
        (this->*next)();
    });
}

void PictureSaver::normalStep()
{
    while (m_next < m_images.size()) {
        const PageImage &image = m_images[m_next++];
        if (image.src == QLatin1String("http") || !isLargePicture(image.width, image.height))
            continue;
        ++m_findImag;
        emit foundText(QStringLiteral("发现图片：%1").arg(m_findImag));
        const PageImage found = image;
        const int serial = m_serial;
        QTimer::singleShot(0, this, [this, serial, found] {
            if (serial != m_serial || !m_saving)
                return;
            if (m_closeRequested) {
                stopEarly();
                return;
            }
            normalSave(found);
        });
        return;
    }
    endNormal();
}

void PictureSaver::normalSave(const PageImage &image)
{
    if (m_savedSources.contains(image.src)) {
        normalStep();
        return;
    }
    if (m_savedCount + 1 > kMostSavedSources) {
        // The page has more distinct large pictures than one navigation keeps: the pass ends.
        endNormal();
        return;
    }
    m_savedSources.append(image.src);
    ++m_savedCount;
    const QString work = workFileName(m_values.DownloadFolder);
    const int serial = m_serial;
    auto done = [this, serial, work, src = image.src](bool ok) {
        if (serial != m_serial || !m_saving) {
            QFile::remove(work);
            return;
        }
        QString name;
        if (ok)
            name = claimPictureName(work, m_values.DownloadFolder, now(), m_values.FileCounter);
        if (name.isEmpty()) {
            QFile::remove(work);
            // The address is tried again by a later pass.
            m_savedSources.removeOne(src);
            --m_savedCount;
        } else {
            m_savedFiles.append(name);
        }
        setBar((m_savedCount % kBarWrap) * kBarStep, kSavingColour, QString());
        afterYield(&PictureSaver::normalStep);
    };
    if (m_ops.takePicture)
        m_ops.takePicture(image, work, done);
    else
        done(false);
    // The next pictures are asked for after this one, so this one is first in every queue.
    if (m_ops.prefetch && m_saving && serial == m_serial) {
        int ahead = 0;
        for (qsizetype i = m_next; i < m_images.size() && ahead < kPrefetchDepth; ++i) {
            const PageImage &next = m_images[i];
            if (next.src != QLatin1String("http") && isLargePicture(next.width, next.height)
                && !m_savedSources.contains(next.src)) {
                m_ops.prefetch(next);
                ++ahead;
            }
        }
    }
}

void PictureSaver::endNormal()
{
    ++m_serial;
    m_saving = false;
    m_values.SaveBusy = false;
    m_pass = Pass::None;
    m_bar.caption = QStringLiteral("  自动下载图片 %1").arg(m_savedCount);
    m_bar.width = kRestingWidth;
    emit barChanged(m_bar);
    if (m_findImag > 0)
        emit foundText(QStringLiteral("发现图片：%1").arg(m_findImag));
    if (m_autoRun && m_findImag < 2 && !m_closeRequested) {
        emit passEnded();
        SavePictureForSize();
        return;
    }
    emit passEnded();
    finish();
}

void PictureSaver::fallbackStep()
{
    while (m_next < m_images.size()) {
        const PageImage &image = m_images[m_next++];
        common::PictureList &pictures = m_values.pictures;
        if (!pictures.store(pictures.PictureCount, image.src)) {
            endFallback();
            return;
        }
        if (!endsWithJpg(image.src))
            continue;
        const QString work = workFileName(m_values.DownloadFolder);
        const int serial = m_serial;
        auto done = [this, serial, work](bool ok) {
            if (serial != m_serial || !m_saving) {
                QFile::remove(work);
                return;
            }
            fallbackFetched(work, ok);
        };
        if (m_ops.fetch)
            m_ops.fetch(image.src, work, done);
        else
            done(false);
        return;
    }
    endFallback();
}

void PictureSaver::fallbackFetched(const QString &work, bool ok)
{
    common::PictureList &pictures = m_values.pictures;
    ++pictures.PictureCount;
    emit foundText(QStringLiteral("发现图片：%1").arg(pictures.PictureCount + 1));
    const QFileInfo file(work);
    const bool small = !ok || !file.exists() || file.size() < m_values.browser.MinPictureBytes;
    const QString name =
        small ? QString() : claimPictureName(work, m_values.DownloadFolder, now(), m_values.FileCounter);
    if (name.isEmpty()) {
        QFile::remove(work);
    } else {
        m_savedFiles.append(name);
        ++m_fallbackBar;
        ++m_savedCount;
        m_fallbackBar %= kBarWrap;
        setBar(m_fallbackBar * kBarStep, kSavingColour, QString());
    }
    afterYield(&PictureSaver::fallbackStep);
}

void PictureSaver::endFallback()
{
    ++m_serial;
    m_saving = false;
    m_values.SaveBusy = false;
    m_pass = Pass::None;
    m_bar.caption = QStringLiteral("  下载成功：%1").arg(m_savedCount);
    emit barChanged(m_bar);
    emit passEnded();
    finish();
}

void PictureSaver::stopEarly()
{
    ++m_serial;
    m_saving = false;
    m_values.SaveBusy = false;
    m_pass = Pass::None;
    emit passEnded();
    finish();
}

void PictureSaver::finish()
{
    if (!m_autoRun)
        return;
    m_autoRun = false;
    emit runEnded();
}

}
