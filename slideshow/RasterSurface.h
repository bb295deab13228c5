#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

namespace slideshow {

// One pixel of a surface, stored on the surface as the bytes blue, green, red.
struct Bgr {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;

    static constexpr Bgr black() { return {}; }
    static constexpr Bgr white() { return { 255, 255, 255 }; }
    bool operator==(const Bgr &) const = default;
};

// How a block copy combines the source with the destination.
enum class RasterOp {
    SourceCopy, // destination = source
    NotSourceCopy, // destination = NOT source
    SourceAnd, // destination = destination AND source
    SourcePaint, // destination = destination OR source
};

// A 24-bit raster surface: rows of blue, green, red bytes, each row padded to a multiple of
// 4 bytes, the first row at the top. Every drawing call clips to the surfaces involved, so
// rectangles and points may lie partly or wholly outside them; the parts outside are left
// unchanged, and an empty or negative extent draws nothing.
class RasterSurface {
public:
    RasterSurface() = default;
    // A black surface; negative sizes give an empty one.
    RasterSurface(int width, int height);

    static RasterSurface fromImage(const QImage &image);
    QImage toImage() const;

    int width() const { return m_width; }
    int height() const { return m_height; }
    QSize size() const { return { m_width, m_height }; }
    QRect rect() const { return { 0, 0, m_width, m_height }; }
    bool isEmpty() const { return m_width == 0 || m_height == 0; }
    // Bytes per row, a multiple of 4.
    int stride() const { return m_stride; }

    std::uint8_t *row(int y) { return m_bits.data() + static_cast<std::size_t>(y) * m_stride; }
    const std::uint8_t *row(int y) const { return m_bits.data() + static_cast<std::size_t>(y) * m_stride; }
    std::uint8_t *bits() { return m_bits.data(); }
    const std::uint8_t *bits() const { return m_bits.data(); }
    std::size_t byteCount() const { return m_bits.size(); }

    Bgr pixel(int x, int y) const;
    void setPixel(int x, int y, Bgr colour);
    void fill(Bgr colour);

    // Copies the source rectangle (sourceX, sourceY, width, height) onto (x, y, width, height).
    void blockCopy(int x,
        int y,
        int width,
        int height,
        const RasterSurface &source,
        int sourceX,
        int sourceY,
        RasterOp op = RasterOp::SourceCopy);
    // A smooth stretched copy: averages the covered source pixels when shrinking and
    // interpolates between neighbours when enlarging.
    void stretchCopy(const QRect &target, const RasterSurface &source, const QRect &sourceRect);
    // A one-pixel line from (x0, y0) towards (x1, y1); the end point itself is not drawn.
    void drawLine(int x0, int y0, int x1, int y1, Bgr colour);
    // The ellipse inscribed in the box from (left, top) up to but excluding (right, bottom),
    // its border pixels in the outline colour and its inside in the fill colour.
    void fillEllipse(int left, int top, int right, int bottom, Bgr outline, Bgr fill);

    bool operator==(const RasterSurface &other) const;

private:
    // Pixels from..to (inclusive) of row y, clipped.
    void fillSpan(int y, int from, int to, Bgr colour);

    int m_width = 0;
    int m_height = 0;
    int m_stride = 0;
    std::vector<std::uint8_t> m_bits;
};

}
