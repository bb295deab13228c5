#include "desktop/WallpaperRotation.h"

#include "common/Files.h"
#include "common/platform/WallpaperCommands.h"
#include "slideshow/PictureFitting.h"

#include <QFileInfo>
#include <QPainter>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace desktop {

int nextWallpaperIndex(int index, int count)
{
    if (count <= 0)
        return -1;
    const int next = index + 1;
    return next >= count || next < 0 ? 0 : next;
}

int goBackIndex(int index)
{
    return index - 2 < 0 ? 0 : index - 2;
}

int parseWallpaperIndex(const QString &stored)
{
    bool ok = false;
    const int value = stored.trimmed().toInt(&ok);
    // The index is a 16-bit number; anything else is a damaged value.
    return ok && value >= -1 && value <= 32767 ? value : -1;
}

bool mayRestoreWallpaper(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isFile() && info.size() > kRestoreMinBytes;
}

bool desktopCachesByName(const QString &session)
{
    using common::platform::DesktopKind;
    const DesktopKind kind = common::platform::desktopKind(session);
    return kind != DesktopKind::Sway && kind != DesktopKind::Other;
}

QString wallpaperFileName(const QString &session, quint64 changeNumber)
{
    if (desktopCachesByName(session) && changeNumber % 2 == 1)
        return QStringLiteral("Desktop-2.bmp");
    return QStringLiteral("Desktop.bmp");
}

bool isComposedWallpaper(const QString &path, const QString &dataFolder)
{
    const QString folder = QFileInfo(dataFolder + QStringLiteral("x")).absolutePath();
    const QFileInfo info(path);
    return info.absolutePath() == folder
        && (info.fileName() == QLatin1String("Desktop.bmp") || info.fileName() == QLatin1String("Desktop-2.bmp"));
}

QImage previewPicture(const QImage &picture, QSize box)
{
    QImage preview(box.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    preview.fill(Qt::black);
    if (picture.isNull() || picture.height() <= 0)
        return preview;
    const double scale = double(picture.height()) / preview.height();
    const double width = picture.width() / scale;
    QPainter painter(&preview);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF((preview.width() - width) / 2, 0, width, preview.height()), picture);
    return preview;
}

namespace {

    constexpr int kBmpHeaderBytes = 14 + 40;

    // One row of 32-bit pixels as blue, green, red bytes: four pixels at a time as three words.
    void convertBmpRow(const QRgb *in, uchar *out, int width)
    {
        int x = 0;
        for (; x + 4 <= width; x += 4) {
            const quint32 p0 = in[x], p1 = in[x + 1], p2 = in[x + 2], p3 = in[x + 3];
            const quint32 words[3] = {
                qToLittleEndian((p0 & 0xffffffu) | (p1 << 24)),
                qToLittleEndian(((p1 >> 8) & 0xffffu) | (p2 << 16)),
                qToLittleEndian(((p2 >> 16) & 0xffu) | (p3 << 8)),
            };
            std::memcpy(out + 3 * std::ptrdiff_t(x), words, sizeof words);
        }
        for (; x < width; ++x) {
            out[3 * std::ptrdiff_t(x)] = uchar(qBlue(in[x]));
            out[3 * std::ptrdiff_t(x) + 1] = uchar(qGreen(in[x]));
            out[3 * std::ptrdiff_t(x) + 2] = uchar(qRed(in[x]));
        }
    }

    // Runs work(first, last) over [0, count) in `bands` ranges at once, the first on this thread.
    void inBands(int count, int bands, const std::function<void(int, int)> &work)
    {
        bands = std::clamp(bands, 1, std::max(1, count));
        std::vector<std::thread> helpers;
        helpers.reserve(std::size_t(bands - 1));
        for (int i = 1; i < bands; ++i)
            helpers.emplace_back(work, int(qint64(count) * i / bands), int(qint64(count) * (i + 1) / bands));
        work(0, int(qint64(count) / bands));
        for (std::thread &helper : helpers)
            helper.join();
    }

