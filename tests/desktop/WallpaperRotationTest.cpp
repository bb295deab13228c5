#include "desktop/WallpaperRotation.h"

#include "slideshow/PictureFitting.h"
#include "tests/PictureDifference.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <cmath>
#include <gtest/gtest.h>
#include <optional>

using velmora::test::meanDifference;

namespace desktop {

namespace {

    // A rotation over lists the test hands out, one per search, counting the searches.
    struct FakeFolders {
        QMap<QString, QList<QStringList>> answers; // folder -> the lists of the next searches
        int searches = 0;
        WallpaperRotation::Search search()
        {
            return [this](const QString &folder) {
                ++searches;
                QList<QStringList> &queue = answers[folder];
                if (queue.size() > 1)
                    return queue.takeFirst();
                return queue.isEmpty() ? QStringList() : queue.constFirst();
            };
        }
    };

    QStringList pictures(int count)
    {
        QStringList list;
        for (int i = 0; i < count; ++i)
            list.append(QStringLiteral("/p/%1.jpg").arg(i));
        return list;
    }

}

TEST(WallpaperIndexRules, NextBackAndStored)
{
    struct Case {
        int index;
        int count;
        int next;
    };
    const Case nextCases[] = {
        { -1, 3, 0 },
        { 0, 3, 1 },
        { 1, 3, 2 },
        { 2, 3, 0 }, // the wrap after the last picture
        { 5, 10, 6 }, // a stored "FileIndex" of 5 shows picture 6
        { 9, 3, 0 }, // an index past a list that shrank
        { 0, 0, -1 },
        { 6000, 6001, 0 },
    };
    for (const Case &c : nextCases)
        EXPECT_EQ(nextWallpaperIndex(c.index, c.count), c.next) << c.index << " of " << c.count;

    // "上一幅图片" then the change that adds one: from 3 picture 2, from 1 and from 0 picture 1.
    const std::pair<int, int> backCases[] = { { 3, 2 }, { 2, 1 }, { 1, 1 }, { 0, 1 }, { -1, 1 } };
    for (const auto &[from, shown] : backCases)
        EXPECT_EQ(nextWallpaperIndex(goBackIndex(from), 10), shown) << from;

    const std::pair<const char *, int> stored[] = {
        { "", -1 },
        { "5", 5 },
        { " 7 ", 7 },
        { "-1", -1 },
        { "-2", -1 },
        { "x", -1 },
        { "40000", -1 },
        { "32767", 32767 },
    };
    for (const auto &[text, index] : stored)
        EXPECT_EQ(parseWallpaperIndex(QString::fromLatin1(text)), index) << text;
}

TEST(WallpaperRotation, RetriesOnceWithARebuiltList)
{
    FakeFolders folders;
    folders.answers[QStringLiteral("/d/")] = { pictures(3), pictures(2) };
    WallpaperRotation rotation(folders.search());
    rotation.useFolder(QStringLiteral("/d/"));
    rotation.setIndex(1);
    EXPECT_EQ(rotation.beginChange(), QStringLiteral("/p/2.jpg"));
    // The picture failed: the list is rebuilt (now two pictures) and the next one tried.
    EXPECT_EQ(rotation.changeFailed(), QStringLiteral("/p/0.jpg"));
    EXPECT_EQ(rotation.pictures().size(), 2);
    // A second failure in the same change gives up: an unreadable folder cannot loop.
    EXPECT_EQ(rotation.changeFailed(), QString());
    EXPECT_EQ(folders.searches, 3);
    // The next change may retry again.
    EXPECT_FALSE(rotation.beginChange().isEmpty());
    EXPECT_FALSE(rotation.changeFailed().isEmpty());
}

TEST(WallpaperRotation, EmptyListsChangeNothing)
{
    FakeFolders folders;
    WallpaperRotation rotation(folders.search());
    rotation.useFolder(QStringLiteral("/empty/"));
    EXPECT_EQ(rotation.beginChange(), QString());
    EXPECT_EQ(rotation.index(), -1);
    EXPECT_EQ(rotation.changeFailed(), QString());
}

TEST(WallpaperRotation, AFolderWithoutPicturesKeepsTheOldList)
{
    FakeFolders folders;
    folders.answers[QStringLiteral("/d/")] = { pictures(4) };
    WallpaperRotation rotation(folders.search());
    rotation.useFolder(QStringLiteral("/d/"));
    EXPECT_FALSE(rotation.switchFolder(QStringLiteral("/none/")));
    EXPECT_EQ(rotation.folder(), QStringLiteral("/d/"));
    EXPECT_EQ(rotation.pictures(), pictures(4));
    folders.answers[QStringLiteral("/two/")] = { pictures(2) };
    EXPECT_TRUE(rotation.switchFolder(QStringLiteral("/two/")));
    EXPECT_EQ(rotation.folder(), QStringLiteral("/two/"));
    EXPECT_EQ(rotation.pictures().size(), 2);
}

TEST(WallpaperFiles, NamesAndRestoreRule)
{
    const std::tuple<const char *, bool> sessions[] = {
        { "GNOME", true },
        { "ubuntu:GNOME", true },
        { "KDE", true },
        { "XFCE", true },
        { "X-Cinnamon", true },
        { "MATE", true },
        { "sway", false },
        { "", false },
        { "i3", false },
    };
    for (const auto &[session, cached] : sessions) {
        const QString name = QString::fromLatin1(session);
        EXPECT_EQ(desktopCachesByName(name), cached) << session;
        EXPECT_EQ(wallpaperFileName(name, 0), QStringLiteral("Desktop.bmp"));
        EXPECT_EQ(wallpaperFileName(name, 1), cached ? QStringLiteral("Desktop-2.bmp") : QStringLiteral("Desktop.bmp"));
        EXPECT_EQ(wallpaperFileName(name, 2), QStringLiteral("Desktop.bmp"));
    }
    EXPECT_TRUE(isComposedWallpaper(QStringLiteral("/data/Velmora/Desktop-2.bmp"), QStringLiteral("/data/Velmora/")));
    EXPECT_FALSE(isComposedWallpaper(QStringLiteral("/home/u/Desktop.bmp"), QStringLiteral("/data/Velmora/")));

    QTemporaryDir dir;
    const std::pair<qint64, bool> sizes[] = { { 0, false }, { 20000, false }, { 20001, true } };
    for (const auto &[size, restore] : sizes) {
        const QString path = dir.filePath(QStringLiteral("old%1.jpg").arg(size));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
        EXPECT_EQ(mayRestoreWallpaper(path), restore) << size;
    }
    EXPECT_FALSE(mayRestoreWallpaper(dir.filePath(QStringLiteral("missing.jpg"))));
    EXPECT_FALSE(mayRestoreWallpaper(dir.path()));
}

TEST(ComposeWallpaper, TallPictureTwiceSideBySideAndPreviewFittedToHeight)
{
    QTemporaryDir dir;
    // 100 x 200: above 1.5 times as high as wide. Left half red, right half blue.
    QImage tall(100, 200, QImage::Format_RGB32);
    tall.fill(Qt::red);
    for (int y = 0; y < 200; ++y)
        for (int x = 50; x < 100; ++x)
            tall.setPixel(x, y, qRgb(0, 0, 255));
    const QString source = dir.filePath(QStringLiteral("tall.bmp"));
    ASSERT_TRUE(tall.save(source));
    const QString bmp = dir.filePath(QStringLiteral("Desktop.bmp"));

    const ComposedWallpaper result = composeWallpaper(source, QSize(400, 200), QSize(60, 40), bmp);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.writtenPath, bmp);
    QImageReader reader(bmp);
    EXPECT_EQ(reader.format(), QByteArray("bmp"));
    const QImage written = reader.read();
    ASSERT_EQ(written.size(), QSize(400, 200));
    // Each copy covers half the canvas: red, blue, red, blue across it.
    const std::pair<int, QRgb> across[] = {
        { 40, qRgb(255, 0, 0) },
        { 160, qRgb(0, 0, 255) },
        { 240, qRgb(255, 0, 0) },
        { 360, qRgb(0, 0, 255) },
    };
    for (const auto &[x, colour] : across)
        EXPECT_EQ(written.pixel(x, 100) & 0xffffff, colour & 0xffffff) << x;

