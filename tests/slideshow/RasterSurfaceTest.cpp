#include "slideshow/RasterSurface.h"

#include <gtest/gtest.h>

namespace slideshow {

TEST(RasterSurface, RowsArePaddedToFourBytes)
{
    struct Case {
        int width;
        int stride;
    };
    for (const Case c :
        { Case { 1, 4 }, Case { 2, 8 }, Case { 3, 12 }, Case { 4, 12 }, Case { 5, 16 }, Case { 1920, 5760 } }) {
        const RasterSurface s(c.width, 3);
        EXPECT_EQ(s.stride(), c.stride) << c.width;
        EXPECT_EQ(s.byteCount(), static_cast<std::size_t>(c.stride) * 3);
    }
    EXPECT_TRUE(RasterSurface(-4, 3).isEmpty());
}

TEST(RasterSurface, PixelsAreStoredBlueGreenRed)
{
    RasterSurface s(2, 2);
    s.setPixel(1, 1, { 1, 2, 3 });
    const std::uint8_t *p = s.row(1) + 3;
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[1], 2);
    EXPECT_EQ(p[2], 3);
    const QImage image = s.toImage();
    EXPECT_EQ(image.pixel(1, 1), qRgb(3, 2, 1));
    EXPECT_EQ(RasterSurface::fromImage(image), s);
}

TEST(RasterSurface, BlockCopyRasterOperations)
{
    struct Case {
        RasterOp op;
        std::uint8_t expected;
    };
    const std::uint8_t destination = 0b1100'1010;
    const std::uint8_t source = 0b1010'0110;
    for (const Case c : { Case { RasterOp::SourceCopy, source },
             Case { RasterOp::NotSourceCopy, static_cast<std::uint8_t>(~source) },
             Case { RasterOp::SourceAnd, static_cast<std::uint8_t>(destination & source) },
             Case { RasterOp::SourcePaint, static_cast<std::uint8_t>(destination | source) } }) {
        RasterSurface d(3, 3);
        d.fill({ destination, destination, destination });
        RasterSurface s(3, 3);
        s.fill({ source, source, source });
        d.blockCopy(1, 1, 5, 5, s, 0, 0, c.op);
        EXPECT_EQ(d.pixel(2, 2).green, c.expected);
        EXPECT_EQ(d.pixel(0, 0).green, destination);
    }
}

TEST(RasterSurface, BlockCopyClipsBothSurfaces)
{
    RasterSurface source(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            source.setPixel(x, y, { static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 9 });
    RasterSurface d(4, 4);
    d.blockCopy(-1, 0, 4, 4, source, 0, 2); // source rows 2..3 only, shifted left
    EXPECT_EQ(d.pixel(0, 0), (Bgr { 1, 2, 9 }));
    EXPECT_EQ(d.pixel(2, 1), (Bgr { 3, 3, 9 }));
    EXPECT_EQ(d.pixel(0, 2), Bgr::black());
    EXPECT_EQ(d.pixel(3, 0), Bgr::black());
    d.blockCopy(0, 0, -3, 2, source, 0, 0);
    d.blockCopy(0, 0, 2, 2, source, 10, 10);
    EXPECT_EQ(d.pixel(0, 0), (Bgr { 1, 2, 9 }));
}

TEST(RasterSurface, OverlappingCopyOnItself)
{
    RasterSurface s(1, 5);
    for (int y = 0; y < 5; ++y)
        s.setPixel(0, y, { static_cast<std::uint8_t>(y), 0, 0 });
    s.blockCopy(0, 1, 1, 4, s, 0, 0);
    for (int y = 1; y < 5; ++y)
        EXPECT_EQ(s.pixel(0, y).blue, y - 1);
}

TEST(RasterSurface, LinesLeaveOutTheirEndPoint)
{
    RasterSurface s(6, 6);
    s.drawLine(0, 0, 4, 0, Bgr::white());
    EXPECT_EQ(s.pixel(3, 0), Bgr::white());
    EXPECT_EQ(s.pixel(4, 0), Bgr::black());
    s.drawLine(5, 5, 1, 1, Bgr::white());
    EXPECT_EQ(s.pixel(5, 5), Bgr::white());
    EXPECT_EQ(s.pixel(2, 2), Bgr::white());
    EXPECT_EQ(s.pixel(1, 1), Bgr::black());
    s.drawLine(-3, 3, 9, 3, Bgr::white()); // clipped at both ends
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(s.pixel(x, 3), Bgr::white());
    RasterSurface dot(2, 2);
    dot.drawLine(1, 1, 1, 1, Bgr::white());
    EXPECT_EQ(dot, RasterSurface(2, 2));
}

TEST(RasterSurface, EllipseHasOutlineAndFillInsideItsBox)
{
    RasterSurface s(12, 12);
    const Bgr outline { 0, 0, 255 };
    const Bgr fill { 0, 255, 0 };
    s.fillEllipse(1, 2, 11, 10, outline, fill);
    EXPECT_EQ(s.pixel(6, 6), fill);
    EXPECT_EQ(s.pixel(1, 6), outline);
    EXPECT_EQ(s.pixel(10, 6), outline);
    EXPECT_EQ(s.pixel(11, 6), Bgr::black()); // right edge excluded
    EXPECT_EQ(s.pixel(6, 2), outline);
    EXPECT_EQ(s.pixel(6, 10), Bgr::black()); // bottom edge excluded
    EXPECT_EQ(s.pixel(1, 2), Bgr::black()); // corner outside the ellipse
    RasterSurface swapped(12, 12);
    swapped.fillEllipse(11, 10, 1, 2, outline, fill);
    EXPECT_EQ(swapped, s);
}

TEST(RasterSurface, StretchAveragesWhenShrinking)
{
    RasterSurface source(4, 2);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y)
            source.setPixel(x, y, { static_cast<std::uint8_t>(x % 2 ? 200 : 100), 7, 7 });
    RasterSurface d(3, 2);
    d.stretchCopy(QRect(1, 0, 2, 2), source, source.rect());
    EXPECT_EQ(d.pixel(0, 0), Bgr::black());
    EXPECT_EQ(d.pixel(1, 0), (Bgr { 150, 7, 7 }));
    EXPECT_EQ(d.pixel(2, 1), (Bgr { 150, 7, 7 }));
}

TEST(RasterSurface, StretchEnlargesSmoothlyAndKeepsUniformColours)
{
    RasterSurface source(2, 1);
    source.setPixel(0, 0, { 0, 50, 50 });
    source.setPixel(1, 0, { 200, 50, 50 });
    RasterSurface d(8, 3);
    d.stretchCopy(d.rect(), source, source.rect());
    for (int x = 1; x < 8; ++x)
        EXPECT_GE(d.pixel(x, 1).blue, d.pixel(x - 1, 1).blue);
    EXPECT_LT(d.pixel(0, 0).blue, 50);
    EXPECT_GT(d.pixel(7, 2).blue, 150);
    EXPECT_EQ(d.pixel(4, 0).green, 50);
    // Clipped targets only touch the surface.
    RasterSurface small(3, 3);
    small.stretchCopy(QRect(-10, -10, 40, 40), source, source.rect());
    EXPECT_EQ(small.pixel(2, 2).green, 50);
}

}
