// The busy indicator: its frame advances on its own while running, stops on
// stop(), and the render shows the head where the frame says.
#include "widgets/BusyIndicator.h"
#include "support/gui/WidgetPixels.h"

#include <gtest/gtest.h>

namespace {

using pordane::widgets::BusyIndicator;
using namespace pordane::testsupport;

TEST(BusyIndicator, DotsRunClockwiseFromTwelveOClock)
{
    const QSizeF size(40, 40);
    const QPointF top = BusyIndicator::dotCentre(size, 0);
    EXPECT_NEAR(top.x(), 20.0, 1e-9);
    EXPECT_LT(top.y(), 20.0);
    const QPointF right = BusyIndicator::dotCentre(size, BusyIndicator::kDots / 4);
    EXPECT_GT(right.x(), 20.0);
    EXPECT_NEAR(right.y(), 20.0, 1e-9);
    EXPECT_EQ(BusyIndicator::dotCentre(size, BusyIndicator::kDots), top);
    EXPECT_EQ(BusyIndicator::dotCentre(size, -1), BusyIndicator::dotCentre(size, BusyIndicator::kDots - 1));
}

TEST(BusyIndicator, FrameAdvancesWhileRunningAndFreezesWhenStopped)
{
    BusyIndicator busy;
    EXPECT_EQ(busy.interval(), 100);
    EXPECT_FALSE(busy.animating());
    busy.setInterval(5);
    busy.resize(32, 32);
    busy.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&busy));

    const int first = busy.frame();
    ASSERT_TRUE(letIntervalsPass(5, 4));
    EXPECT_EQ(busy.frame(), first) << "moved before start()";

    busy.start();
    EXPECT_TRUE(busy.animating());
    int steps = 0;
    int last = busy.frame();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (busy.frame() != last) {
                EXPECT_EQ(busy.frame(), (last + 1) % BusyIndicator::kDots);
                last = busy.frame();
                ++steps;
            }
            return steps >= 3;
        },
        5000));

    busy.stop();
    EXPECT_FALSE(busy.animating());
    const int stopped = busy.frame();
    ASSERT_TRUE(letIntervalsPass(5, 6));
    EXPECT_EQ(busy.frame(), stopped);
}

TEST(BusyIndicator, HiddenIndicatorWaitsAndResumesWhenShown)
{
    BusyIndicator busy;
    busy.setInterval(5);
    busy.start();
    const int first = busy.frame();
    ASSERT_TRUE(letIntervalsPass(5, 4));
    EXPECT_EQ(busy.frame(), first);
    EXPECT_TRUE(busy.animating());

    busy.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return busy.frame() != first; }, 5000));
    busy.hide();
    const int hidden = busy.frame();
    ASSERT_TRUE(letIntervalsPass(5, 4));
    EXPECT_EQ(busy.frame(), hidden);
}

// The head dot is drawn in the full colour; the dot it moves to next is the
// faintest end of the trail.
TEST(BusyIndicator, RenderShowsTheHeadAtTheFramesDot)
{
    BusyIndicator busy;
    busy.resize(48, 48);
    const QSizeF size(busy.size());
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE(step);
        for (const qreal dpr : {1.0, 2.0}) {
            const QImage image = renderAt(busy, dpr);
            const int head = busy.frame();
            EXPECT_TRUE(colourNear(image, BusyIndicator::dotCentre(size, head), 0.5, busy.color(), 12));
            EXPECT_FALSE(colourNear(image, BusyIndicator::dotCentre(size, head + 1), 1.0, busy.color(), 80));
        }
        busy.advance();
    }
}

} // namespace
