// A small 8-bit grey bitmap with the one drawing primitive the test picture
// needs: a filled ellipse with the window system's Ellipse semantics.
#pragma once

#include <cstdint>
#include <vector>

namespace pordane::ftptests {

class MonoBitmap {
public:
    static constexpr std::uint8_t Black = 0;
    static constexpr std::uint8_t White = 255;

    // A new bitmap is entirely white, as a fresh device bitmap is.
    MonoBitmap(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    std::uint8_t pixel(int x, int y) const { return m_pixels[index(x, y)]; }
    const std::uint8_t* row(int y) const { return m_pixels.data() + index(0, y); }

    // Ellipse inscribed in the rectangle [left, right) x [top, bottom): the
    // right and bottom edges are excluded. A pixel belongs to the ellipse when
    // its centre lies inside or on it; the pixels of the ellipse with a
    // 4-neighbour outside it form the 1-pixel outline (pen), the rest is the
    // interior (brush). Swapped edges are normalised; pixels outside the
    // bitmap are clipped.
    void ellipse(int left, int top, int right, int bottom,
                 std::uint8_t pen = Black, std::uint8_t brush = White);

private:
    std::size_t index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x);
    }

    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_pixels;
};

} // namespace pordane::ftptests
