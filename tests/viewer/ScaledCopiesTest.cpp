#include "viewer/thumbs/ScaledCopies.h"

#include "TestPictures.h"
#include "common/FileNames.h"
#include "viewer/ThumbnailPageBuilder.h"
#include "viewer/thumbs/PagePictures.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <fstream>
#include <gtest/gtest.h>

namespace viewer::thumbs {
namespace {

    QImage plain(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(90, 140, 40));
        return image;
    }

    TEST(PagePictures, EveryLayoutsDrawnWidthsAreReadBackFromItsPage)
    {
        QTemporaryDir dir;
        const QString wide = dir.filePath(QStringLiteral("wide & \"odd\" #1%.png"));
        const QString narrow = dir.filePath(QStringLiteral("narrow.png"));
        const QString kept = common::decodeFileName(dir.filePath(QStringLiteral("kept-")).toUtf8() + "\xff.png");
        ASSERT_TRUE(plain(3000, 200).save(wide, "PNG"));
        ASSERT_TRUE(plain(100, 50).save(narrow, "PNG"));
        {
            // A name that is not UTF-8, made with its very bytes.
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            ASSERT_TRUE(plain(2000, 20).save(&buffer, "PNG"));
            std::ofstream out(common::encodeFileName(kept).toStdString(), std::ios::binary);
            out.write(png.constData(), png.size());
            ASSERT_TRUE(out.good());
        }

        ThumbnailPageInput input;
        input.ViewerList = { wide, narrow, kept };
        input.ViewerCount = 3;
        input.webWidthTwips = 1040 * 15;
        const int W = pageContentWidth(input.webWidthTwips);
        struct Case {
            int layout;
            QHash<QString, int> widths;
        };
        const Case cases[] = {
            // Natural size: only pictures wider than the page are given a width.
            { 0, { { wide, W }, { narrow, 0 }, { kept, W } } },
            { 1, { { wide, thumbnailWidth(1, W) }, { narrow, thumbnailWidth(1, W) }, { kept, thumbnailWidth(1, W) } } },
            { 3, { { wide, thumbnailWidth(3, W) }, { narrow, thumbnailWidth(3, W) }, { kept, thumbnailWidth(3, W) } } },
            { 4, { { wide, W }, { narrow, W }, { kept, W } } },
        };
        for (const Case &c : cases) {
            input.LayoutMode = c.layout;
            const auto got = drawnWidths(BuildThumbnailPage(input).html);
            EXPECT_EQ(got, c.widths) << "layout " << c.layout;
        }
        EXPECT_EQ(drawnWidths(BuildFitWidthPage(input, 0).html),
            (QHash<QString, int> { { wide, 0 }, { narrow, 0 }, { kept, 0 } }));
        EXPECT_EQ(drawnWidths(BuildFitWidthPage(input, 1).html).value(narrow), W);
        EXPECT_EQ(drawnWidths(QStringLiteral("<img src=\"/a.png\" width=10><img src=\"/a.png\" width=30>"
                                             "<img src=\"rel.png\" width=9><img src=\"/n.png\">")),
            (QHash<QString, int> { { QStringLiteral("/a.png"), 30 }, { QStringLiteral("/n.png"), 0 } }));
    }

