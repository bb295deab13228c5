#include "desktop/WallpaperRotation.h"

#include "common/Files.h"
#include "common/platform/WallpaperCommands.h"
#include "slideshow/PictureFitting.h"

#include <QFileInfo>
#include <QPainter>
#include <QtEndian>

#include <utility>

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

QByteArray encodeBmp24(const QImage &image)
{
    const QImage source = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
        ? image
        : image.convertToFormat(QImage::Format_RGB32);
    const int width = source.width();
    const int height = source.height();
    const qint64 rowBytes = (qint64(width) * 3 + 3) & ~qint64(3);
    const qint64 pixelBytes = rowBytes * height;
    constexpr int kHeaderBytes = 14 + 40;
    QByteArray bytes(kHeaderBytes + pixelBytes, '\0');
    auto *out = reinterpret_cast<uchar *>(bytes.data());
    const auto put16 = [out](int at, quint16 value) {
        qToLittleEndian(value, out + at);
    };
    const auto put32 = [out](int at, quint32 value) {
        qToLittleEndian(value, out + at);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, quint32(bytes.size()));
    put32(10, kHeaderBytes);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height)); // positive: the rows run from the bottom up
    put16(26, 1);
    put16(28, 24);
    put32(34, quint32(pixelBytes));
    put32(38, 2835); // 72 dots per inch
    put32(42, 2835);
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        uchar *row = out + kHeaderBytes + rowBytes * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            row[3 * std::ptrdiff_t(x)] = uchar(qBlue(line[x]));
            row[3 * std::ptrdiff_t(x) + 1] = uchar(qGreen(line[x]));
            row[3 * std::ptrdiff_t(x) + 2] = uchar(qRed(line[x]));
        }
    }
    return bytes;
}

ComposedWallpaper composeWallpaper(const QString &picturePath, QSize screen, QSize previewBox, const QString &bmpPath)
{
    ComposedWallpaper result;
    // A picture larger than the screen is decoded scaled down to what the screen shows of it.
    const std::optional<QImage> picture = slideshow::readPicture(picturePath, screen);
    if (!picture || picture->isNull())
        return result;
    result.canvas = slideshow::fitPicture(*picture, screen);
    result.preview = previewPicture(*picture, previewBox);
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
