#include "restarter/ProfileFile.h"

#include "TempDir.h"

#include <gtest/gtest.h>


using pordane::restarter::ProfileFile;

namespace {

struct ProfileCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

class ProfileRead : public testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileRead, AsTheProfileFunctions)
{
    EXPECT_EQ(ProfileFile::parse(GetParam().text).value(GetParam().section, GetParam().key), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileRead,
    testing::Values(
        ProfileCase{"CaseOfNames", "[config]\nlogfilename=a.log\n", "CONFIG", "LOGFILENAME", "a.log"},
        ProfileCase{"FirstMatchWins", "[CONFIG]\nK=1\nk=2\n[config]\nK=3\n", "Config", "k", "1"},
        ProfileCase{"BlanksAndQuotes", "  [ CONFIG ]  \r\n  K  =  \" x y \"  \r\n", "CONFIG", "K", " x y "},
        ProfileCase{"OnlyOnePairOfQuotes", "[S]\nK=\"\"a\"\"\n", "S", "K", "\"a\""},
        ProfileCase{"CommentLine", "[S]\n;K=1\nK=2\n", "S", "K", "2"},
        ProfileCase{"NoInlineComment", "[S]\nK=1 ; two\n", "S", "K", "1 ; two"},
        ProfileCase{"KeyBeforeAnySection", "K=1\n[S]\n", "S", "K", std::nullopt},
        ProfileCase{"OtherSection", "[A]\nK=1\n[B]\n", "B", "K", std::nullopt},
        ProfileCase{"ByteOrderMark", "\xEF\xBB\xBF[S]\nK=v\n", "S", "K", "v"},
        ProfileCase{"EqualsInValue", "[S]\nK=a=b\n", "S", "K", "a=b"},
        ProfileCase{"Binary", "\x01\x02[\xff\n=\n\0", "S", "K", std::nullopt}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ProfileFile, NumbersAndDefaults)
{
    const auto ini = ProfileFile::parse("[FILES]\nCOUNT=3\nBAD=x\nEMPTY=\n");
    EXPECT_EQ(ini.number("files", "count", 0), 3);
    EXPECT_EQ(ini.number("FILES", "BAD", -7), -7);
    EXPECT_EQ(ini.number("FILES", "MISSING", 5), 5);
    EXPECT_EQ(ini.value("FILES", "EMPTY", "PUPDATE.LOG"), "PUPDATE.LOG");
    EXPECT_EQ(ini.value("FILES", "COUNT", "x"), "3");
}

TEST(ProfileFile, MissingAndHugeFilesReadAsEmpty)
{
    const pordane::testing::TempDir dir;
    EXPECT_FALSE(ProfileFile::load(dir / "none.ini").value("S", "K"));
    pordane::testing::writeAll(dir / "huge.ini", "[S]\nK=1\n" + std::string(3 << 20, 'x'));
    EXPECT_FALSE(ProfileFile::load(dir / "huge.ini").value("S", "K"));
}

} // namespace
