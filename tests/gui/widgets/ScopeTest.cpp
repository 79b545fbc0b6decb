// The strip chart: limited samples, scrolling, its own step, and where a
// render puts the newest sample.
#include "widgets/Scope.h"
#include "support/gui/WidgetPixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using pordane::widgets::Scope;
using namespace pordane::testsupport;

void feed(Scope& scope, int value, int times)
{
    for (int i = 0; i < times; ++i)
        scope.addSample(value);
}

bool anyTraceIn(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (similar(image.pixelColor(x, y), Scope::traceColor(), 40))
                return true;
    return false;
}

TEST(Scope, LimitsSamplesToZeroTo2000AndKeepsTheNewestWithinCapacity)
{
    Scope scope;
    for (const int value : {-5, 0, 1500, 2000, 5000, 10240})
        scope.addSample(value);
    EXPECT_EQ(scope.samples(), (std::vector<int>{0, 0, 1500, 2000, 2000, 2000}));

    scope.setCapacity(4);
    EXPECT_EQ(scope.samples(), (std::vector<int>{1500, 2000, 2000, 2000}));
    for (const int value : {10, 20, 30})
        scope.addSample(value);
    EXPECT_EQ(scope.samples(), (std::vector<int>{2000, 10, 20, 30}));
    scope.setCapacity(0);
    EXPECT_EQ(scope.capacity(), 2);
    EXPECT_EQ(scope.samples(), (std::vector<int>{20, 30}));
}

TEST(Scope, ClearEmptiesTheTrace)
{
    Scope scope;
    scope.resize(300, 120);
    feed(scope, 1000, 30);
    ASSERT_TRUE(anyTraceIn(renderAt(scope)));
    scope.clear();
    EXPECT_TRUE(scope.samples().empty());
    EXPECT_FALSE(anyTraceIn(renderAt(scope)));
    scope.addSample(700);
    EXPECT_EQ(scope.samples(), std::vector<int>{700});
}

TEST(Scope, NewestSampleSitsAtTheRightEdgeFromBottomToTop)
{
    const QSize size(300, 120);
    const QPoint zero = Scope::newestSamplePixel(size, 0);
    const QPoint half = Scope::newestSamplePixel(size, 1000);
    const QPoint full = Scope::newestSamplePixel(size, 2000);
    for (const QPoint& p : {zero, half, full}) {
        EXPECT_GE(p.x(), size.width() - 6);
        EXPECT_LT(p.x(), size.width());
    }
    EXPECT_GE(zero.y(), size.height() - 6);
    EXPECT_LT(zero.y(), size.height());
    EXPECT_LE(full.y(), 5);
    EXPECT_GE(full.y(), 0);
    EXPECT_NEAR(half.y(), size.height() / 2, 1);
    EXPECT_EQ(Scope::newestSamplePixel(size, 5000), full);
    EXPECT_EQ(Scope::newestSamplePixel(size, -40), zero);
}

TEST(Scope, RenderDrawsTheNewestSampleWhereComputedAtAnyPixelRatio)
{
    Scope scope;
    scope.resize(300, 120);
    for (const int value : {0, 1000, 2000}) {
        SCOPED_TRACE(value);
        scope.clear();
        feed(scope, value, 40);
        const QPoint at = Scope::newestSamplePixel(scope.size(), value);
        for (const qreal dpr : {1.0, 2.0}) {
            const QImage image = renderAt(scope, dpr);
            const QPointF centre(at.x() + 0.5, at.y() + 0.5);
            EXPECT_TRUE(colourNear(image, centre, 0.5, Scope::traceColor(), 30)) << dpr;
            // Only the trace row has the trace colour: above it is background,
            // below it the faint fill.
            EXPECT_FALSE(colourNear(image, centre + QPointF(0, -5), 1.0, Scope::traceColor(), 60)) << dpr;
            if (value > 0) {
                EXPECT_FALSE(colourNear(image, centre + QPointF(0, 5), 1.0, Scope::traceColor(), 60)) << dpr;
            }
        }
    }
}