    // The pixels whose centres a drawing covers.
    QRect coveredPixels(const QRectF &target)
    {
        return QRect(QPoint(qRound(target.left()), qRound(target.top())),
            QPoint(qRound(target.right()) - 1, qRound(target.bottom()) - 1));
    }

    // The whole pixels of the picture a source part reaches into.
    QRect sourcePixels(const QRectF &source, QSize natural)
    {
        const QRect reached(QPoint(int(std::floor(source.left())), int(std::floor(source.top()))),
            QPoint(int(std::ceil(source.right())) - 1, int(std::ceil(source.bottom())) - 1));
        return reached & QRect(QPoint(0, 0), natural);
    }

    // The size the preview decode is asked for: the picture at the box's height, no larger.
    QSize previewDecodeSize(QSize natural, QSize box)
    {
        if (box.height() >= natural.height())
            return natural;
        const auto width = qRound(double(natural.width()) * box.height() / natural.height());
        return QSize(std::clamp(width, 1, natural.width()), box.height());
    }

    // How a picture whose codec decodes parts reduced is composed when every drawing on the
    // screen shows it at its natural size or smaller: the drawings share one source part, which
    // is decoded once straight at the drawn size.
    struct ReducedPlan {
        QList<slideshow::FittedPart> parts;
        QRect source; // in natural pixels
        QSize drawn;
    };

    std::optional<ReducedPlan> planReduced(QSize natural, QSize screen)
    {
        ReducedPlan plan;
        plan.parts = slideshow::fittingLayout(natural, screen);
        if (plan.parts.isEmpty())
            return std::nullopt;
        plan.source = sourcePixels(plan.parts.constFirst().source, natural);
        for (const slideshow::FittedPart &part : std::as_const(plan.parts)) {
            if (sourcePixels(part.source, natural) != plan.source)
                return std::nullopt;
            plan.drawn = plan.drawn.expandedTo(coveredPixels(part.target).size());
        }
        if (plan.source.isEmpty() || plan.drawn.isEmpty() || plan.drawn.width() > plan.source.width()
            || plan.drawn.height() > plan.source.height())
            return std::nullopt;
        return plan;
    }

    // The canvas and the preview by the plan: the source part decoded here while a second thread
    // decodes the whole picture again at the preview's size. False when either decode fails.
    bool composeReduced(const QString &path,
        QSize natural,
        const ReducedPlan &plan,
        QSize screen,
        QSize previewBox,
        ComposedWallpaper &result)
    {
        std::optional<QImage> preview;
        std::thread previewDecoder([&] {
            preview =
                slideshow::readPicturePart(path, QRect(QPoint(0, 0), natural), previewDecodeSize(natural, previewBox));
        });
        std::optional<QImage> picture = slideshow::readPicturePart(path, plan.source, plan.drawn);
        previewDecoder.join();
        if (!picture || !preview)
            return false;
        QImage shown = picture->convertToFormat(QImage::Format_RGB32);
        picture.reset();
        if (shown.size() != plan.drawn)
            shown = shown.scaled(plan.drawn, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        result.preview = previewPicture(*preview, previewBox);

        const QRect whole(QPoint(0, 0), screen);
        if (plan.parts.size() == 1 && coveredPixels(plan.parts.constFirst().target) == whole) {
            result.canvas = std::move(shown);
            return true;
        }
        result.canvas = QImage(screen, QImage::Format_RGB32);
        result.canvas.fill(Qt::black);
        QPainter painter(&result.canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (const slideshow::FittedPart &part : plan.parts) {
            const QRect covered = coveredPixels(part.target);
            const QRect place = covered & whole;
            // A drawing a pixel narrower than the other shows the part without its last column.
            painter.drawImage(place.topLeft(), shown, QRect(place.topLeft() - covered.topLeft(), place.size()));
        }
        return true;
    }

}

QByteArray encodeBmp24(const QImage &image, int threads)
{
    const QImage source = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
        ? image
        : image.convertToFormat(QImage::Format_RGB32);
    const int width = source.width();
    const int height = source.height();
    const qint64 rowBytes = (qint64(width) * 3 + 3) & ~qint64(3);
    const qint64 pixelBytes = rowBytes * height;
    // Every byte is written below: the header, each row and its padding.
    QByteArray bytes(kBmpHeaderBytes + pixelBytes, Qt::Uninitialized);
    auto *out = reinterpret_cast<uchar *>(bytes.data());
    std::memset(out, 0, kBmpHeaderBytes);
    const auto put16 = [out](int at, quint16 value) {
        qToLittleEndian(value, out + at);
    };
    const auto put32 = [out](int at, quint32 value) {
        qToLittleEndian(value, out + at);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, quint32(bytes.size()));
    put32(10, kBmpHeaderBytes);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height)); // positive: the rows run from the bottom up
    put16(26, 1);
    put16(28, 24);
    put32(34, quint32(pixelBytes));
    put32(38, 2835); // 72 dots per inch
    put32(42, 2835);
    if (threads <= 0)
        threads = qint64(width) * height >= qint64(1024) * 1024 ? std::clamp(QThread::idealThreadCount(), 1, 4) : 1;
    const qint64 padding = rowBytes - qint64(width) * 3;
    inBands(height, threads, [&](int first, int last) {
        for (int y = first; y < last; ++y) {
            uchar *row = out + kBmpHeaderBytes + rowBytes * (height - 1 - y);
            convertBmpRow(reinterpret_cast<const QRgb *>(source.constScanLine(y)), row, width);
            std::memset(row + rowBytes - padding, 0, std::size_t(padding));
        }
    });
    return bytes;
}

