// The start page: banner, picture and the maker's name.
#include "support/gui/MainFormFixture.h"

#include "widgets/BannerLabel.h"
#include "widgets/StartPicture.h"

#include <QImage>

namespace pordane::testsupport {
namespace {

using StartPage = MainFormFixture;

TEST_F(StartPage, BannerPictureAndMakerAsDesigned)
{
    QWidget* page = find("TabInicio");
    ASSERT_NE(page, nullptr);
    expectTexts(*page, {{"LabelPordane", "PORDANE"}, {"LabelCorvalix", "Corvalix, S.L."}});

    auto* banner = find<widgets::BannerLabel>("LabelPordane");
    auto* picture = find<widgets::StartPicture>("ImageStart");
    auto* maker = find<QLabel>("LabelCorvalix");
    ASSERT_TRUE(banner && picture && maker);
    EXPECT_EQ(picture->size(), QSize(149, 150));
    EXPECT_GT(picture->y(), banner->y() + banner->height() - 1) << "the picture stands below the banner";
    EXPECT_LT(maker->x(), 20) << "maker's name at the left";
    EXPECT_GT(maker->y() + maker->height(), page->height() - 20) << "maker's name at the bottom";
}

TEST_F(StartPage, BannerIsLargeAndReflected)
{
    auto* banner = find<widgets::BannerLabel>("LabelPordane");
    ASSERT_NE(banner, nullptr);
    EXPECT_GE(banner->textPixelSize(), 30);
    const QImage img = find("TabInicio")->grab(banner->geometry()).toImage();
    // Solid type in the upper half, a fainter mirror image in the lower half.
    int strong = 0;
    int faint = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            const bool dark = c.lightness() < 90;
            const bool tinted = c.lightness() >= 90 && c.blue() > c.red() + 20;
            if (y < img.height() / 2 && dark)
                ++strong;
            if (y > img.height() * 0.6 && tinted)
                ++faint;
        }
    EXPECT_GT(strong, 200);
    EXPECT_GT(faint, 50);
}

TEST_F(StartPage, ShownWithThreeBuiltInServersUnticked)
{
    EXPECT_EQ(currentPage(), find("TabInicio"));
    EXPECT_EQ(checkListLines(), (std::vector<std::string>{"Tessaly24", "Tessalysis", "vexorserver01"}));
    EXPECT_EQ(checkListTicks(), (std::vector<bool>{false, false, false}));
}

} // namespace
} // namespace pordane::testsupport
