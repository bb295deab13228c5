#include "RasterSurface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace slideshow {

namespace {

    constexpr int kWeightBits = 14;
    constexpr int kWeightOne = 1 << kWeightBits;

    struct Taps {
        int first = 0; // first source index
        std::vector<int> weights; // summing to kWeightOne
    };

    // For each of `targetCount` target pixels, the source pixels it takes and their weights.
    // Source indices are clamped to 0..sourceLimit - 1.
    std::vector<Taps> makeTaps(int targetCount, int sourceStart, int sourceCount, int sourceLimit)
    {
        std::vector<Taps> taps(static_cast<std::size_t>(targetCount));
        const double scale = static_cast<double>(sourceCount) / targetCount;
        for (int i = 0; i < targetCount; ++i) {
            Taps &t = taps[static_cast<std::size_t>(i)];
            std::vector<double> raw;
            if (scale >= 1.0) {
                const double from = i * scale;
                const double to = (i + 1) * scale;
                t.first = static_cast<int>(std::floor(from));
                for (int s = t.first; s < to; ++s)
                    raw.push_back(std::min<double>(s + 1, to) - std::max<double>(s, from));
            } else {
                const double centre = (i + 0.5) * scale - 0.5;
                t.first = static_cast<int>(std::floor(centre));
                const double fraction = centre - t.first;
                raw = { 1.0 - fraction, fraction };
            }
            double total = 0;
            for (double w : raw)
                total += w;
            int sum = 0;
            for (double w : raw) {
                const int weight = static_cast<int>(std::lround(w / total * kWeightOne));
                t.weights.push_back(weight);
                sum += weight;
            }
            t.weights.back() += kWeightOne - sum;
            t.first += sourceStart;
        }
        for (Taps &t : taps) {
            // Fold taps that fall outside the source onto its edge pixels.
            std::vector<int> folded;
            int first = std::clamp(t.first, 0, sourceLimit - 1);
            int last = first;
            for (std::size_t k = 0; k < t.weights.size(); ++k)
                last = std::max(last, std::clamp(t.first + static_cast<int>(k), 0, sourceLimit - 1));
            folded.assign(static_cast<std::size_t>(last) - static_cast<std::size_t>(first) + 1, 0);
            for (std::size_t k = 0; k < t.weights.size(); ++k) {
                const int s = std::clamp(t.first + static_cast<int>(k), 0, sourceLimit - 1);
                folded[static_cast<std::size_t>(s - first)] += t.weights[k];
            }
            t.first = first;
            t.weights = std::move(folded);
        }
        return taps;
    }

    // The source span [from, to) each target column averages when a row shrinks, with the
    // reciprocal of its length in 24-bit fixed point.
    struct Span {
        int from = 0;
        int to = 0;
        std::uint64_t reciprocal = 0;
    };

    std::vector<Span> shrinkSpans(int sourceWidth, int targetWidth, int first, int count)
    {
        std::vector<Span> spans(static_cast<std::size_t>(count));
        const double scale = static_cast<double>(sourceWidth) / targetWidth;
        for (int i = 0; i < count; ++i) {
            Span &span = spans[static_cast<std::size_t>(i)];
            span.from = static_cast<int>(std::lround((first + i) * scale));
            span.to = std::max(span.from + 1, static_cast<int>(std::lround((first + i + 1) * scale)));
            span.to = std::min(span.to, sourceWidth);
            span.from = std::min(span.from, span.to - 1);
            span.reciprocal = ((std::uint64_t { 1 } << 24) + (span.to - span.from) / 2) / (span.to - span.from);
        }
        return spans;
    }

    // Running sums of one row: entry 3 * i + c holds the sum of channel c over pixels 0..i-1.
    void sumRow(const std::uint8_t *source, int width, std::uint32_t *sums)
    {
        std::uint32_t b = 0, g = 0, r = 0;
        sums[0] = sums[1] = sums[2] = 0;
        for (int i = 0; i < width; ++i) {
            b += source[std::ptrdiff_t(i) * 3];
            g += source[i * 3 + 1];
            r += source[i * 3 + 2];
            sums[i * 3 + 3] = b;
            sums[i * 3 + 4] = g;
            sums[i * 3 + 5] = r;
        }
    }

    void shrinkRow(std::uint8_t *target, const std::uint32_t *sums, const std::vector<Span> &spans)
    {
        for (const Span &span : spans) {
            const std::uint32_t *from = sums + std::ptrdiff_t(span.from) * 3;
            const std::uint32_t *to = sums + std::ptrdiff_t(span.to) * 3;
            for (int c = 0; c < 3; ++c)
                target[c] = static_cast<std::uint8_t>(((to[c] - from[c]) * span.reciprocal + (1u << 23)) >> 24);
            target += 3;
        }
    }

