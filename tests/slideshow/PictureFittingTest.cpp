#include "slideshow/PictureFitting.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <gtest/gtest.h>

namespace slideshow {

namespace {

    QImage solid(int w, int h, QColor colour)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    }

    // The bounding box of the non-black pixels.
    QRect paintedArea(const QImage &image)
    {
        QRect area;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) > 20)
                    area |= QRect(x, y, 1, 1);
        return area;
    }

}

TEST(FitPicture, FourFittingRules)
{
    struct Case {
        const char *name;
        QSize picture;
        QRect expected; // on an 800 x 600 target
    };
    const Case cases[] = {
        { "small picture centred", { 100, 50 }, { 350, 275, 100, 50 } },
        { "narrow but tall picture: top part, centred", { 600, 800 }, { 100, 0, 600, 600 } },
        { "wide picture fitted to the width", { 1000, 250 }, { 0, 200, 800, 200 } },
        { "wide and high picture fills the target", { 1000, 900 }, { 0, 0, 800, 600 } },
        { "tall picture twice", { 200, 400 }, { 0, 0, 800, 600 } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QImage fitted = fitPicture(solid(c.picture.width(), c.picture.height(), Qt::white), { 800, 600 });
        ASSERT_EQ(fitted.size(), QSize(800, 600));
        EXPECT_EQ(paintedArea(fitted), c.expected);
    }
}

TEST(FitPicture, TallPictureIsDrawnTwiceSideBySideFromItsTop)
{
    QImage picture(200, 400, QImage::Format_RGB32);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 200; ++x)
            picture.setPixel(x, y, qRgb(y < 300 ? 255 : 0, x < 100 ? 255 : 0, 100));
    const QImage fitted = fitPicture(picture, { 800, 600 });
    // Each half shows the top 300 rows (200 x 300 has the aspect of a 400 x 600 column).
    for (int y = 5; y < 600; y += 50)
        for (int x = 5; x < 400; x += 50) {
            EXPECT_EQ(fitted.pixel(x, y), fitted.pixel(x + 400, y)) << x << "," << y;
            EXPECT_EQ(qRed(fitted.pixel(x, y)), 255) << x << "," << y;
        }
    EXPECT_EQ(qGreen(fitted.pixel(100, 300)), 255);
    EXPECT_EQ(qGreen(fitted.pixel(300, 300)), 0);
}

TEST(ReadPicture, RefusesBrokenFilesAndHugePictures)
{
    QTemporaryDir dir;
    const QString good = dir.path() + QStringLiteral("/good.bmp");
    ASSERT_TRUE(solid(30, 20, Qt::red).save(good));
    const auto image = readPicture(good);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->size(), QSize(30, 20));

    const QString garbage = dir.path() + QStringLiteral("/garbage.jpg");
    QFile g(garbage);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write(QByteArray(40000, 'x'));
    g.close();
    EXPECT_FALSE(readPicture(garbage).has_value());
    EXPECT_FALSE(readPicture(dir.path() + QStringLiteral("/missing.jpg")).has_value());

    // A small file whose header claims 30000 x 30000 pixels.
    QFile source(good);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QByteArray bmp = source.readAll();
    const qint32 huge = 30000;
    std::memcpy(bmp.data() + 18, &huge, 4);
    std::memcpy(bmp.data() + 22, &huge, 4);
    const QString bomb = dir.path() + QStringLiteral("/bomb.bmp");
    QFile b(bomb);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly));
    b.write(bmp);
    b.close();
    EXPECT_FALSE(readPicture(bomb).has_value());
}

}