    // The preview: 20 x 40 in the middle of the 60 x 40 box, black beside it.
    ASSERT_EQ(result.preview.size(), QSize(60, 40));
    EXPECT_EQ(result.preview.pixel(5, 20) & 0xffffff, 0u);
    EXPECT_EQ(result.preview.pixel(22, 20) & 0xffffff, qRgb(255, 0, 0) & 0xffffff);
    EXPECT_EQ(result.preview.pixel(37, 20) & 0xffffff, qRgb(0, 0, 255) & 0xffffff);
    EXPECT_EQ(result.preview.pixel(55, 20) & 0xffffff, 0u);
}

TEST(ComposeWallpaper, PicturesLargerThanTheScreenShowAsWhenDecodedWhole)
{
    QTemporaryDir dir;
    // Soft shades under a coarse checker, so that a shift or stretch shows.
    const auto photo = [](int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, ((x / 300 + y / 300) % 2) ? 200 : 60));
        return image;
    };
    struct Case {
        QSize picture;
        QSize screen;
        const char *format = "JPEG";
        bool grey = false;
    };
    const Case cases[] = {
        { { 3000, 2000 }, { 800, 600 } }, // fitted to the width
        { { 1200, 3000 }, { 800, 600 } }, // tall: twice side by side
        { { 4000, 1000 }, { 640, 480 } }, // wide and low
        { { 700, 500 }, { 800, 600 } }, // smaller than the screen: decoded whole anyway
        { { 1200, 3000 }, { 801, 601 } }, // tall on an odd width: the halves differ by a column
        { { 1000, 2400 }, { 600, 1000 } }, // tall on a portrait screen: the whole height, cut short
        { { 4000, 1000 }, { 641, 481 } }, // bands at fractions of a pixel
        { { 1200, 1000 }, { 800, 600 } }, // higher than the screen: its top part fills it
        { { 3000, 2000 }, { 800, 600 }, "JPEG", true }, // grey pictures decode to one channel
        { { 3000, 2000 }, { 800, 600 }, "PNG" }, // a codec that decodes whole pictures only
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << "x" << c.picture.height() << " on " << c.screen.width()
                                        << "x" << c.screen.height() << " " << c.format << (c.grey ? " grey" : ""));
        const QString path = dir.filePath(QStringLiteral("photo-%1x%2-%3.%4")
                                              .arg(c.picture.width())
                                              .arg(c.picture.height())
                                              .arg(int(c.grey))
                                              .arg(QString::fromLatin1(c.format).toLower()));
        const QImage picture = photo(c.picture.width(), c.picture.height());
        ASSERT_TRUE((c.grey ? picture.convertToFormat(QImage::Format_Grayscale8) : picture).save(path, c.format, 92));
        const ComposedWallpaper result = composeWallpaper(path, c.screen, QSize(60, 40), QString());
        ASSERT_TRUE(result.ok);
        const std::optional<QImage> decoded = slideshow::readPicture(path);
        ASSERT_TRUE(decoded);
        const QImage whole = slideshow::fitPicture(*decoded, c.screen);
        ASSERT_EQ(result.canvas.size(), whole.size());
        EXPECT_LT(meanDifference(result.canvas, whole), 3.0);
        // The preview shows the whole picture, decoded again reduced on the way.
        const QImage preview = previewPicture(*decoded, QSize(60, 40));
        ASSERT_EQ(result.preview.size(), preview.size());
        EXPECT_LT(meanDifference(result.preview, preview), 6.0);
    }
}