    // Source widths up to this keep each channel's sum of a row within 21 bits.
    constexpr int kPackedWidthLimit = ((1 << 21) - 1) / 255;

    // The same averages as shrinkRow, summed span by span in one 64-bit word per pixel (blue in
    // bits 0..20, green 21..41, red 42..62): one running sum instead of three, and no table of
    // running sums written and read back. For rows of at most kPackedWidthLimit pixels.
    void shrinkRowPacked(std::uint8_t *target, const std::uint8_t *source, const std::vector<Span> &spans)
    {
        constexpr std::uint64_t kField = (std::uint64_t { 1 } << 21) - 1;
        for (const Span &span : spans) {
            const std::uint8_t *p = source + std::ptrdiff_t(span.from) * 3;
            // Near and at half size most spans are one or two pixels: their averages are the
            // pixel itself and the halved sum rounded up, which the general formula gives too.
            if (span.to - span.from == 1) {
                target[0] = p[0];
                target[1] = p[1];
                target[2] = p[2];
                target += 3;
                continue;
            }
            if (span.to - span.from == 2) {
                target[0] = static_cast<std::uint8_t>((p[0] + p[3] + 1) >> 1);
                target[1] = static_cast<std::uint8_t>((p[1] + p[4] + 1) >> 1);
                target[2] = static_cast<std::uint8_t>((p[2] + p[5] + 1) >> 1);
                target += 3;
                continue;
            }
            std::uint64_t sum = 0;
            const std::uint8_t *end = source + std::ptrdiff_t(span.to) * 3;
            for (; p != end; p += 3)
                sum += p[0] | (std::uint64_t { p[1] } << 21) | (std::uint64_t { p[2] } << 42);
            target[0] = static_cast<std::uint8_t>(((sum & kField) * span.reciprocal + (1u << 23)) >> 24);
            target[1] = static_cast<std::uint8_t>((((sum >> 21) & kField) * span.reciprocal + (1u << 23)) >> 24);
            target[2] = static_cast<std::uint8_t>(((sum >> 42) * span.reciprocal + (1u << 23)) >> 24);
            target += 3;
        }
    }

    std::uint8_t weighted(std::uint32_t sum)
    {
        return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (sum + kWeightOne / 2) >> kWeightBits));
    }

}

RasterSurface::RasterSurface(int width, int height)
    : m_width(std::max(0, width))
    , m_height(std::max(0, height))
    , m_stride((m_width * 3 + 3) & ~3)
    , m_bits(static_cast<std::size_t>(m_stride) * m_height, 0)
{
    if (m_width == 0 || m_height == 0) {
        m_width = m_height = m_stride = 0;
        m_bits.clear();
    }
}

RasterSurface RasterSurface::fromImage(const QImage &image)
{
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    RasterSurface surface(bgr.width(), bgr.height());
    for (int y = 0; y < surface.m_height; ++y)
        std::memcpy(surface.row(y), bgr.constScanLine(y), static_cast<std::size_t>(surface.m_width) * 3);
    return surface;
}

QImage RasterSurface::toImage() const
{
    if (isEmpty())
        return {};
    QImage image(m_width, m_height, QImage::Format_BGR888);
    for (int y = 0; y < m_height; ++y)
        std::memcpy(image.scanLine(y), row(y), static_cast<std::size_t>(m_width) * 3);
    return image;
}

Bgr RasterSurface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return {};
    const std::uint8_t *p = row(y) + std::ptrdiff_t(x) * 3;
    return { p[0], p[1], p[2] };
}

void RasterSurface::setPixel(int x, int y, Bgr colour)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    std::uint8_t *p = row(y) + std::ptrdiff_t(x) * 3;
    p[0] = colour.blue;
    p[1] = colour.green;
    p[2] = colour.red;
}

void RasterSurface::fill(Bgr colour)
{
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            setPixel(x, y, colour);
}

