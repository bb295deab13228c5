// SaveAsJpeg of a 4000 x 3000 picture at quality 80 against libjpeg-turbo's own in-memory encoder
// (tjbench, 4:2:0 like Qt's writer) on the same pixels, in the same run. Goal: 1.15x tjbench or less.
#include "viewer/JpegWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// Smooth gradients with fine texture, closer to a photograph than flat colour or pure noise.
QImage testPicture()
{
    QImage picture(kWidth, kHeight, QImage::Format_RGB888);
    quint32 seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 28) - 8;
            const double wave = std::sin(x * 0.01) * std::cos(y * 0.013);
            row[3 * x] = uchar(std::clamp(int(128 + 100 * wave) + noise, 0, 255));
            row[3 * x + 1] = uchar(std::clamp(x * 255 / kWidth + noise, 0, 255));
            row[3 * x + 2] = uchar(std::clamp(y * 255 / kHeight + noise, 0, 255));
        }
    }
    return picture;
}

bool writePpm(const QImage &picture, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QByteArray("P6\n") + QByteArray::number(picture.width()) + ' ' + QByteArray::number(picture.height())
        + "\n255\n");
    for (int y = 0; y < picture.height(); ++y)
        file.write(reinterpret_cast<const char *>(picture.constScanLine(y)), qint64(picture.width()) * 3);
    return file.error() == QFile::NoError;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double medianMs(const QImage &picture, const QString &path, int rounds)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        if (!viewer::SaveAsJpeg(picture, path, 80)) {
            std::fprintf(stderr, "SaveAsJpeg failed\n");
            return -1;
        }
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

// tjbench's compression speed in megapixels per second, or a negative value.
double tjbenchMpixPerSecond(const QString &ppm)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("tjbench"));
    if (program.isEmpty())
        return -1;
    QProcess process;
    process.start(program,
        { ppm,
            QStringLiteral("80"),
            QStringLiteral("-rgb"),
            QStringLiteral("-subsamp"),
            QStringLiteral("420"),
            QStringLiteral("-componly"),
            QStringLiteral("-nowrite"),
            QStringLiteral("-quiet"),
            QStringLiteral("-benchtime"),
            QStringLiteral("3"),
            QStringLiteral("-warmup"),
            QStringLiteral("1") });
    if (!process.waitForFinished(120000))
        return -1;
    const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
    // The result row: "RGB  (TD)  4:2:0    80    4000   3000   <comp perf>  <ratio>  N/A".
    const QRegularExpression row(QStringLiteral("4:2:0\\s+80\\s+%1\\s+%2\\s+([0-9.]+)").arg(kWidth).arg(kHeight));
    const auto match = row.match(output);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QImage picture24 = testPicture();
    const QImage picture32 = picture24.convertToFormat(QImage::Format_RGB32);
    const QString ppm = dir.filePath(QStringLiteral("picture.ppm"));
    if (!writePpm(picture24, ppm)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(ppm));
        return 1;
    }

    // Rounds alternate between the two encoders so that load from other programs hits both alike.
    viewer::SaveAsJpeg(picture24, dir.filePath(QStringLiteral("warm.jpg")), 80);
    std::vector<double> ours24Rounds, ours32Rounds, perfRounds;
    for (int round = 0; round < rounds; ++round) {
        ours24Rounds.push_back(medianMs(picture24, dir.filePath(QStringLiteral("out24.jpg")), 5));
        perfRounds.push_back(tjbenchMpixPerSecond(ppm));
        ours32Rounds.push_back(medianMs(picture32, dir.filePath(QStringLiteral("out32.jpg")), 5));
    }
    const double ours24 = median(ours24Rounds);
    const double ours32 = median(ours32Rounds);
    const double perf = median(perfRounds);
    if (*std::min_element(ours24Rounds.begin(), ours24Rounds.end()) < 0
        || *std::min_element(ours32Rounds.begin(), ours32Rounds.end()) < 0 || perf <= 0) {
        std::fprintf(stderr, "a measurement failed (tjbench from libjpeg-turbo-progs needed)\n");
        return 1;
    }
    const double tjMs = double(kWidth) * kHeight / 1e6 / perf * 1000;
    std::printf("SaveAsJpeg 4000x3000 q80, 24-bit picture: %8.1f ms (median of %d rounds)\n", ours24, rounds);
    std::printf("SaveAsJpeg 4000x3000 q80, 32-bit picture: %8.1f ms (median of %d rounds)\n", ours32, rounds);
    std::printf("tjbench    4000x3000 q80 4:2:0 in memory: %8.1f ms (%.1f Mpixels/s)\n", tjMs, perf);
    std::printf("ratio 24-bit: %.2fx   ratio 32-bit: %.2fx   (goal: 1.15x or less)\n", ours24 / tjMs, ours32 / tjMs);
    return 0;
}
