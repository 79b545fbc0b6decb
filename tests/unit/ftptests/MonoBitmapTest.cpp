// The ellipse rasteriser behind the test picture.
#include "ftptests/MonoBitmap.h"

#include <gtest/gtest.h>

#include <queue>
#include <string>
#include <utility>

using pordane::ftptests::MonoBitmap;

namespace {

struct Rect {
    int left, top, right, bottom;
};

std::string rectName(const ::testing::TestParamInfo<Rect>& info)
{
    const Rect& r = info.param;
    return "L" + std::to_string(r.left) + "T" + std::to_string(r.top) + "R" + std::to_string(r.right) + "B"
        + std::to_string(r.bottom);
}

bool black(const MonoBitmap& b, int x, int y)
{
    return b.pixel(x, y) == MonoBitmap::Black;
}

// Draws r on a bitmap with a 3-pixel white margin beyond its right and bottom edges.
MonoBitmap drawn(const Rect& r)
{
    MonoBitmap bitmap(r.right + 3, r.bottom + 3);
    bitmap.ellipse(r.left, r.top, r.right, r.bottom);
    return bitmap;
}

class EllipseShape : public ::testing::TestWithParam<Rect> {};

TEST_P(EllipseShape, TouchesEveryEdgeOfTheRectangleButNotTheRightAndBottomOnes)
{
    const Rect r = GetParam();
    const MonoBitmap b = drawn(r);
    int minX = b.width(), maxX = -1, minY = b.height(), maxY = -1;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) != MonoBitmap::White) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    EXPECT_EQ(minX, r.left);
    EXPECT_EQ(maxX, r.right - 1);
    EXPECT_EQ(minY, r.top);
    EXPECT_EQ(maxY, r.bottom - 1);
}

TEST_P(EllipseShape, IsSymmetricAboutBothAxes)
{
    const Rect r = GetParam();
    const MonoBitmap b = drawn(r);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            EXPECT_EQ(b.pixel(x, y), b.pixel(r.left + r.right - 1 - x, y)) << x << "," << y;
            EXPECT_EQ(b.pixel(x, y), b.pixel(x, r.top + r.bottom - 1 - y)) << x << "," << y;
        }
}

TEST_P(EllipseShape, OutlineIsOnePixelWideThroughTheCentre)
{
    const Rect r = GetParam();
    const MonoBitmap b = drawn(r);
    // The middle row (both middle rows for an even height) crosses the outline
    // once on each side; likewise the middle column(s).
    for (int y : {(r.top + r.bottom - 1) / 2, (r.top + r.bottom) / 2}) {
        for (int x = 0; x < b.width(); ++x)
            EXPECT_EQ(black(b, x, y), x == r.left || x == r.right - 1) << x << "," << y;
    }
    for (int x : {(r.left + r.right - 1) / 2, (r.left + r.right) / 2}) {
        for (int y = 0; y < b.height(); ++y)
            EXPECT_EQ(black(b, x, y), y == r.top || y == r.bottom - 1) << x << "," << y;
    }
}

TEST_P(EllipseShape, OutlineIsClosedAroundAWhiteInterior)
{
    const Rect r = GetParam();
    const MonoBitmap b = drawn(r);
    // Flood the white pixels 4-connected from the centre: the fill must not
    // leak to the bitmap's border.
    std::vector<char> seen(static_cast<std::size_t>(b.width() * b.height()), 0);
    std::queue<std::pair<int, int>> allowAll;
    allowAll.emplace((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ASSERT_FALSE(black(b, allowAll.front().first, allowAll.front().second));
    int filled = 0;
    while (!allowAll.empty()) {
        const auto [x, y] = allowAll.front();
        allowAll.pop();
        if (x < 0 || y < 0 || x >= b.width() || y >= b.height())
            continue;
        char& s = seen[static_cast<std::size_t>(y * b.width() + x)];
        if (s || black(b, x, y))
            continue;
        s = 1;
        ++filled;
        ASSERT_TRUE(x > r.left && x < r.right - 1 && y > r.top && y < r.bottom - 1) << x << "," << y;
        allowAll.emplace(x + 1, y);
        allowAll.emplace(x - 1, y);
        allowAll.emplace(x, y + 1);
        allowAll.emplace(x, y - 1);
    }
    EXPECT_GT(filled, 0);
}

INSTANTIATE_TEST_SUITE_P(Rasteriser, EllipseShape,
                         ::testing::Values(Rect{0, 0, 10, 10}, Rect{2, 3, 13, 9}, Rect{1, 1, 21, 12},
                                           Rect{4, 2, 11, 30}, Rect{1, 1, 999, 699}, Rect{0, 0, 5, 5},
                                           Rect{3, 5, 40, 41}),
                         rectName);

TEST(EllipseRaster, OnePixelWideRectangleIsAVerticalLine)
{
    MonoBitmap b(6, 10);
    b.ellipse(2, 1, 3, 8);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(black(b, x, y), x == 2 && y >= 1 && y < 8) << x << "," << y;
}

TEST(EllipseRaster, EmptyAndSwappedRectangles)
{
    MonoBitmap empty(12, 12);
    empty.ellipse(3, 3, 3, 9);
    empty.ellipse(3, 3, 9, 3);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_FALSE(black(empty, x, y));

    MonoBitmap straight(12, 12), swapped(12, 12);
    straight.ellipse(1, 2, 11, 9);
    swapped.ellipse(11, 9, 1, 2);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(straight.pixel(x, y), swapped.pixel(x, y));
}

TEST(EllipseRaster, LaterEllipsePaintsOverTheInteriorWithItsBrush)
{
    MonoBitmap outerOnly(22, 22);
    outerOnly.ellipse(0, 0, 20, 20);
    MonoBitmap both(22, 22);
    both.ellipse(5, 5, 15, 15);
    both.ellipse(0, 0, 20, 20); // its white interior hides the small one
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 22; ++x)
            EXPECT_EQ(both.pixel(x, y), outerOnly.pixel(x, y)) << x << "," << y;

    MonoBitmap nested(22, 22);
    nested.ellipse(0, 0, 20, 20);
    nested.ellipse(5, 5, 15, 15);
    EXPECT_TRUE(black(nested, 0, 9));  // outer outline kept
    EXPECT_TRUE(black(nested, 5, 9));  // inner outline
    EXPECT_FALSE(black(nested, 9, 9)); // inner interior
}

TEST(EllipseRaster, ClipsAtTheBitmapBorderLikeACrop)
{
    MonoBitmap big(40, 40);
    big.ellipse(0, 0, 40, 30);
    // The same ellipse shifted up-left by 10 on a 20 x 20 bitmap.
    MonoBitmap small(20, 20);
    small.ellipse(-10, -10, 30, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(small.pixel(x, y), big.pixel(x + 10, y + 10)) << x << "," << y;

    MonoBitmap far(8, 8);
    far.ellipse(100, 100, 200, 150);
    far.ellipse(-50, -50, -10, -20);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_FALSE(black(far, x, y));
}

} // namespace