    TEST(ScaledCopies, EachPictureIsServedAsTheSmallestCopyThatCoversItOrAsItIs)
    {
        QTemporaryDir dir;
        const ThumbnailCache cache(dir.filePath(QStringLiteral("cache")));
        const QString camera = dir.filePath(QStringLiteral("camera.jpg"));
        ASSERT_TRUE(plain(3000, 2000).save(camera, "JPEG"));
        const QString small = dir.filePath(QStringLiteral("small.png"));
        ASSERT_TRUE(plain(200, 100).save(small, "PNG"));
        const QString broken = dir.filePath(QStringLiteral("broken.jpg"));
        ASSERT_TRUE(pictures::writeFile(broken, pictures::jpeg(pictures::jpegApp0())));
        // A real PNG header stating 12000 x 12000 pixels (144 MP) and nothing more.
        const QString forged = dir.filePath(QStringLiteral("forged.png"));
        {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            ASSERT_TRUE(plain(8, 8).save(&buffer, "PNG"));
            png.truncate(33); // signature and header chunk
            // Width and height, then the header's checksum made again.
            for (int at : { 16, 20 }) {
                png[at] = 0;
                png[at + 1] = 0;
                png[at + 2] = char(12000 >> 8);
                png[at + 3] = char(12000 & 255);
            }
            quint32 crc = 0xFFFFFFFF;
            for (qsizetype i = 12; i < 29; ++i) {
                crc ^= static_cast<unsigned char>(png[i]);
                for (int bit = 0; bit < 8; ++bit)
                    crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
            }
            crc = ~crc;
            png[29] = char(crc >> 24);
            png[30] = char(crc >> 16);
            png[31] = char(crc >> 8);
            png[32] = char(crc);
            png += pictures::be32(0) + QByteArray("IDAT") + pictures::be32(0x35AF061E);
            ASSERT_TRUE(pictures::writeFile(forged, png));
        }
        const QString text = dir.filePath(QStringLiteral("text.jpg"));
        ASSERT_TRUE(pictures::writeFile(text, "text"));

        using Kind = ServedPicture::Kind;
        struct Case {
            QString path;
            int width;
            Kind kind;
            QSize served;
            bool fromCache;
        };
        const Case cases[] = {
            { camera, 250, Kind::ScaledCopy, { 256, 171 }, false },
            { camera, 250, Kind::ScaledCopy, { 256, 171 }, true }, // the second time from the cache
            { camera, 400, Kind::ScaledCopy, { 512, 341 }, false },
            { camera, 100, Kind::ScaledCopy, { 128, 85 }, true }, // scaled from the larger entries
            { camera, 1040, Kind::Original, { 3000, 2000 }, false },
            { small, 150, Kind::Original, { 200, 100 }, false }, // no larger than its copy would be
            { camera, 0, Kind::Original, { 3000, 2000 }, false }, // drawn at its natural size
            { forged, 0, Kind::Refused, {}, false }, // states more than the decoding bound
            { text, 150, Kind::Refused, {}, false },
            { dir.filePath(QStringLiteral("missing.jpg")), 150, Kind::Refused, {}, false },
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << c.path.toStdString() << " at " << c.width);
            const ServedPicture served = servePicture(cache, c.path, c.width);
            EXPECT_EQ(served.kind, c.kind);
            EXPECT_EQ(served.fromCache, c.fromCache);
            const QImage image = QImage::fromData(served.bytes);
            EXPECT_EQ(image.isNull() ? QSize() : image.size(), c.served);
            if (c.kind == Kind::ScaledCopy) {
                EXPECT_EQ(served.mimeType, "image/png");
            }
        }
    }

    TEST(ScaledCopies, CompactCopiesAreJpegsWhenOpaqueAndShowTheSame)
    {
        QTemporaryDir dir;
        const ThumbnailCache cache(dir.filePath(QStringLiteral("cache")));
        const QString camera = dir.filePath(QStringLiteral("camera.jpg"));
        ASSERT_TRUE(plain(3000, 2000).save(camera, "JPEG"));
        QImage clear(2000, 1000, QImage::Format_ARGB32);
        clear.fill(QColor(10, 200, 90, 100));
        const QString seeThrough = dir.filePath(QStringLiteral("clear.png"));
        ASSERT_TRUE(clear.save(seeThrough, "PNG"));
        struct Case {
            QString path;
            int width;
            QByteArray mime;
            QSize size;
            bool fromCache;
        };
        const Case cases[] = {
            { camera, 250, "image/jpeg", { 256, 171 }, false }, // made
            { camera, 250, "image/jpeg", { 256, 171 }, true }, // from the cache's PNG
            { seeThrough, 250, "image/png", { 256, 128 }, false }, // transparency stays
            { seeThrough, 250, "image/png", { 256, 128 }, true },
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << c.path.toStdString() << (c.fromCache ? " cached" : " made"));
            const ServedPicture served = servePicture(cache, c.path, c.width, Encoding::Compact);
            ASSERT_EQ(served.kind, ServedPicture::Kind::ScaledCopy);
            EXPECT_EQ(served.mimeType, c.mime);
            EXPECT_EQ(served.fromCache, c.fromCache);
            const QImage image = QImage::fromData(served.bytes);
            ASSERT_EQ(image.size(), c.size);
            const QColor centre = image.pixelColor(c.size.width() / 2, c.size.height() / 2);
            const QColor wanted = c.path == camera ? QColor(90, 140, 40) : QColor(10, 200, 90, 100);
            EXPECT_NEAR(centre.red(), wanted.red(), 4);
            EXPECT_NEAR(centre.green(), wanted.green(), 4);
            EXPECT_NEAR(centre.blue(), wanted.blue(), 4);
            EXPECT_EQ(centre.alpha(), wanted.alpha());
            // The cache holds its PNG entry whatever was served.
            const auto source = describeSource(c.path);
            ASSERT_TRUE(source);
            EXPECT_TRUE(cache.lookup(*source, ThumbSize::Large));
        }
    }

}
}