TEST(ComposeWallpaper, FailuresWriteNothing)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("broken.jpg"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(40000, 'x')) == 40000);
    file.close();
    const QString bmp = dir.filePath(QStringLiteral("Desktop.bmp"));
    EXPECT_FALSE(composeWallpaper(broken, QSize(64, 48), QSize(8, 8), bmp).ok);
    EXPECT_FALSE(QFile::exists(bmp));

    // A picture that reads but a bitmap that cannot be written (its folder is a file).
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::green);
    const QString good = dir.filePath(QStringLiteral("good.bmp"));
    ASSERT_TRUE(picture.save(good));
    EXPECT_FALSE(composeWallpaper(good, QSize(64, 48), QSize(8, 8), broken + QStringLiteral("/Desktop.bmp")).ok);
    // Without a path (changing is stopped) nothing is written and the change still shows.
    const ComposedWallpaper preview = composeWallpaper(good, QSize(64, 48), QSize(8, 8), QString());
    EXPECT_TRUE(preview.ok);
    EXPECT_TRUE(preview.writtenPath.isEmpty());
}

TEST(EncodeBmp24, RowsArePaddedBottomUpAndReadBack)
{
    // Widths 1, 2, 3 and 5 need 1, 2, 3 and 1 bytes of padding per row.
    for (const int width : { 1, 2, 3, 4, 5 }) {
        QImage picture(width, 3, QImage::Format_RGB32);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x)
                picture.setPixel(x, y, qRgb(10 * x, 100 + y, 200));
        const QByteArray bytes = encodeBmp24(picture);
        const int rowBytes = (width * 3 + 3) / 4 * 4;
        EXPECT_EQ(bytes.size(), 54 + rowBytes * 3) << width;
        EXPECT_EQ(bytes.left(2), QByteArray("BM"));
        EXPECT_EQ(uchar(bytes.at(28)), 24);
        // The first row stored is the bottom one, blue first.
        EXPECT_EQ(uchar(bytes.at(54)), 200);
        EXPECT_EQ(uchar(bytes.at(55)), 102);
        const QImage read = QImage::fromData(bytes, "BMP");
        ASSERT_EQ(read.size(), picture.size()) << width;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x)
                EXPECT_EQ(read.pixel(x, y) & 0xffffff, picture.pixel(x, y) & 0xffffff) << width << ' ' << x << ',' << y;
    }
}

