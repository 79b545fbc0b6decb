// The window icon is the picture installed for the desktop: Qt's rendering
// of the compiled-in SVG against the PNGs rendered by rsvg-convert.
#include "widgets/AppIcon.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Mean difference per channel (0..255) of two images of one size, alpha included.
double meanDifference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q))
                   + std::abs(qAlpha(p) - qAlpha(q));
        }
    return sum / (4.0 * x.width() * x.height());
}

// Small sizes are mostly edges, where two renderers antialias differently.
struct IconSize {
    int size;
    double tolerance;
};

class AppIconTest : public ::testing::TestWithParam<IconSize> {};

TEST_P(AppIconTest, WindowIconMatchesTheInstalledPng)
{
    const int size = GetParam().size;
    const QImage installed(QString("%1/%2x%2/pordane.png").arg(PORDANE_ICON_PNG_DIR).arg(size));
    ASSERT_EQ(installed.size(), QSize(size, size));
    const QImage window = pordane::widgets::applicationIcon().pixmap(size, size).toImage();
    ASSERT_EQ(window.size(), QSize(size, size));
    EXPECT_LT(meanDifference(window, installed), GetParam().tolerance);
    // The globe's sea is blue in the window icon, left of the middle.
    const QColor sea = window.pixelColor(size * 30 / 100, size * 55 / 100);
    EXPECT_GT(sea.blue(), sea.red() + 60) << sea.name().toStdString();
}

TEST(AppIcon, DiffersFromAPictureShiftedByAFewPixels)
{
    // The 64-pixel tolerance is tight enough to see a drawing moved by two pixels.
    const QImage a = pordane::widgets::applicationIcon().pixmap(64, 64).toImage();
    QImage shifted(a.size(), QImage::Format_ARGB32);
    shifted.fill(Qt::transparent);
    for (int row = 0; row < a.height(); ++row)
        for (int col = 2; col < a.width(); ++col)
            shifted.setPixel(col, row, a.pixel(col - 2, row));
    EXPECT_GT(meanDifference(a, shifted), 4.0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, AppIconTest,
                         ::testing::Values(IconSize{16, 9.0}, IconSize{32, 8.0}, IconSize{64, 4.0}, IconSize{256, 1.5}),
                         [](const auto& p) { return "px" + std::to_string(p.param.size); });

} // namespace
