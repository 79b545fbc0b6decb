// The speed test's arithmetic: whole seconds, KB/s rounded half to even, texts.
#include "ftp/SpeedState.h"

#include <gtest/gtest.h>

using namespace pordane::ftp;
using namespace std::chrono;
using namespace std::chrono_literals;

namespace {
const steady_clock::time_point t0 = steady_clock::time_point{} + 1000h;
constexpr std::int32_t ThreeMB = 3 * 1048576;
} // namespace

TEST(SpeedArithmetic, WorkedExampleOfThreeMegabytesInSevenPointFourSeconds)
{
    const std::int64_t s = finalSegundosTransfer(t0, t0 + 7400ms);
    EXPECT_EQ(s, 7);
    const double kbs = finalVelocidadKBs(ThreeMB, s); // 438.86
    EXPECT_EQ(kbs, 439);
    EXPECT_EQ(speedText(kbs), "439 KB/s");
    EXPECT_EQ(secondsText(s), "7 segs.");
}

TEST(SpeedArithmetic, TransferWithinTheSameSecondCountsAsOne)
{
    for (auto d : {0ms, 1ms, 999ms}) {
        const std::int64_t s = finalSegundosTransfer(t0, t0 + d);
        EXPECT_EQ(s, 1) << d.count();
        EXPECT_EQ(speedText(finalVelocidadKBs(ThreeMB, s)), "3072 KB/s");
        EXPECT_EQ(secondsText(s), "1 segs.");
    }
}

TEST(SpeedArithmetic, SecondsAreTruncatedWholeMillisecondsEitherWayRound)
{
    EXPECT_EQ(secondsBetween(t0, t0 + 1900ms), 1);
    EXPECT_EQ(secondsBetween(t0, t0 + 1999ms), 1);
    EXPECT_EQ(secondsBetween(t0, t0 + 2000ms), 2);
    EXPECT_EQ(secondsBetween(t0 + 2000ms, t0), 2);    // absolute difference
    EXPECT_EQ(secondsBetween(t0, t0 + 2999999us), 2); // sub-millisecond parts dropped
    EXPECT_EQ(finalSegundosTransfer(t0, t0 + 2000ms), 2);
}

TEST(SpeedArithmetic, RoundingSendsTiesToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(438.5), 438);
    EXPECT_EQ(roundHalfEven(438.51), 439);
    EXPECT_EQ(roundHalfEven(0.49), 0);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    // 1 MB in 3 s: 341.33 KB/s; 5 MB in 2 s: exactly 2560.
    EXPECT_EQ(finalVelocidadKBs(1048576, 3), 341);
    EXPECT_EQ(finalVelocidadKBs(5 * 1048576, 2), 2560);
    // 1,536 bytes in one second is 1.5 KB/s, a tie: rounds to 2; 2,560 bytes is 2.5: rounds to 2.
    EXPECT_EQ(finalVelocidadKBs(1536, 1), 2);
    EXPECT_EQ(finalVelocidadKBs(2560, 1), 2);
}

TEST(SpeedArithmetic, LiveSpeedIsZeroForTheFirstTwoSeconds)
{
    EXPECT_EQ(liveVelocidadKBs(5'000'000, 0), 0);
    EXPECT_EQ(liveVelocidadKBs(5'000'000, 1), 0);
    EXPECT_DOUBLE_EQ(liveVelocidadKBs(2 * 1024 * 1000, 2), 1000.0);
}

TEST(SpeedArithmetic, LiveTextIsGroupedFinalTextIsNot)
{
    EXPECT_EQ(groupedSpeedText(1234), "1.234 KB/s");
    EXPECT_EQ(speedText(1234), "1234 KB/s");
    EXPECT_EQ(groupedSpeedText(12345), "12.345 KB/s");
    EXPECT_EQ(groupedSpeedText(1234567.5), "1.234.568 KB/s");
    EXPECT_EQ(groupedSpeedText(0), "0 KB/s");
    EXPECT_EQ(groupedSpeedText(999.5), "1.000 KB/s");
}

TEST(SpeedArithmetic, MegabitsPerSecond)
{
    EXPECT_DOUBLE_EQ(aMbps(10240), 80.0);
    EXPECT_DOUBLE_EQ(aMbps(128), 1.0);
    EXPECT_DOUBLE_EQ(aMbps(0), 0.0);
}
