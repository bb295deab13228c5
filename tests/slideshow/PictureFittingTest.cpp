#include "slideshow/PictureFitting.h"

#include "tests/PictureDifference.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

using velmora::test::meanDifference;

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
    EXPECT_FALSE(inspectPicture(bomb).has_value());
    EXPECT_FALSE(readPicturePart(bomb, QRect(0, 0, 100, 100), QSize(10, 10)).has_value());
}

}

namespace slideshow {
namespace {

    QImage gradient(int w, int h)
    {
        QImage image(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.setPixel(x, y, qRgb(40 + x * 200 / w, 40 + y * 200 / h, (x / 64 + y / 64) % 2 ? 200 : 60));
        return image;
    }

}

TEST(ReadPicture, ALargerPictureIsDecodedScaledAndDrawsTheSame)
{
    QTemporaryDir dir;
    struct Case {
        QSize picture;
        const char *format;
        QSize target;
        QSize decoded;
    };
    const Case cases[] = {
        { { 3000, 2000 }, "jpg", { 800, 600 }, { 800, 534 } }, // fitted to the width, bands above and below
        { { 3000, 1000 }, "png", { 800, 600 }, { 800, 267 } },
        { { 1200, 1000 }, "jpg", { 800, 600 }, { 800, 667 } }, // taller than the target: its top part
        { { 1000, 2400 }, "jpg", { 800, 600 }, { 400, 960 } }, // tall: twice side by side
        { { 600, 400 }, "jpg", { 800, 600 }, { 600, 400 } }, // at natural size: read whole
        { { 700, 400 }, "png", { 800, 600 }, { 700, 400 } }, // fitted but no larger than drawn
        { { 500, 1400 }, "png", { 800, 600 }, { 400, 1120 } },
        { { 350, 1400 }, "png", { 800, 600 }, { 350, 1400 } }, // tall but no wider than half
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << "x" << c.picture.height() << "." << c.format);
        EXPECT_EQ(decodeSizeFor(c.picture, c.target), c.decoded);
        const QString path = dir.filePath(QStringLiteral("p.%1").arg(QLatin1String(c.format)));
        ASSERT_TRUE(gradient(c.picture.width(), c.picture.height()).save(path, nullptr, 95));
        const auto whole = readPicture(path);
        const auto scaled = readPicture(path, c.target);
        ASSERT_TRUE(whole && scaled);
        EXPECT_EQ(scaled->size(), c.decoded);
        EXPECT_EQ(naturalSizeOf(*scaled), c.picture);
        const QImage expected = fitPicture(*whole, c.target);
        const QImage drawn = fitPicture(*scaled, c.target);
        EXPECT_EQ(paintedArea(drawn), paintedArea(expected));
        EXPECT_LT(meanDifference(drawn, expected), 3.0);
        // Drawn on a larger target later (the window grew), it keeps the same layout.
        EXPECT_EQ(paintedArea(fitPicture(*scaled, c.target * 2)), paintedArea(fitPicture(*whole, c.target * 2)));
    }
}

TEST(FittingLayout, PartsOfTheFourRules)
{
    struct Case {
        const char *name;
        QSize picture;
        QSize target;
        QList<FittedPart> parts;
    };
    const Case cases[] = {
        { "small picture centred", { 100, 50 }, { 800, 600 }, { { { 350, 275, 100, 50 }, { 0, 0, 100, 50 } } } },
        { "narrow and tall: top part", { 600, 800 }, { 800, 600 }, { { { 100, 0, 600, 600 }, { 0, 0, 600, 600 } } } },
        { "fitted to the width", { 1000, 250 }, { 800, 600 }, { { { 0, 200, 800, 200 }, { 0, 0, 1000, 250 } } } },
        { "fills from the top", { 1000, 900 }, { 800, 600 }, { { { 0, 0, 800, 600 }, { 0, 0, 1000, 750 } } } },
        { "tall twice",
            { 200, 400 },
            { 800, 600 },
            { { { 0, 0, 400, 600 }, { 0, 0, 200, 300 } }, { { 400, 0, 400, 600 }, { 0, 0, 200, 300 } } } },
        // The top part asked for is twice as high as the picture: it is cut, and so is its target.
        { "tall on a high target, cut",
            { 100, 200 },
            { 200, 400 },
            { { { 0, 0, 100, 200 }, { 0, 0, 100, 200 } }, { { 100, 0, 100, 200 }, { 0, 0, 100, 200 } } } },
        { "nothing on an empty target", { 100, 200 }, { 0, 400 }, {} },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QList<FittedPart> parts = fittingLayout(c.picture, c.target);
        ASSERT_EQ(parts.size(), c.parts.size());
        for (qsizetype i = 0; i < parts.size(); ++i) {
            EXPECT_EQ(parts[i].target, c.parts[i].target) << i;
            EXPECT_EQ(parts[i].source, c.parts[i].source) << i;
        }
    }
}

TEST(ReadPicturePart, APartScaledMatchesThatPartOfTheWholePicture)
{
    QTemporaryDir dir;
    struct Case {
        const char *format;
        QRect part;
        QSize size;
    };
    const Case cases[] = {
        { "jpg", { 0, 0, 1600, 900 }, { 800, 450 } }, // the top part, halved
        { "jpg", { 0, 0, 1600, 1200 }, { 200, 150 } }, // the whole picture, an eighth
        { "jpg", { 0, 0, 1600, 700 }, { 1600, 700 } }, // the top part at its own size
        { "jpg", { 0, 0, 1600, 1201 }, { 200, 150 } }, // a part reaching past the picture is cut
        { "png", { 0, 0, 1600, 900 }, { 800, 450 } }, // decoded whole, then cut and scaled
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.format << " " << c.part.height() << " -> " << c.size.width());
        const QString path = dir.filePath(QStringLiteral("p.%1").arg(QLatin1String(c.format)));
        ASSERT_TRUE(gradient(1600, 1200).save(path, nullptr, 95));
        const std::optional<PictureFile> file = inspectPicture(path);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->natural, QSize(1600, 1200));
        EXPECT_EQ(file->decodesPartsScaled, QLatin1String(c.format) == QLatin1String("jpg"));
        const std::optional<QImage> part = readPicturePart(path, c.part, c.size);
        ASSERT_TRUE(part);
        ASSERT_EQ(part->size(), c.size);
        const QImage expected = readPicture(path)
                                    ->copy(c.part & QRect(0, 0, 1600, 1200))
                                    .scaled(c.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LT(meanDifference(part->convertToFormat(QImage::Format_RGB32), expected), 3.0);
    }

    // The bounds of every decode: nothing past the picture, no file, no empty size.
    const QString path = dir.filePath(QStringLiteral("p.jpg"));
    EXPECT_FALSE(readPicturePart(path, QRect(2000, 0, 10, 10), QSize(10, 10)));
    EXPECT_FALSE(readPicturePart(path, QRect(0, 0, 10, 10), QSize()));
    EXPECT_FALSE(readPicturePart(dir.filePath(QStringLiteral("missing.jpg")), QRect(0, 0, 10, 10), QSize(10, 10)));
    EXPECT_FALSE(inspectPicture(dir.filePath(QStringLiteral("missing.jpg"))));
}

}
