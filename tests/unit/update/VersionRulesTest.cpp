#include "update/VersionRules.h"

#include "support/files/TempDir.h"

#include <gtest/gtest.h>


using namespace pordane::update;

namespace {

struct VersionTextCase {
    const char* text;
    const char* packed; // nullptr: no version
};

class VersionText : public ::testing::TestWithParam<VersionTextCase> {};

TEST_P(VersionText, PacksLikeAFileVersion)
{
    const auto& c = GetParam();
    const auto v = parseVersionText(c.text);
    if (!c.packed) {
        EXPECT_FALSE(v.has_value()) << c.text;
        return;
    }
    ASSERT_TRUE(v.has_value()) << c.text;
    EXPECT_EQ(versionText(*v), c.packed);
}

INSTANTIATE_TEST_SUITE_P(Table, VersionText,
                         ::testing::Values(VersionTextCase{"4.5", "4.5.0.0"}, VersionTextCase{"4.5.0.1", "4.5.0.1"},
                                           VersionTextCase{"4,6", "4.6.0.0"}, VersionTextCase{"4,6.1", "4.6.0.0"},
                                           VersionTextCase{"1.2.3.4.5", "1.2.3.4"}, VersionTextCase{" 7 ", "7.0.0.0"},
                                           VersionTextCase{"3.x.2", "3.0.2.0"}, VersionTextCase{"65536.1", "0.1.0.0"},
                                           VersionTextCase{"65535.65535", "65535.65535.0.0"},
                                           VersionTextCase{"garbage", nullptr}, VersionTextCase{"", nullptr},
                                           VersionTextCase{".5", nullptr}, VersionTextCase{"-1.0", nullptr}));

TEST(VersionText, PackingIsMajorMinorHighLow)
{
    EXPECT_EQ(parseVersionText("4.5.2.7"), (PackedVersion{0x00040005u, 0x00020007u}));
}

struct NewerCase {
    const char* remote;
    const char* local;
    bool newer;
};

class VersionComparison : public ::testing::TestWithParam<NewerCase> {};

TEST_P(VersionComparison, WordsComparedAsSigned)
{
    const auto& c = GetParam();
    EXPECT_EQ(isNewerVersion(*parseVersionText(c.remote), *parseVersionText(c.local)), c.newer)
        << c.remote << " vs " << c.local;
}

INSTANTIATE_TEST_SUITE_P(Table, VersionComparison,
                         ::testing::Values(NewerCase{"4.5", "4.5.0.0", false}, NewerCase{"4.5.0.1", "4.5.0.0", true},
                                           NewerCase{"4,6", "4.5.9.9", true}, NewerCase{"4.4.9.9", "4.5", false},
                                           NewerCase{"4.5.1", "4.5.0.65535", true},
                                           // The first word of 65535.65535 is -1 as a signed number.
                                           NewerCase{"65535.65535", "1.0", false},
                                           NewerCase{"1.0", "65535.65535", true},
                                           NewerCase{"4.5.32768", "4.5.1", false}));

using FileRules = pordane::testsupport::TempFolderTest;

TEST_F(FileRules, ChecksumIsAByteSumFromMinusOne)
{
    EXPECT_EQ(byteSumChecksum(write("empty", "")), -1);
    EXPECT_EQ(byteSumChecksum(write("abc", "abc")), 0x61 + 0x62 + 0x63 - 1);
    EXPECT_EQ(byteSumChecksum(write("high", "\xFF\xFF")), 0x1FE - 1);
    EXPECT_EQ(byteSumChecksum(write("one", "\x01")), 0); // wraps to 0
    EXPECT_EQ(byteSumChecksum(m_dir / "missing"), -1);
}

std::optional<PackedVersion> fixedVersion(const std::filesystem::path& p)
{
    if (p.filename() == "versioned.exe")
        return PackedVersion{0x00040005u, 0u};
    return std::nullopt;
}

struct ComparisonCase {
    const char* name;
    const char* newVersion;
    const char* local; // file name in the folder; "" = empty path
    int32_t newChecksum;
    int64_t newSize;
    bool newer;
};

class ComparisonRule : public FileRules, public ::testing::WithParamInterface<ComparisonCase> {};

TEST_P(ComparisonRule, DecidesNewer)
{
    const auto& c = GetParam();
    write("versioned.exe", "abcd");
    write("zero-sum.bin", "\x01");        // checksum 0
    write("plain.txt", "12345678");       // 8 bytes, no version
    write("empty.bin", "");
    const ComparisonInput in{c.newVersion, *c.local ? m_dir / c.local : std::filesystem::path(), c.newChecksum,
                             c.newSize};
    EXPECT_EQ(compareWithLocal(in, &fixedVersion).newer, c.newer);
}

const ComparisonCase comparisonCases[] = {
    {"nothing_given", "", "plain.txt", -1, 0, true},
    {"no_local_path", "9.0", "", -1, 0, true},
    {"local_missing", "9.0", "missing.exe", -1, 0, false},
    {"local_missing_even_by_size", "", "missing.exe", -1, 10, false},
    {"checksum_equal", "", "versioned.exe", 0x61 + 0x62 + 0x63 + 0x64 - 1, 0, false},
    {"checksum_differs", "", "versioned.exe", 5, 0, true},
    {"local_checksum_zero_counts_equal", "", "zero-sum.bin", 12345, 0, false},
    {"checksum_wins_over_version", "9.9", "versioned.exe", 0x61 + 0x62 + 0x63 + 0x64 - 1, 0, false},
    {"version_newer", "4.5.0.1", "versioned.exe", -1, 0, true},
    {"version_same", "4.5", "versioned.exe", -1, 0, false},
    {"version_local_has_none", "9.0", "plain.txt", -1, 0, false},
    {"version_text_garbage", "nueva", "versioned.exe", -1, 0, false},
    {"size_differs", "", "plain.txt", -1, 9, true},
    {"size_same", "", "plain.txt", -1, 8, false},
    {"size_local_empty", "", "empty.bin", -1, 3, false},
    {"negative_size_compares_versions", "4.6", "versioned.exe", -1, -5, true},
};

INSTANTIATE_TEST_SUITE_P(Table, ComparisonRule, ::testing::ValuesIn(comparisonCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(FileRules, VersionComparisonWritesBothTexts)
{
    write("versioned.exe", "x");
    const auto r = compareWithLocal({"4,6", m_dir / "versioned.exe", -1, 0}, &fixedVersion);
    EXPECT_TRUE(r.newer);
    EXPECT_EQ(r.newVersionText, "4.6.0.0");
    EXPECT_EQ(r.localVersionText, "4.5.0.0");
}

struct DateCase {
    const char* date;
    const char* time;
    int year, month, day, hour, minute;
};

class ControlDates : public ::testing::TestWithParam<DateCase> {};

TEST_P(ControlDates, ReadAsLocalTime)
{
    const auto& c = GetParam();
    std::tm tm{};
    tm.tm_year = c.year - 1900;
    tm.tm_mon = c.month - 1;
    tm.tm_mday = c.day;
    tm.tm_hour = c.hour;
    tm.tm_min = c.minute;
    tm.tm_isdst = -1;
    EXPECT_EQ(controlDateTime(c.date, c.time), std::mktime(&tm)) << c.date << " " << c.time;
}

INSTANTIATE_TEST_SUITE_P(Table, ControlDates,
                         ::testing::Values(DateCase{"25/12/2026", "17:45", 2026, 12, 25, 17, 45},
                                           DateCase{"1/2/2024", "", 2024, 2, 1, 0, 0},
                                           DateCase{"29/02/2024", "9:05", 2024, 2, 29, 9, 5},
                                           DateCase{"29/02/2023", "10:00", 1980, 1, 1, 10, 0},
                                           DateCase{"31/04/2025", "", 1980, 1, 1, 0, 0},
                                           DateCase{"2025-01-01", "25:00", 1980, 1, 1, 0, 0},
                                           DateCase{"01/01/26", "23:59", 2026, 1, 1, 23, 59},
                                           DateCase{"", "12:30", 1980, 1, 1, 12, 30}));

} // namespace
