#include "viewer/PictureSize.h"

#include "TestPictures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace viewer;
using namespace viewer::pictures;

namespace {

struct HeaderCase {
    const char *name;
    QByteArray data;
    PictureDimensions expected;
};

void PrintTo(const HeaderCase &c, std::ostream *os)
{
    *os << c.name;
}

PictureDimensions fromBuffer(const QByteArray &data)
{
    return GetPictureSizeFromBuffer(
        std::span<const unsigned char>(reinterpret_cast<const unsigned char *>(data.constData()), size_t(data.size())));
}

std::vector<HeaderCase> headerCases()
{
    const QByteArray sof0 = jpegFrame(0xC0, 1024, 768);
    return {
        { "png_800x600", pngHeader(800, 600), { 800, 600 } },
        { "png_70000_wide_keeps_low_half", pngHeader(70000, 600), { 4464, 600 } },
        { "png_40000_wide_is_negative_as_16_bits", pngHeader(40000, 32767), { 0, 32767 } },
        { "png_cut_after_width", pngHeader(800, 600).left(21), { 800, 0 } },
        { "gif_16x16", gifHeader(16, 16), { 16, 16 } },
        { "gif87a_300x200", QByteArray("GIF87a") + bytes({ 0x2C, 1, 200, 0 }), { 300, 200 } },
        { "gif_cut_inside_width", QByteArray("GIF89a") + bytes({ 16 }), { 16, 0 } },
        { "bmp_640x480", bmpHeader(640, 480), { 640, 480 } },
        { "bmp_top_down_height_is_0", bmpHeader(640, -480), { 640, 0 } },
        { "jpeg_app0_app1_sof0", jpeg(jpegApp0() + jpegExif(300) + sof0), { 1024, 768 } },
        { "jpeg_progressive_sof2", jpeg(jpegApp0() + jpegFrame(0xC2, 640, 480)), { 640, 480 } },
        { "jpeg_sof3", jpeg(jpegFrame(0xC3, 33, 44)), { 33, 44 } },
        { "jpeg_only_sof_above_195", jpeg(jpegApp0() + jpegFrame(0xC9, 640, 480)), { 0, 0 } },
        { "jpeg_dht_c4_is_not_a_frame", jpeg(jpegSegment(0xC4, QByteArray(20, 1)) + jpegFrame(0xC1, 5, 6)), { 5, 6 } },
        { "jpeg_fill_bytes_before_markers",
            bytes({ 0xFF, 0xD8, 0xFF, 0xFF, 0xFF }) + jpegApp0().mid(1) + bytes({ 0xFF, 0xFF }) + sof0,
            { 1024, 768 } },
        { "jpeg_garbage_between_segments", jpeg(jpegApp0() + QByteArray("xyz") + sof0), { 1024, 768 } },
        { "jpeg_65535_high_is_0", jpeg(jpegFrame(0xC0, 0x7FFF, 0xFFFF)), { 32767, 0 } },
        { "jpeg_cut_inside_frame", jpeg(sof0).left(2 + 7), { 0, 768 } },
        { "jpeg_segment_runs_past_end",
            jpeg(jpegSegment(0xE1, QByteArray(10, 0))).left(8) + bytes({ 0xFF, 0xFF }),
            { 0, 0 } },
        { "jpeg_zero_length_segment_still_advances", bytes({ 0xFF, 0xD8, 0xFF, 0xE0, 0, 0 }) + sof0, { 1024, 768 } },
        { "jpeg_one_length_segment_still_advances", bytes({ 0xFF, 0xD8, 0xFF, 0xE0, 0, 1, 0 }) + sof0, { 1024, 768 } },
        { "jpeg_only_soi", bytes({ 0xFF, 0xD8, 0xFF }), { 0, 0 } },
        { "jpeg_all_fill_bytes", bytes({ 0xFF, 0xD8 }) + QByteArray(5000, char(0xFF)), { 0, 0 } },
        { "jpeg_40k_exif_before_frame", jpeg(jpegApp0() + jpegExif(40000) + sof0), { 1024, 768 } },
        { "text", QByteArray("hello, this is not a picture\r\n"), { 0, 0 } },
        { "tiff", QByteArray("II*\0", 4) + le32(8) + QByteArray(64, '\0'), { 0, 0 } },
        { "empty", QByteArray(), { 0, 0 } },
        { "bm_only", QByteArray("BM"), { 0, 0 } },
    };
}

class HeaderReader : public ::testing::TestWithParam<HeaderCase> { };

TEST_P(HeaderReader, BufferGivesTheHeaderSize)
{
    EXPECT_EQ(fromBuffer(GetParam().data), GetParam().expected);
}

TEST_P(HeaderReader, FileGivesTheSameAsTheBuffer)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture"));
    ASSERT_TRUE(writeFile(path, GetParam().data));
    EXPECT_EQ(GetPictureSize(path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Made, HeaderReader, ::testing::ValuesIn(headerCases()), [](const auto &caseInfo) {
    return std::string(caseInfo.param.name);
});

TEST(PictureSize, FrameHeaderAcrossTheFilesFirstBlock)
{
    // Each shift moves the frame header one byte further across the 4 KiB block boundary.
    QTemporaryDir dir;
    for (int shift = 0; shift < 16; ++shift) {
        const QByteArray data = jpeg(jpegExif(4096 - 2 - 8 + shift) + jpegFrame(0xC0, 1000 + shift, 700));
        const QString path = dir.filePath(QStringLiteral("b%1.jpg").arg(shift));
        ASSERT_TRUE(writeFile(path, data));
        EXPECT_EQ(GetPictureSize(path), (PictureDimensions { 1000 + shift, 700 })) << shift;
    }
}

TEST(PictureSize, FileMatchesBufferOnMutatedHeaders)
{
    const std::vector<QByteArray> seeds = {
        jpeg(jpegApp0() + jpegExif(9000) + jpegFrame(0xC2, 4000, 3000)),
        jpeg(jpegExif(4100) + jpegExif(4100) + jpegFrame(0xC0, 1, 2)),
        pngHeader(5, 6),
        bmpHeader(7, 8),
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m"));
    QRandomGenerator random(20210);
    for (int round = 0; round < 300; ++round) {
        QByteArray data = seeds[size_t(round) % seeds.size()];
        for (int flips = int(random.bounded(4)); flips >= 0; --flips)
            data[qsizetype(random.bounded(int(data.size())))] = char(random.bounded(256));
        if (random.bounded(3) == 0)
            data.truncate(random.bounded(int(data.size())));
        ASSERT_TRUE(writeFile(path, data));
        ASSERT_EQ(GetPictureSize(path), fromBuffer(data)) << "round " << round;
    }
}

TEST(PictureSize, WhatIsNotARegularFileGivesZero)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.jpg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString regular = dir.filePath(QStringLiteral("file.png"));
    ASSERT_TRUE(writeFile(regular, pngHeader(3, 4)));

    EXPECT_EQ(GetPictureSize(fifo), PictureDimensions {});
    EXPECT_EQ(GetPictureSize(dir.path()), PictureDimensions {});
    EXPECT_EQ(GetPictureSize(dir.filePath(QStringLiteral("missing.png"))), PictureDimensions {});
    EXPECT_EQ(GetPictureSize(regular + QStringLiteral("/below-a-file.png")), PictureDimensions {});
    EXPECT_EQ(GetPictureSize(QStringLiteral("/dev/zero")), PictureDimensions {});
    EXPECT_EQ(GetPictureSize(QString()), PictureDimensions {});
    EXPECT_EQ(GetPictureSize(regular), (PictureDimensions { 3, 4 }));
}

TEST(PictureSize, ChineseFileName)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("风景 照片.gif"));
    ASSERT_TRUE(writeFile(path, gifHeader(120, 80)));
    EXPECT_EQ(GetPictureSize(path), (PictureDimensions { 120, 80 }));
}

}

