// The painted icon lists: counts, sizes at several pixel ratios, and that each
// icon shows the colours its meaning calls for.
#include "widgets/ImageList.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace pordane::testsupport {
namespace {

int countPixels(const QImage& img, const std::function<bool(const QColor&)>& match)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (match(img.pixelColor(x, y)))
                ++n;
    return n;
}

bool opaque(const QColor& c)
{
    return c.alpha() > 200;
}
bool black(const QColor& c)
{
    return opaque(c) && c.lightness() < 40;
}
bool green(const QColor& c)
{
    return opaque(c) && c.green() > 120 && c.red() < 100 && c.blue() < 100;
}
bool red(const QColor& c)
{
    return opaque(c) && c.red() > 180 && c.green() < 80 && c.blue() < 80;
}
bool white(const QColor& c)
{
    return opaque(c) && c.lightness() > 230;
}
bool yellow(const QColor& c)
{
    return opaque(c) && c.red() > 200 && c.green() > 170 && c.blue() < 80;
}

TEST(ImageList1, SixSixteenPixelIcons)
{
    const widgets::ImageList list = widgets::makeImageList1();
    EXPECT_EQ(list.count(), 6);
    EXPECT_EQ(list.size(), 16);
    EXPECT_THROW((void)list.pixmap(6), std::out_of_range);
    EXPECT_THROW((void)list.icon(-1), std::out_of_range);
}

TEST(ImageList1, EachIconShowsItsMeaning)
{
    const widgets::ImageList list = widgets::makeImageList1();
    const auto img = [&](int i) { return list.pixmap(i, 2.0).toImage(); };

    // 0 arrow: black, weighted to the left half (it points right from there).
    const QImage arrow = img(0);
    EXPECT_GT(countPixels(arrow, black), 150);
    EXPECT_EQ(countPixels(arrow, green) + countPixels(arrow, red), 0);
    // 1 tick: green.
    EXPECT_GT(countPixels(img(1), green), 100);
    // 2 dot: small and black, corners empty.
    const QImage dot = img(2);
    const int dotPixels = countPixels(dot, black);
    EXPECT_GT(dotPixels, 20);
    EXPECT_LT(dotPixels, 150) << "a small dot, not a filled square";
    EXPECT_TRUE(black(dot.pixelColor(16, 16)));
    EXPECT_EQ(dot.pixelColor(0, 0).alpha(), 0);
    // 3 red circle with a white cross: red ring, white centre.
    const QImage cross = img(3);
    EXPECT_GT(countPixels(cross, red), 300);
    EXPECT_TRUE(white(cross.pixelColor(16, 16)));
    // 4 warning triangle: yellow with a black mark.
    const QImage warn = img(4);
    EXPECT_GT(countPixels(warn, yellow), 200);
    EXPECT_GT(countPixels(warn, black), 10);
    // 5 question mark: a white glyph on a coloured disc.
    const QImage question = img(5);
    EXPECT_GT(countPixels(question, white), 20);
    EXPECT_GT(countPixels(question, [](const QColor& c) { return opaque(c) && c.blue() > 150 && c.red() < 120; }), 200);
}

TEST(ImageList1, CrispAtHighPixelRatios)
{
    const widgets::ImageList list = widgets::makeImageList1();
    for (qreal dpr : {1.0, 1.5, 2.0, 3.0}) {
        const QPixmap pm = list.pixmap(1, dpr);
        EXPECT_EQ(pm.devicePixelRatio(), dpr);
        EXPECT_EQ(pm.width(), qRound(16 * dpr)) << dpr;
        EXPECT_EQ(pm.deviceIndependentSize(), QSizeF(16, 16)) << dpr;
    }
    // Painted afresh at 3x, not scaled up from 16 pixels: the tick keeps
    // clean, mostly opaque strokes with few half-transparent pixels.
    const QImage big = list.pixmap(1, 3.0).toImage();
    const int solid = countPixels(big, green);
    const int partial = countPixels(big, [](const QColor& c) { return c.alpha() > 0 && c.alpha() < 200; });
    EXPECT_GT(solid, 3 * partial);

    // The QIcon paints at any requested size with the right pixel ratio.
    const QIcon icon = list.icon(3);
    const QPixmap fromIcon = icon.pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(fromIcon.size(), QSize(32, 32));
    EXPECT_TRUE(white(fromIcon.toImage().pixelColor(16, 16)));
}

TEST(ImageList2, FourNavigationIcons)
{
    const widgets::ImageList list = widgets::makeImageList2();
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.size(), 32);
    for (int i = 0; i < list.count(); ++i) {
        const QImage img = list.pixmap(i, 2.0).toImage();
        EXPECT_EQ(img.size(), QSize(64, 64));
        EXPECT_GT(countPixels(img, opaque), 64 * 64 / 5) << "icon " << i << " is mostly empty";
    }
    // Four distinct pictures.
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
            EXPECT_NE(list.pixmap(a).toImage(), list.pixmap(b).toImage()) << a << " vs " << b;
}

} // namespace
} // namespace pordane::testsupport
