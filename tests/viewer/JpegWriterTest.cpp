#include "viewer/JpegWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QImage gradient(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, QColor(x * 255 / width, y * 255 / height, 128));
    return image;
}

class JpegWriterTest : public testing::Test {
protected:
    QTemporaryDir dir;
};

TEST_F(JpegWriterTest, WritesAJpegOfThePicturesSizeFromEveryFormat)
{
    QImage halves(124, 46, QImage::Format_RGB32);
    halves.fill(QColor(200, 40, 40));
    for (int y = 0; y < halves.height(); ++y)
        for (int x = halves.width() / 2; x < halves.width(); ++x)
            halves.setPixelColor(x, y, QColor(30, 30, 220));
    for (const QImage::Format format : { QImage::Format_RGB32,
             QImage::Format_ARGB32,
             QImage::Format_RGB888,
             QImage::Format_RGB16,
             QImage::Format_Indexed8 }) {
        const QString path = dir.filePath(QStringLiteral("out-%1.jpg").arg(int(format)));
        ASSERT_TRUE(viewer::SaveAsJpeg(halves.convertToFormat(format), path, 80)) << int(format);
        QImageReader reader(path);
        EXPECT_EQ(reader.format(), QByteArray("jpeg"));
        const QImage back = reader.read();
        ASSERT_EQ(back.size(), QSize(124, 46));
        for (const QPoint at : { QPoint(30, 23), QPoint(93, 23) }) {
            const QColor got = back.pixelColor(at);
            const QColor expected = halves.pixelColor(at);
            EXPECT_NEAR(got.red(), expected.red(), 10) << int(format);
            EXPECT_NEAR(got.green(), expected.green(), 10) << int(format);
            EXPECT_NEAR(got.blue(), expected.blue(), 10) << int(format);
        }
    }
}

TEST_F(JpegWriterTest, TransparentAreasBecomeWhite)
{
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    const QString path = dir.filePath("clear.jpg");
    ASSERT_TRUE(viewer::SaveAsJpeg(picture, path, 80));
    const QColor colour = QImage(path).pixelColor(8, 8);
    EXPECT_GE(colour.red(), 250);
    EXPECT_GE(colour.green(), 250);
    EXPECT_GE(colour.blue(), 250);
}

TEST_F(JpegWriterTest, QualityChangesTheFile)
{
    const QImage picture = gradient(300, 200, QImage::Format_RGB32);
    ASSERT_TRUE(viewer::SaveAsJpeg(picture, dir.filePath("low.jpg"), 10));
    ASSERT_TRUE(viewer::SaveAsJpeg(picture, dir.filePath("high.jpg"), 95));
    ASSERT_TRUE(viewer::SaveAsJpeg(picture, dir.filePath("clamped.jpg"), 1000));
    EXPECT_LT(QFileInfo(dir.filePath("low.jpg")).size(), QFileInfo(dir.filePath("high.jpg")).size());
    EXPECT_GE(QFileInfo(dir.filePath("clamped.jpg")).size(), QFileInfo(dir.filePath("high.jpg")).size());
}

TEST_F(JpegWriterTest, FailuresReturnFalseAndLeaveNoFile)
{
    const QImage picture = gradient(20, 20, QImage::Format_RGB32);
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("keep");
    plain.close();
    EXPECT_FALSE(viewer::SaveAsJpeg(picture, dir.filePath("plain/below.jpg"), 80));
    EXPECT_FALSE(viewer::SaveAsJpeg(picture, QStringLiteral("/dev/full"), 80));
    EXPECT_FALSE(viewer::SaveAsJpeg(picture, dir.path(), 80));
    EXPECT_FALSE(viewer::SaveAsJpeg(QImage(), dir.filePath("null.jpg"), 80));
    EXPECT_FALSE(viewer::SaveAsJpeg(picture, QString(), 80));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("null.jpg")));
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    EXPECT_EQ(plain.readAll(), "keep");
}

TEST_F(JpegWriterTest, ReplacesAnExistingFileWhole)
{
    const QString path = dir.filePath("again.jpg");
    ASSERT_TRUE(viewer::SaveAsJpeg(gradient(400, 300, QImage::Format_RGB32), path, 95));
    ASSERT_TRUE(viewer::SaveAsJpeg(gradient(10, 10, QImage::Format_RGB32), path, 80));
    EXPECT_EQ(QImage(path).size(), QSize(10, 10));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "again.jpg" });
    EXPECT_TRUE(QFileInfo(path).permissions().testFlag(QFile::ReadOther));
}

}
