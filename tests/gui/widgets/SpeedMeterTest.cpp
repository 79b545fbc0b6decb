// The round gauge: needle angle per value, figures, and what a render shows.
#include "widgets/SpeedMeter.h"
#include "support/gui/WidgetPixels.h"

#include <QEvent>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

using pordane::widgets::SpeedMeter;
using namespace pordane::testsupport;

QPointF onCircle(QPointF centre, double radius, double degrees)
{
    const double a = degrees * std::numbers::pi / 180.0;
    return centre + QPointF(radius * std::cos(a), -radius * std::sin(a));
}

TEST(SpeedMeter, NeedleSweepsClockwiseFromBottomLeftAndIsPinnedAtTheEnds)
{
    EXPECT_DOUBLE_EQ(SpeedMeter::needleAngle(0.0), 225.0);  // bottom left
    EXPECT_DOUBLE_EQ(SpeedMeter::needleAngle(25.0), 90.0);  // straight up
    EXPECT_DOUBLE_EQ(SpeedMeter::needleAngle(50.0), -45.0); // bottom right
    EXPECT_DOUBLE_EQ(SpeedMeter::needleAngle(10.0), 171.0); // a fifth of 270 degrees on
    EXPECT_DOUBLE_EQ(SpeedMeter::needleAngle(80.0), -45.0); // 10,240 KB/s: past the scale
    EXPECT_DOUBLE_EQ(SpeedMeter::needleAngle(1e300), -45.0);
    EXPECT_DOUBLE_EQ(SpeedMeter::needleAngle(std::numeric_limits<double>::infinity()), -45.0);
    EXPECT_DOUBLE_EQ(SpeedMeter::needleAngle(-3.0), 225.0);
    EXPECT_DOUBLE_EQ(SpeedMeter::needleAngle(std::numeric_limits<double>::quiet_NaN()), 225.0);
}

TEST(SpeedMeter, FiguresHaveAtLeastTwoDigitsRoundedHalfAwayFromZero)
{
    EXPECT_EQ(SpeedMeter::valueText(0.0), "00");
    EXPECT_EQ(SpeedMeter::valueText(0.4), "00");
    EXPECT_EQ(SpeedMeter::valueText(6.4), "06");
    EXPECT_EQ(SpeedMeter::valueText(6.5), "07");
    EXPECT_EQ(SpeedMeter::valueText(12.49), "12");
    EXPECT_EQ(SpeedMeter::valueText(80.0), "80");
    EXPECT_EQ(SpeedMeter::valueText(123.6), "124");
    EXPECT_EQ(SpeedMeter::valueText(-0.4), "00");
    EXPECT_EQ(SpeedMeter::valueText(-5.0), "-05");
    EXPECT_EQ(SpeedMeter::valueText(std::numeric_limits<double>::quiet_NaN()), "00");
    EXPECT_EQ(SpeedMeter::valueText(std::numeric_limits<double>::infinity()), "50");
}

TEST(SpeedMeter, KeepsTheValueGivenAndTreatsNaNAsZero)
{
    SpeedMeter meter;
    EXPECT_EQ(meter.value(), 0.0);
    QSignalSpy changed(&meter, &SpeedMeter::valueChanged);
    meter.setValue(80.0);
    EXPECT_EQ(meter.value(), 80.0);
    meter.setValue(80.0);
    EXPECT_EQ(changed.count(), 1);
    meter.setValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(meter.value(), 0.0);
    EXPECT_EQ(changed.count(), 2);
}

TEST(SpeedMeter, TipLiesOnTheNeedleCircleAtTheValuesAngle)
{
    const QSizeF size(240, 200);
    const SpeedMeter::Dial dial = SpeedMeter::dialGeometry(size);
    EXPECT_EQ(dial.centre, QPointF(120, 100));
    EXPECT_GT(dial.needleLength, 0.5 * dial.radius);
    EXPECT_LE(dial.radius, 100.0);

    const QPointF up = SpeedMeter::needleTip(size, 25.0);
    EXPECT_NEAR(up.x(), dial.centre.x(), 1e-9);
    EXPECT_NEAR(up.y(), dial.centre.y() - dial.needleLength, 1e-9);
    const QPointF low = SpeedMeter::needleTip(size, 0.0);
    EXPECT_LT(low.x(), dial.centre.x());
    EXPECT_GT(low.y(), dial.centre.y());
    const QPointF high = SpeedMeter::needleTip(size, 50.0);
    EXPECT_GT(high.x(), dial.centre.x());
    EXPECT_NEAR(high.y(), low.y(), 1e-9);
    EXPECT_EQ(SpeedMeter::needleTip(size, 80.0), high);
}