void RasterSurface::blockCopy(
    int x, int y, int width, int height, const RasterSurface &source, int sourceX, int sourceY, RasterOp op)
{
    // Clip against both surfaces, moving source and destination together.
    const auto clipAxis = [](int &dest, int &src, int &extent, int destLimit, int srcLimit) {
        const int shift = std::max({ 0, -dest, -src });
        dest += shift;
        src += shift;
        extent -= shift;
        extent = std::min({ extent, destLimit - dest, srcLimit - src });
        return extent > 0;
    };
    if (!clipAxis(x, sourceX, width, m_width, source.m_width)
        || !clipAxis(y, sourceY, height, m_height, source.m_height))
        return;
    const std::size_t bytes = static_cast<std::size_t>(width) * 3;
    // Rows may overlap when a surface copies onto itself; walk them in a safe order.
    const bool upward = &source == this && sourceY < y;
    for (int i = 0; i < height; ++i) {
        const int r = upward ? height - 1 - i : i;
        std::uint8_t *d = row(y + r) + std::ptrdiff_t(x) * 3;
        const std::uint8_t *s = source.row(sourceY + r) + std::ptrdiff_t(sourceX) * 3;
        switch (op) {
        case RasterOp::SourceCopy:
            std::memmove(d, s, bytes);
            break;
        case RasterOp::NotSourceCopy:
            for (std::size_t k = 0; k < bytes; ++k)
                d[k] = static_cast<std::uint8_t>(~s[k]);
            break;
        case RasterOp::SourceAnd:
            for (std::size_t k = 0; k < bytes; ++k)
                d[k] &= s[k];
            break;
        case RasterOp::SourcePaint:
            for (std::size_t k = 0; k < bytes; ++k)
                d[k] |= s[k];
            break;
        }
    }
}

void RasterSurface::stretchCopy(const QRect &target, const RasterSurface &source, const QRect &sourceRect)
{
    if (target.width() <= 0 || target.height() <= 0 || sourceRect.width() <= 0 || sourceRect.height() <= 0
        || source.isEmpty() || !target.intersects(rect()))
        return;
    if (target.size() == sourceRect.size() && source.rect().contains(sourceRect)) {
        blockCopy(target.x(), target.y(), target.width(), target.height(), source, sourceRect.x(), sourceRect.y());
        return;
    }
    const QRect clip = target & rect();
    const int clipLeft = clip.left() - target.left();
    const int width = clip.width();
    const bool shrinking = sourceRect.width() >= target.width() && source.rect().contains(sourceRect);
    const std::vector<Span> spans =
        shrinking ? shrinkSpans(sourceRect.width(), target.width(), clipLeft, width) : std::vector<Span> {};
    std::vector<std::uint32_t> sums(shrinking ? static_cast<std::size_t>(sourceRect.width() + 1) * 3 : 0);
    if (shrinking && target.height() == sourceRect.height()) {
        // Only the width changes: shrink each row straight into place.
        for (int y = clip.top(); y <= clip.bottom(); ++y) {
            const std::uint8_t *s = source.row(sourceRect.y() + y - target.top()) + std::ptrdiff_t(sourceRect.x()) * 3;
            if (sourceRect.width() <= kPackedWidthLimit) {
                shrinkRowPacked(row(y) + std::ptrdiff_t(clip.left()) * 3, s, spans);
                continue;
            }
            sumRow(s, sourceRect.width(), sums.data());
            shrinkRow(row(y) + std::ptrdiff_t(clip.left()) * 3, sums.data(), spans);
        }
        return;
    }
    const std::vector<Taps> columns = makeTaps(target.width(), sourceRect.x(), sourceRect.width(), source.m_width);
    const std::vector<Taps> rows = makeTaps(target.height(), sourceRect.y(), sourceRect.height(), source.m_height);

    // Horizontal pass into rows of the clipped target width, for the source rows needed.
    const int rowFirst = rows[static_cast<std::size_t>(clip.top() - target.top())].first;
    const Taps &lastRow = rows[static_cast<std::size_t>(clip.bottom() - target.top())];
    const int rowLast = lastRow.first + static_cast<int>(lastRow.weights.size()) - 1;
    std::vector<std::uint8_t> horizontal(static_cast<std::size_t>(rowLast - rowFirst + 1) * width * 3);
    for (int sy = rowFirst; sy <= rowLast; ++sy) {
        const std::uint8_t *s = source.row(sy);
        std::uint8_t *h = horizontal.data() + static_cast<std::size_t>(sy - rowFirst) * width * 3;
        if (shrinking) {
            sumRow(s + std::ptrdiff_t(sourceRect.x()) * 3, sourceRect.width(), sums.data());
            shrinkRow(h, sums.data(), spans);
            continue;
        }
        for (int i = 0; i < width; ++i) {
            const Taps &t = columns[static_cast<std::size_t>(clipLeft) + static_cast<std::size_t>(i)];
            std::uint32_t b = 0, g = 0, r = 0;
            const std::uint8_t *p = s + std::ptrdiff_t(t.first) * 3;
            for (int w : t.weights) {
                b += p[0] * static_cast<std::uint32_t>(w);
                g += p[1] * static_cast<std::uint32_t>(w);
                r += p[2] * static_cast<std::uint32_t>(w);
                p += 3;
            }
            h[std::ptrdiff_t(i) * 3] = weighted(b);
            h[i * 3 + 1] = weighted(g);
            h[i * 3 + 2] = weighted(r);
        }
    }

    // Vertical pass into the destination.
    std::vector<std::uint32_t> columnSums(static_cast<std::size_t>(width) * 3);
    for (int y = clip.top(); y <= clip.bottom(); ++y) {
        const Taps &t = rows[static_cast<std::size_t>(y - target.top())];
        std::uint8_t *d = row(y) + std::ptrdiff_t(clip.left()) * 3;
        const std::uint8_t *h = horizontal.data() + static_cast<std::size_t>(t.first - rowFirst) * width * 3;
        if (t.weights.size() == 1) {
            std::memcpy(d, h, columnSums.size());
            continue;
        }
        std::fill(columnSums.begin(), columnSums.end(), 0);
        for (int w : t.weights) {
            for (std::size_t k = 0; k < columnSums.size(); ++k)
                columnSums[k] += h[k] * static_cast<std::uint32_t>(w);
            h += static_cast<std::size_t>(width) * 3;
        }
        for (std::size_t k = 0; k < columnSums.size(); ++k)
            d[k] = weighted(columnSums[k]);
    }
}