TEST(EncodeBmp24, AnyNumberOfBandsGivesTheSameBytes)
{
    // Odd sizes, fewer rows than bands, and widths that leave a partial group of four pixels.
    const QSize sizes[] = { { 1, 1 }, { 3, 2 }, { 5, 7 }, { 7, 3 }, { 33, 5 }, { 4, 9 }, { 1366, 13 } };
    for (const QSize size : sizes) {
        QImage picture(size, QImage::Format_ARGB32);
        quint32 seed = 7;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                picture.setPixel(x, y, seed);
            }
        const QByteArray single = encodeBmp24(picture, 1);
        for (const int bands : { 2, 3, 4, 16 })
            EXPECT_EQ(encodeBmp24(picture, bands), single) << size.width() << "x" << size.height() << " " << bands;
        EXPECT_EQ(encodeBmp24(picture), single);
        // The padding at the end of each row is zero.
        const int rowBytes = (size.width() * 3 + 3) / 4 * 4;
        for (int row = 0; row < size.height(); ++row)
            for (int at = size.width() * 3; at < rowBytes; ++at)
                EXPECT_EQ(single.at(54 + row * rowBytes + at), '\0') << row << " " << at;
        const QImage read = QImage::fromData(single, "BMP");
        ASSERT_EQ(read.size(), size);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                ASSERT_EQ(read.pixel(x, y) & 0xffffff, picture.pixel(x, y) & 0xffffff) << x << "," << y;
    }
}

}