// The needle's colour shows just inside the computed tip, and not at the
// tips of the other values tried: the render follows the angle.
TEST(SpeedMeter, RenderedNeedleReachesTheComputedTip)
{
    SpeedMeter meter;
    meter.resize(240, 240);
    const QSizeF size(meter.size());
    const SpeedMeter::Dial dial = SpeedMeter::dialGeometry(size);
    const double values[] = {0.0, 25.0, 50.0, 80.0};
    for (const qreal dpr : {1.0, 2.0}) {
        for (const double value : values) {
            SCOPED_TRACE(::testing::Message() << "value " << value << " at ratio " << dpr);
            meter.setValue(value);
            const QImage image = renderAt(meter, dpr);
            const double angle = SpeedMeter::needleAngle(value);
            const QPointF nearTip = onCircle(dial.centre, dial.needleLength - 3.0, angle);
            EXPECT_TRUE(colourNear(image, nearTip, 2.0, SpeedMeter::needleColor()));
            const QPointF midway = onCircle(dial.centre, dial.needleLength * 0.6, angle);
            EXPECT_TRUE(colourNear(image, midway, 1.0, SpeedMeter::needleColor(), 10));
            for (const double other : {0.0, 25.0, 50.0}) {
                if (SpeedMeter::needleAngle(other) == angle)
                    continue;
                const QPointF elsewhere = onCircle(dial.centre, dial.needleLength - 3.0,
                                                   SpeedMeter::needleAngle(other));
                EXPECT_FALSE(colourNear(image, elsewhere, 3.0, SpeedMeter::needleColor()))
                    << "needle also seen at the tip of " << other;
            }
        }
    }
}

TEST(SpeedMeter, SectionFromZeroToTenIsColouredOnTheBand)
{
    SpeedMeter meter;
    meter.resize(200, 200);
    meter.setValue(40.0);
    const SpeedMeter::Dial dial = SpeedMeter::dialGeometry(QSizeF(meter.size()));
    for (const qreal dpr : {1.0, 2.0}) {
        const QImage image = renderAt(meter, dpr);
        for (const double inside : {1.0, 5.0, 9.0})
            EXPECT_TRUE(colourNear(image, onCircle(dial.centre, dial.bandRadius, SpeedMeter::needleAngle(inside)), 1.0,
                                   SpeedMeter::sectionColor(), 12))
                << inside;
        for (const double outside : {12.0, 25.0, 48.0})
            EXPECT_FALSE(colourNear(image, onCircle(dial.centre, dial.bandRadius, SpeedMeter::needleAngle(outside)),
                                    2.0, SpeedMeter::sectionColor(), 60))
                << outside;
    }
}

// The cached dial is redrawn for a new size or pixel ratio: a gauge drawn
// before at another size and ratio renders exactly like a fresh one.
TEST(SpeedMeter, CachedDialFollowsSizeAndPixelRatio)
{
    SpeedMeter used;
    used.resize(120, 120);
    used.setValue(25.0);
    (void)renderAt(used, 1.0);
    (void)renderAt(used, 2.0);
    used.resize(300, 260);
    for (const qreal dpr : {1.0, 2.0, 1.5}) {
        SpeedMeter fresh;
        fresh.resize(300, 260);
        fresh.setValue(25.0);
        EXPECT_EQ(renderAt(used, dpr), renderAt(fresh, dpr)) << dpr;
    }
}

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// Values past the scale that round to the same figures leave the picture as
// it is, so they cost no repaint; a visible change does.
TEST(SpeedMeter, RepaintsOnlyWhenThePictureChanges)
{
    SpeedMeter meter;
    meter.resize(160, 160);
    meter.setValue(80.1);
    meter.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&meter));
    PaintCounter counter;
    meter.installEventFilter(&counter);
    meter.update();
    ASSERT_TRUE(QTest::qWaitFor([&counter] { return counter.paints > 0; }, 5000));
    QCoreApplication::processEvents();
    const int before = counter.paints;

    meter.setValue(80.3);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, before);
    EXPECT_EQ(meter.value(), 80.3);

    meter.setValue(30.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > before; }, 5000));
}

} // namespace