ComposedWallpaper composeWallpaper(const QString &picturePath, QSize screen, QSize previewBox, const QString &bmpPath)
{
    ComposedWallpaper result;
    screen = screen.expandedTo(QSize(1, 1));
    previewBox = previewBox.expandedTo(QSize(1, 1));
    const std::optional<slideshow::PictureFile> file = slideshow::inspectPicture(picturePath);
    if (!file)
        return result;
    const std::optional<ReducedPlan> plan =
        file->decodesPartsScaled ? planReduced(file->natural, screen) : std::optional<ReducedPlan>();
    if (plan) {
        if (!composeReduced(picturePath, file->natural, *plan, screen, previewBox, result))
            return result;
    } else {
        // A picture larger than the screen is decoded scaled down to what the screen shows of it.
        const std::optional<QImage> picture = slideshow::readPicture(picturePath, screen);
        if (!picture || picture->isNull())
            return result;
        result.canvas = slideshow::fitPicture(*picture, screen);
        result.preview = previewPicture(*picture, previewBox);
    }
    if (!bmpPath.isEmpty()) {
        if (!common::writeFileAtomically(bmpPath, encodeBmp24(result.canvas), nullptr, common::WriteFlag::NoSync))
            return result;
        result.writtenPath = bmpPath;
    }
    result.ok = true;
    return result;
}

WallpaperRotation::WallpaperRotation(Search search)
    : m_search(std::move(search))
{
}

void WallpaperRotation::useFolder(const QString &folder)
{
    m_folder = folder;
    rebuild();
}

bool WallpaperRotation::switchFolder(const QString &folder)
{
    QStringList found = m_search(folder);
    if (found.isEmpty()) {
        rebuild();
        return false;
    }
    m_folder = folder;
    m_pictures = std::move(found);
    return true;
}

void WallpaperRotation::rebuild()
{
    m_pictures = m_search(m_folder);
}

QString WallpaperRotation::beginChange()
{
    m_failures = 0;
    if (m_pictures.isEmpty())
        return {};
    m_index = nextWallpaperIndex(m_index, int(m_pictures.size()));
    return m_pictures.at(m_index);
}

QString WallpaperRotation::changeFailed()
{
    rebuild();
    if (++m_failures > 1 || m_pictures.isEmpty())
        return {};
    m_index = nextWallpaperIndex(m_index, int(m_pictures.size()));
    return m_pictures.at(m_index);
}

}
