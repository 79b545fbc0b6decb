#include "ftptests/MonoBitmap.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace pordane::ftptests {

namespace {

// Columns [first, last] of one row that belong to the ellipse; empty when first > last.
struct Span {
    int first = 1;
    int last = 0;
    bool contains(int x) const { return x >= first && x <= last; }
};

// Row spans of the ellipse in [left, right) x [top, bottom). In doubled
// coordinates relative to the centre, pixel (x, y) has its centre at
// X = 2x + 1 - (left + right), Y = 2y + 1 - (top + bottom), and lies inside
// when X^2 H^2 + Y^2 W^2 <= W^2 H^2 (W, H the rectangle's width and height).
// Exact integer arithmetic keeps the shape symmetric.
std::vector<Span> ellipseSpans(int left, int top, int right, int bottom)
{
    const std::int64_t w = right - left;
    const std::int64_t h = bottom - top;
    std::vector<Span> spans(static_cast<std::size_t>(h));
    const std::int64_t w2 = w * w;
    const std::int64_t h2 = h * h;
    const std::int64_t sumX = left + right;
    for (std::int64_t row = 0; row < h; ++row) {
        const std::int64_t y = top + row;
        const std::int64_t dy = 2 * y + 1 - (top + bottom);
        const std::int64_t room = w2 * h2 - dy * dy * w2; // must hold X^2 h^2
        if (room < 0)
            continue;
        // Largest |X| with X^2 h^2 <= room and X of the parity of w
        // (X = 2x + 1 - sumX is odd exactly when w is even).
        auto fits = [&](std::int64_t dx) { return dx * dx * h2 <= room; };
        std::int64_t dx = static_cast<std::int64_t>(std::sqrt(static_cast<double>(room) / static_cast<double>(h2)));
        if ((dx & 1) != ((w & 1) == 0 ? 1 : 0))
            --dx;
        while (dx >= 0 && !fits(dx))
            dx -= 2;
        while (fits(dx + 2))
            dx += 2;
        if (dx < 0)
            continue;
        // X = 2x + 1 - sumX  =>  x = (X + sumX - 1) / 2
        spans[static_cast<std::size_t>(row)] = Span{static_cast<int>((-dx + sumX - 1) / 2),
                                                    static_cast<int>((dx + sumX - 1) / 2)};
    }
    return spans;
}

} // namespace

MonoBitmap::MonoBitmap(int width, int height)
    : m_width(width)
    , m_height(height)
{
    if (width < 0 || height < 0)
        throw std::invalid_argument("negative bitmap size");
    m_pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), White);
}

void MonoBitmap::ellipse(int left, int top, int right, int bottom, std::uint8_t pen, std::uint8_t brush)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    if (right == left || bottom == top)
        return;

    const std::vector<Span> spans = ellipseSpans(left, top, right, bottom);
    const int rows = bottom - top;
    const Span none;
    for (int r = 0; r < rows; ++r) {
        const int y = top + r;
        const Span& span = spans[static_cast<std::size_t>(r)];
        if (y < 0 || y >= m_height || span.first > span.last)
            continue;
        const Span& above = r > 0 ? spans[static_cast<std::size_t>(r - 1)] : none;
        const Span& below = r + 1 < rows ? spans[static_cast<std::size_t>(r + 1)] : none;
        // Inner columns have both vertical neighbours inside; the two end
        // columns always have a horizontal neighbour outside.
        const int innerFirst = std::max({span.first + 1, above.first, below.first});
        const int innerLast = std::min({span.last - 1, above.last, below.last});

        const int x0 = std::max(span.first, 0);
        const int x1 = std::min(span.last, m_width - 1);
        if (x0 > x1)
            continue;
        std::uint8_t* line = m_pixels.data() + index(0, y);
        if (innerFirst > innerLast) {
            std::fill(line + x0, line + x1 + 1, pen);
            continue;
        }
        const int i0 = std::clamp(innerFirst, x0, x1 + 1);
        const int i1 = std::clamp(innerLast, x0 - 1, x1);
        std::fill(line + x0, line + i0, pen);
        if (i0 <= i1)
            std::fill(line + i0, line + i1 + 1, brush);
        std::fill(line + std::max(i1 + 1, x0), line + x1 + 1, pen);
    }
}

} // namespace pordane::ftptests
