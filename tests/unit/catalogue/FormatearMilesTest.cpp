#include "catalogue/HostDiscovery.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace pordane;

TEST(FormatearMiles, GroupsDigitsInThreesWithDots)
{
    EXPECT_EQ(catalogue::FormatearMiles(0), "0");
    EXPECT_EQ(catalogue::FormatearMiles(7), "7");
    EXPECT_EQ(catalogue::FormatearMiles(123), "123");
    EXPECT_EQ(catalogue::FormatearMiles(1000), "1.000");
    EXPECT_EQ(catalogue::FormatearMiles(12345), "12.345");
    EXPECT_EQ(catalogue::FormatearMiles(999999), "999.999");
    EXPECT_EQ(catalogue::FormatearMiles(1000000), "1.000.000");
    EXPECT_EQ(catalogue::FormatearMiles(1234567), "1.234.567");
    EXPECT_EQ(catalogue::FormatearMiles(std::numeric_limits<std::int64_t>::max()), "9.223.372.036.854.775.807");
}

TEST(FormatearMiles, NegativeNumbersKeepTheSignOutsideTheGroups)
{
    EXPECT_EQ(catalogue::FormatearMiles(-123), "-123");
    EXPECT_EQ(catalogue::FormatearMiles(-123456), "-123.456");
    EXPECT_EQ(catalogue::FormatearMiles(std::numeric_limits<std::int64_t>::min()), "-9.223.372.036.854.775.808");
}
