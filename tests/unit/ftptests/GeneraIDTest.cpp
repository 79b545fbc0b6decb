// The per-test identifier: its arithmetic, its zero case and its text.
#include "support/views/RecordingViews.h"

#include "ftptests/GeneraID.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

using namespace pordane::ftptests;
using pordane::testsupport::RecordingDialogs;

namespace {

IdSources pinned(double r, LocalDateTime when)
{
    return IdSources{[r] { return r; }, [when] { return when; }};
}

TEST(DayCount, CountsDaysSince30December1899WithTheFractionOfTheDay)
{
    EXPECT_EQ(dayCount({1899, 12, 30}), 0.0);
    EXPECT_EQ(dayCount({1900, 1, 1}), 2.0);
    EXPECT_EQ(dayCount({1900, 3, 1}), 61.0); // 1900 was no leap year
    EXPECT_EQ(dayCount({2009, 7, 6}), 40000.0);
    EXPECT_EQ(dayCount({2015, 8, 17, 12, 0, 0, 0}), 42233.5);
    EXPECT_EQ(dayCount({2015, 8, 17, 6, 0, 0, 0}), 42233.25);
    EXPECT_DOUBLE_EQ(dayCount({2015, 8, 17, 0, 0, 1, 500}), 42233.0 + 1.5 / 86400.0);
}

TEST(GeneraID, WorkedExampleAndItsText)
{
    RecordingDialogs dialogs;
    const double id = GeneraID(dialogs, pinned(0.25, {2015, 8, 17, 12, 0, 0, 0}));
    EXPECT_EQ(id, 22337500000.0);
    EXPECT_EQ(IdText(id), "22337500000");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(GeneraID, ZeroAtMidnightOfATenThousandthDayIsReportedOnce)
{
    for (LocalDateTime day : {LocalDateTime{2009, 7, 6}, LocalDateTime{1899, 12, 30}, LocalDateTime{2036, 11, 21}}) {
        ASSERT_EQ(std::fmod(dayCount(day), 10000.0), 0.0);
        RecordingDialogs dialogs;
        const double id = GeneraID(dialogs, pinned(0.0, day));
        EXPECT_EQ(id, 0.0);
        EXPECT_EQ(IdText(id), "0");
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0], "Error creando ID");
    }
    // One tick later it is no longer zero.
    RecordingDialogs dialogs;
    EXPECT_GT(GeneraID(dialogs, pinned(0.0, {2009, 7, 6, 0, 0, 0, 9})), 0.0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(GeneraID, UsesExtendedPrecision)
{
    if (std::numeric_limits<long double>::digits < 64)
        GTEST_SKIP() << "long double is no wider than double here";
    // r + now = 42233.75 - 2^-40 exactly; times 10^7 this lies just below
    // 422337500000, so the truncation gives ...499999. In double the sum
    // would round up to 42233.75 and give ...500000.
    RecordingDialogs dialogs;
    const double r = 0.25 - std::ldexp(1.0, -40);
    EXPECT_EQ(GeneraID(dialogs, pinned(r, {2015, 8, 17, 12, 0, 0, 0})), 22337499999.0);
}

TEST(GeneraID, DependsOnTheTimeOfDayAndTheDateWithinTheTenThousandDays)
{
    RecordingDialogs dialogs;
    // Noon adds half a day: 5,000,000 units.
    const double midnight = GeneraID(dialogs, pinned(0.0, {2015, 8, 17}));
    const double noon = GeneraID(dialogs, pinned(0.0, {2015, 8, 17, 12, 0, 0, 0}));
    EXPECT_EQ(noon - midnight, 5000000.0);
    // The date enters only modulo 10,000 days: day 42233 gives 2233 * 10^7.
    EXPECT_EQ(midnight, 22330000000.0);
    // A millisecond is 10^7 / 86,400,000 units: 1 s moves the id by 115.
    const double oneSecond = GeneraID(dialogs, pinned(0.0, {2015, 8, 17, 0, 0, 1, 0}));
    EXPECT_EQ(oneSecond - midnight, 115.0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(GeneraID, DefaultSourcesGiveWholeDistinctIdentifiers)
{
    seedRandomGenerator();
    RecordingDialogs dialogs;
    std::set<std::string> texts;
    for (int i = 0; i < 20; ++i) {
        const double id = GeneraID(dialogs);
        EXPECT_EQ(id, std::trunc(id));
        EXPECT_GE(id, 0.0);
        const std::string text = IdText(id);
        EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos) << text;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 20u);
}

TEST(RandomGenerator, StaysInTheUnitIntervalAndIsSpread)
{
    seedRandomGenerator();
    double low = 1.0, high = 0.0, sum = 0.0;
    const int n = 10000;
    for (int i = 0; i < n; ++i) {
        const double r = nextRandom();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        low = std::min(low, r);
        high = std::max(high, r);
        sum += r;
    }
    EXPECT_LT(low, 0.01);
    EXPECT_GT(high, 0.99);
    EXPECT_NEAR(sum / n, 0.5, 0.05);
}

TEST(IdText, PlainDigitsWithoutGroupingFractionOrExponent)
{
    EXPECT_EQ(IdText(0.0), "0");
    EXPECT_EQ(IdText(7.0), "7");
    EXPECT_EQ(IdText(1000000.0), "1000000");
    EXPECT_EQ(IdText(99999999999.0), "99999999999");
    EXPECT_EQ(IdText(100000000000.0), "100000000000");
    EXPECT_EQ(IdText(999999999999999.0), "999999999999999");
}

} // namespace