TEST(Scope, ValuesAbove2000AreDrawnExactlyLike2000)
{
    Scope limit;
    Scope beyond;
    for (Scope* scope : {&limit, &beyond})
        scope->resize(260, 100);
    for (int i = 0; i < 50; ++i) {
        limit.addSample(i % 2 == 0 ? 2000 : 800);
        beyond.addSample(i % 2 == 0 ? 5000 : 800);
    }
    EXPECT_EQ(renderAt(limit), renderAt(beyond));
    EXPECT_EQ(renderAt(limit, 2.0), renderAt(beyond, 2.0));
}

// Each new sample pushes the older ones one step to the left.
TEST(Scope, OlderSamplesMoveLeftAsNewOnesArrive)
{
    Scope scope;
    scope.resize(300, 120);
    scope.setCapacity(20);
    const QSizeF size(scope.size());
    scope.addSample(2000);
    feed(scope, 0, 3);
    QImage image = renderAt(scope);
    EXPECT_TRUE(colourNear(image, Scope::samplePoint(size, 20, 3, 2000), 1.0, Scope::traceColor(), 30));
    EXPECT_FALSE(colourNear(image, Scope::samplePoint(size, 20, 0, 2000), 2.0, Scope::traceColor(), 60));

    scope.addSample(0);
    image = renderAt(scope);
    EXPECT_TRUE(colourNear(image, Scope::samplePoint(size, 20, 4, 2000), 1.0, Scope::traceColor(), 30));
    EXPECT_FALSE(colourNear(image, Scope::samplePoint(size, 20, 3, 2000), 2.0, Scope::traceColor(), 60));
}

// The background is cached; after a resize or a change of pixel ratio the
// chart must render exactly like a fresh one with the same samples.
TEST(Scope, CachedBackgroundFollowsSizeAndPixelRatio)
{
    Scope used;
    used.resize(200, 80);
    feed(used, 1500, 10);
    (void)renderAt(used, 1.0);
    (void)renderAt(used, 2.0);
    used.resize(340, 150);
    const QPoint at = Scope::newestSamplePixel(used.size(), 1500);
    EXPECT_GE(at.x(), 334);
    for (const qreal dpr : {1.0, 2.0, 1.5}) {
        Scope fresh;
        fresh.resize(340, 150);
        feed(fresh, 1500, 10);
        const QImage image = renderAt(used, dpr);
        EXPECT_EQ(image, renderAt(fresh, dpr)) << dpr;
        EXPECT_TRUE(colourNear(image, QPointF(at.x() + 0.5, at.y() + 0.5), 0.5, Scope::traceColor(), 30)) << dpr;
    }
}

TEST(Scope, OwnStepRecordsZeroOnlyWhileActive)
{
    Scope scope;
    EXPECT_FALSE(scope.active());
    EXPECT_EQ(scope.stepInterval(), 1000);
    scope.addSample(1200);
    scope.step();
    EXPECT_EQ(scope.samples(), std::vector<int>{1200});
    EXPECT_FALSE(scope.stepping());

    scope.setActive(true);
    EXPECT_TRUE(scope.active());
    EXPECT_TRUE(scope.stepping());
    scope.step();
    EXPECT_EQ(scope.samples(), (std::vector<int>{1200, 0}));

    scope.setActive(false);
    EXPECT_FALSE(scope.stepping());
    scope.step();
    EXPECT_EQ(scope.samples(), (std::vector<int>{1200, 0}));
}

TEST(Scope, OwnTimerStepsWhileActiveAndStopsWhenDeactivated)
{
    Scope scope;
    scope.setStepInterval(5);
    scope.addSample(900);
    scope.setActive(true);
    ASSERT_TRUE(QTest::qWaitFor([&scope] { return scope.samples().size() >= 4; }, 5000));
    const std::vector<int> running = scope.samples();
    EXPECT_EQ(running.front(), 900);
    for (size_t i = 1; i < running.size(); ++i)
        EXPECT_EQ(running[i], 0);

    scope.setActive(false);
    const size_t stopped = scope.samples().size();
    ASSERT_TRUE(letIntervalsPass(5, 6));
    EXPECT_EQ(scope.samples().size(), stopped);
}

} // namespace
