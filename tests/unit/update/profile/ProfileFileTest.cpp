#include "update/profile/ProfileFile.h"

#include "support/files/TempDir.h"

#include <gtest/gtest.h>

#include <random>

using pordane::profile::ProfileFile;

namespace {

struct ProfileCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    const char* expected; // nullptr: missing
};

std::ostream& operator<<(std::ostream& os, const ProfileCase& c)
{
    return os << c.name;
}

class ProfileSemantics : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileSemantics, ReadsAsTheProfileFunctions)
{
    const auto& c = GetParam();
    const ProfileFile f = ProfileFile::parse(c.text);
    const std::string got = f.readString(c.section, c.key, "<missing>");
    EXPECT_EQ(got, c.expected ? std::string(c.expected) : std::string("<missing>"));
}

const ProfileCase profileCases[] = {
    {"plain", "[update]\nnewversion=4.6\n", "update", "newversion", "4.6"},
    {"crlf", "[update]\r\nnewversion=4.6\r\n", "update", "newversion", "4.6"},
    {"section_case", "[UpDaTe]\nnewversion=1\n", "update", "newversion", "1"},
    {"key_case", "[update]\nNEWVERSION=2\n", "Update", "NewVersion", "2"},
    {"blanks_around", "  [ update ]  \n\t newversion \t=  4.7  \n", "update", "newversion", "4.7"},
    {"double_quotes", "[a]\nk=\"  quoted  \"\n", "a", "k", "  quoted  "},
    {"single_quotes", "[a]\nk='x y'\n", "a", "k", "x y"},
    {"one_pair_only", "[a]\nk=\"\"x\"\"\n", "a", "k", "\"x\""},
    {"unbalanced_quote_kept", "[a]\nk=\"x\n", "a", "k", "\"x"},
    {"first_key_wins", "[a]\nk=first\nk=second\n", "a", "k", "first"},
    {"first_key_wins_across_sections", "[a]\nk=one\n[b]\n[A]\nk=two\nj=3\n", "a", "k", "one"},
    {"repeated_section_adds_keys", "[a]\nk=one\n[b]\n[A]\nk=two\nj=3\n", "a", "j", "3"},
    {"comment_line", "[a]\n;k=commented\nk=real\n", "a", "k", "real"},
    {"no_inline_comment", "[a]\nk=v ; not a comment\n", "a", "k", "v ; not a comment"},
    {"value_with_equals", "[a]\nk=x=y\n", "a", "k", "x=y"},
    {"empty_value", "[a]\nk=\n", "a", "k", ""},
    {"key_before_section_ignored", "k=orphan\n[a]\n", "a", "k", nullptr},
    {"missing_section", "[a]\nk=1\n", "b", "k", nullptr},
    {"text_after_bracket", "[a] trailing\nk=1\n", "a", "k", "1"},
    {"utf8_bom",
     "\xEF\xBB\xBF[a]\nk=Compa\xC3\xB1\xC3\xAD"
     "a\n",
     "a", "k",
     "Compa\xC3\xB1\xC3\xAD"
     "a"},
    {"windows_1252",
     "[a]\nk=Compa\xF1\xED"
     "a \x80\n",
     "a", "k",
     "Compa\xC3\xB1\xC3\xAD"
     "a \xE2\x82\xAC"},
    {"utf8_accented_key",
     "[acci\xC3\xB3"
     "n]\nT\xC3\x8D"
     "TULO=s\n",
     "ACCI\xC3\x93"
     "N",
     "t\xC3\xADtulo", "s"},
    {"line_without_equals", "[a]\njunk\nk=1\n", "a", "k", "1"},
    {"header_without_close", "[a]\nk=1\n[broken\nk2=2\n", "a", "k2", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Table, ProfileSemantics, ::testing::ValuesIn(profileCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct IntegerCase {
    const char* text;
    int def;
    int expected;
};

class IntegerValues : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerValues, ReadLikeStrToIntDef)
{
    const auto& c = GetParam();
    const ProfileFile f = ProfileFile::parse(std::string("[a]\nk=") + c.text + "\n");
    EXPECT_EQ(f.readInteger("a", "k", c.def), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, IntegerValues,
                         ::testing::Values(IntegerCase{"12", 0, 12}, IntegerCase{"-1", 0, -1}, IntegerCase{"+7", 0, 7},
                                           IntegerCase{"$1F", 0, 31}, IntegerCase{"0x10", 0, 16},
                                           IntegerCase{"12abc", -1, -1}, IntegerCase{"", 5, 5},
                                           IntegerCase{"2147483647", 0, 2147483647}, IntegerCase{"2147483648", 9, 9},
                                           IntegerCase{"-2147483648", 0, INT32_MIN}, IntegerCase{"1.5", 3, 3},
                                           IntegerCase{"  42 ", 0, 42}));

TEST(ProfileFile, FindTellsAnEmptyValueFromAMissingKey)
{
    const ProfileFile f = ProfileFile::parse("[FILES]\nCOUNT=3\nEMPTY=\n");
    EXPECT_EQ(f.find("files", "count"), "3");
    EXPECT_EQ(f.find("FILES", "EMPTY"), "");
    EXPECT_EQ(f.find("FILES", "MISSING"), std::nullopt);
    EXPECT_EQ(f.find("OTHER", "COUNT"), std::nullopt);
}

TEST(ProfileFile, MissingKeyGivesTheDefault)
{
    const ProfileFile f = ProfileFile::parse("[files]\n");
    EXPECT_EQ(f.readInteger("files", "count", 0), 0);
    EXPECT_EQ(f.readInteger("update", "newchecksum", -1), -1);
    EXPECT_EQ(f.readString("whatsnew", "caption", "What's new"), "What's new");
    EXPECT_TRUE(f.hasSection("FILES"));
}

TEST(ProfileFile, HighestNumberedSectionIgnoresLeadingZerosAndOtherNames)
{
    const ProfileFile f = ProfileFile::parse("[file1]\n[FILE12]\n[file012]\n[file99999999999]\n[files]\n[filex3]\n");
    EXPECT_EQ(f.highestNumberedSection("file"), 12);
    EXPECT_EQ(ProfileFile::parse("[files]\n").highestNumberedSection("file"), 0);
}

using HostileFiles = pordane::testsupport::TempFolderTest;

TEST_F(HostileFiles, ReadAsNoKeys)
{
    std::mt19937 rng(1234);
    std::string garbage(10 * 1024 * 1024, '\0');
    for (auto& c : garbage)
        c = static_cast<char>(rng());
    // The garbage hides a well-formed section: still no keys, the file is refused whole.
    garbage.replace(5000, 24, "\n[update]\nnewversion=9\n");
    std::string binary = "[update]\nnewversion=9\n";
    binary += std::string("\0\x01\x02", 3);

    EXPECT_TRUE(ProfileFile::load(m_dir / "missing.inf").empty());
    EXPECT_TRUE(ProfileFile::load(write("empty.inf", "")).empty());
    EXPECT_TRUE(ProfileFile::load(write("garbage.inf", garbage)).empty());
    EXPECT_TRUE(ProfileFile::load(write("binary.inf", binary)).empty());
    EXPECT_TRUE(ProfileFile::load(m_dir).empty()); // a folder
    EXPECT_FALSE(ProfileFile::load(write("good.inf", "[update]\nnewversion=9\n")).empty());
}

TEST_F(HostileFiles, LongLinesAndManySectionsStayBounded)
{
    std::string text = "[a]\nk=" + std::string(ProfileFile::MaxBytes / 2, 'x') + "\n";
    for (int i = 0; text.size() < ProfileFile::MaxBytes - 16; ++i)
        text += "[s" + std::to_string(i) + "]\n";
    const ProfileFile f = ProfileFile::load(write("big.inf", text));
    EXPECT_EQ(f.readString("a", "k").size(), ProfileFile::MaxBytes / 2);
    EXPECT_TRUE(f.hasSection("s1000"));
}

} // namespace