TEST(PictureSize, MarkerWalkGivesUpPastItsFirstMegabytes)
{
    // Maximal segments, 65537 bytes each with the marker, then the frame header.
    const auto withSegmentsBefore = [](int count) {
        QByteArray segments;
        for (int i = 0; i < count; ++i)
            segments += jpegSegment(0xE2, QByteArray(65533, char(0x11)));
        return jpeg(segments + jpegFrame(0xC0, 640, 480));
    };
    EXPECT_EQ(fromBuffer(withSegmentsBefore(120)), (PictureDimensions { 640, 480 })); // 7.5 MiB before it
    EXPECT_EQ(fromBuffer(withSegmentsBefore(130)), PictureDimensions {}); // 8.1 MiB before it
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("far.jpg"));
    ASSERT_TRUE(writeFile(path, withSegmentsBefore(130)));
    EXPECT_EQ(GetPictureSize(path), PictureDimensions {});
}

TEST(PictureSize, SparseGiantThatStartsLikeAJpegIsGivenUpQuickly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("giant.jpg"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write("\xFF\xD8\xFF", 3), 3);
    file.flush();
    // 10 GiB of holes: nothing is stored, every byte past the start reads as 0.
    ASSERT_EQ(::ftruncate(file.handle(), off_t(10) << 30), 0);
    file.close();
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(GetPictureSize(path), PictureDimensions {});
    EXPECT_LT(timer.elapsed(), 2000);
}
