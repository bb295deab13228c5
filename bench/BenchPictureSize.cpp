// Times the picture dimension reader over 20,000 generated files against the least any reader
// must do (open, read the first 4 KiB, close) and against QImageReader::size().
#include "viewer/PictureSize.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

QByteArray be16(int v)
{
    QByteArray b;
    b.append(char((v >> 8) & 255));
    b.append(char(v & 255));
    return b;
}

QByteArray le16(int v)
{
    QByteArray b;
    b.append(char(v & 255));
    b.append(char((v >> 8) & 255));
    return b;
}

QByteArray le32(quint32 v)
{
    return le16(int(v & 0xFFFF)) + le16(int(v >> 16));
}

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray be32(quint32 v)
{
    return be16(int(v >> 16)) + be16(int(v & 0xFFFF));
}

QByteArray segment(int marker, const QByteArray &payload)
{
    return QByteArray(1, char(0xFF)) + char(marker) + be16(int(payload.size()) + 2) + payload;
}

// A camera-like JPEG: APP1 EXIF block (with its thumbnail) of `exifBytes`, tables, frame, scan.
QByteArray cameraJpeg(int width, int height, int exifBytes, bool progressive)
{
    QByteArray exif = QByteArray("Exif\0\0MM\0*\0\0\0\x08", 14);
    exif.append(QByteArray(exifBytes - 4 - exif.size(), '\x11'));
    QByteArray out = QByteArray("\xFF\xD8", 2) + segment(0xE1, exif);
    out += segment(0xDB, QByteArray(1, 0) + QByteArray(64, '\x10'))
        + segment(0xDB, QByteArray(1, 1) + QByteArray(64, '\x11'));
    out += segment(progressive ? 0xC2 : 0xC0,
        QByteArray(1, 8) + be16(height) + be16(width) + QByteArray("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10));
    QByteArray huffman(1, 0);
    huffman += QByteArray(1, 1) + QByteArray(15, 0) + QByteArray(1, 0);
    out += segment(0xC4, huffman) + segment(0xDA, QByteArray("\x03\x01\x00\x02\x00\x03\x00\x00\x3F\x00", 10));
    out += QByteArray(512, '\x5A') + QByteArray("\xFF\xD9", 2);
    return out;
}

QByteArray pngFile(int width, int height)
{
    const QByteArray chunk =
        QByteArray("IHDR") + be32(quint32(width)) + be32(quint32(height)) + QByteArray("\x08\x02\0\0\0", 5);
    const QByteArray data = QByteArray("IDAT") + QByteArray(300, '\x33');
    return QByteArray("\x89PNG\r\n\x1A\n\0\0\0\x0D", 12) + chunk + be32(crc32(chunk)) + be32(300) + data
        + be32(crc32(data)) + be32(0) + QByteArray("IEND") + be32(crc32("IEND"));
}

QByteArray gifFile(int width, int height)
{
    return QByteArray("GIF89a") + le16(width) + le16(height) + QByteArray("\0\0\0", 3) + QByteArray(200, '\x2C');
}

QByteArray bmpFile(int width, int height)
{
    return QByteArray("BM") + le32(1078) + le32(0) + le32(54) + le32(40) + le32(quint32(width)) + le32(quint32(height))
        + QByteArray("\x01\0\x18\0", 4) + QByteArray(1024, 0);
}

double bestOfTwoMs(const std::function<qint64()> &run, qint64 &check)
{
    double best = 1e300;
    for (int i = 0; i < 2; ++i) {
        QElapsedTimer timer;
        timer.start();
        check = run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The made-up files hold no picture data; the decoders' complaints about that are noise here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    constexpr int kFiles = 20000;
    QStringList paths;
    qint64 expectedWidths = 0;
    QRandomGenerator random(9);
    for (int i = 0; i < kFiles; ++i) {
        const int width = 100 + int(random.bounded(5000)), height = 100 + int(random.bounded(5000));
        QByteArray data;
        QString name;
        switch (i % 4) {
        case 0:
            data = pngFile(width, height), name = QStringLiteral("%1.png");
            break;
        case 1:
            data = gifFile(width, height), name = QStringLiteral("%1.gif");
            break;
        case 2:
            data = bmpFile(width, height), name = QStringLiteral("%1.bmp");
            break;
        default:
            data = cameraJpeg(width, height, 1000 + int(random.bounded(39000)), i % 8 == 7);
            name = QStringLiteral("%1.jpg");
        }
        const QString path = dir.filePath(name.arg(i));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            return 1;
        paths.append(path);
        expectedWidths += width;
    }

    const auto floor = [&] {
        qint64 total = 0;
        char buffer[4096];
        for (const QString &path : paths) {
            const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            total += ::read(fd, buffer, sizeof buffer);
            ::close(fd);
        }
        return total;
    };
    const auto ours = [&] {
        qint64 total = 0;
        for (const QString &path : paths)
            total += viewer::GetPictureSize(path).width;
        return total;
    };
    const auto peer = [&] {
        qint64 total = 0;
        for (const QString &path : paths)
            total += QImageReader(path).size().width();
        return total;
    };

    qint64 check = 0;
    floor(), ours(), peer(); // warm-up: every file in the page cache
    const double floorMs = bestOfTwoMs(floor, check);
    const double oursMs = bestOfTwoMs(ours, check);
    if (check != expectedWidths) {
        std::printf(
            "GetPictureSize gave wrong widths: %lld, expected %lld\n", qlonglong(check), qlonglong(expectedWidths));
        return 1;
    }
    const double peerMs = bestOfTwoMs(peer, check);
    std::printf("GetPictureSize over %d files (PNG, GIF, BMP, JPEG with 1-40 KB EXIF)\n", kFiles);
    std::printf("  floor (open, read 4 KiB, close): %8.1f ms\n", floorMs);
    std::printf("  GetPictureSize:                  %8.1f ms   ratio to floor %.2f\n", oursMs, oursMs / floorMs);
    std::printf("  QImageReader::size():            %8.1f ms   ratio to floor %.2f (widths sum %s)\n",
        peerMs,
        peerMs / floorMs,
        check == expectedWidths ? "matches" : "differs");
    return 0;
}