void RasterSurface::drawLine(int x0, int y0, int x1, int y1, Bgr colour)
{
    const int dx = std::abs(x1 - x0);
    const int dy = std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    const int count = std::max(dx, dy);
    int error = (dx > dy ? dx : -dy) / 2;
    int x = x0;
    int y = y0;
    for (int i = 0; i < count; ++i) {
        setPixel(x, y, colour);
        const int e = error;
        if (e > -dx) {
            error -= dy;
            x += sx;
        }
        if (e < dy) {
            error += dx;
            y += sy;
        }
    }
}

void RasterSurface::fillEllipse(int left, int top, int right, int bottom, Bgr outline, Bgr fill)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const int boxWidth = right - left;
    const int boxHeight = bottom - top;
    if (boxWidth <= 0 || boxHeight <= 0)
        return;
    const double cx = left + boxWidth / 2.0;
    const double cy = top + boxHeight / 2.0;
    const double rx = boxWidth / 2.0;
    const double ry = boxHeight / 2.0;
    // The inside span of each row, empty (first > last) outside the ellipse.
    const auto span = [&](int y) -> std::pair<int, int> {
        if (y < top || y >= bottom)
            return { 1, 0 };
        const double v = (y + 0.5 - cy) / ry;
        if (v * v > 1.0)
            return { 1, 0 };
        const double half = rx * std::sqrt(1.0 - v * v);
        return { static_cast<int>(std::ceil(cx - half - 0.5)), static_cast<int>(std::floor(cx + half - 0.5)) };
    };
    const int firstRow = std::max(top, 0);
    const int lastRow = std::min(bottom, m_height) - 1;
    for (int y = firstRow; y <= lastRow; ++y) {
        const auto [a, b] = span(y);
        if (a > b)
            continue;
        const auto [aboveA, aboveB] = span(y - 1);
        const auto [belowA, belowB] = span(y + 1);
        const int innerA = std::max({ a + 1, aboveA, belowA });
        const int innerB = std::min({ b - 1, aboveB, belowB });
        const int from = std::max(a, 0);
        const int to = std::min(b, m_width - 1);
        if (innerA > innerB) {
            fillSpan(y, from, to, outline);
            continue;
        }
        fillSpan(y, from, std::min(innerA - 1, to), outline);
        fillSpan(y, std::max(innerA, from), std::min(innerB, to), fill);
        fillSpan(y, std::max(innerB + 1, from), to, outline);
    }
}

void RasterSurface::fillSpan(int y, int from, int to, Bgr colour)
{
    from = std::max(from, 0);
    to = std::min(to, m_width - 1);
    if (y < 0 || y >= m_height || from > to)
        return;
    std::uint8_t *p = row(y) + std::ptrdiff_t(from) * 3;
    const std::size_t bytes = static_cast<std::size_t>(to - from + 1) * 3;
    if (colour.blue == colour.green && colour.green == colour.red) {
        std::memset(p, colour.blue, bytes);
        return;
    }
    for (std::size_t k = 0; k < bytes; k += 3) {
        p[k] = colour.blue;
        p[k + 1] = colour.green;
        p[k + 2] = colour.red;
    }
}

bool RasterSurface::operator==(const RasterSurface &other) const
{
    if (m_width != other.m_width || m_height != other.m_height)
        return false;
    for (int y = 0; y < m_height; ++y)
        if (std::memcmp(row(y), other.row(y), static_cast<std::size_t>(m_width) * 3) != 0)
            return false;
    return true;
}

}
