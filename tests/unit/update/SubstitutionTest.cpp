#include "update/Substitution.h"

#include <gtest/gtest.h>

#include <map>

using namespace pordane::update;

namespace {

const std::map<std::string, std::string> windowsFolders = {
    {"APP", "C:\\Archivos de programa\\Pordane\\"},
    {"WIN", "C:\\WINDOWS"},
    {"SYS", "C:\\WINDOWS\\system32"},
    {"TMP", "."},
    {"DOC", "D:\\"},
    {"PF", ""},
    {"LAD", "\\\\server\\share"},
};

FolderLookup lookup(const std::map<std::string, std::string>& folders)
{
    return [folders](const std::string& name) -> std::optional<std::string> {
        const auto it = folders.find(name);
        if (it == folders.end())
            return std::nullopt;
        return it->second;
    };
}

struct SubstCase {
    const char* name;
    const char* value;
    PathStyle style;
    const char* expected;
};

class PathSubstitution : public ::testing::TestWithParam<SubstCase> {};

TEST_P(PathSubstitution, ReplacesPrefixes)
{
    const auto& c = GetParam();
    const std::map<std::string, std::string> posixFolders = {
        {"APP", "/opt/pordane/"}, {"DOC", "/"}, {"APPDATA", "/home/ana/.config"}, {"TMP", "."}, {"PF", ""}};
    const auto folders = lookup(c.style == PathStyle::Windows ? windowsFolders : posixFolders);
    EXPECT_EQ(substitutePath(c.value, folders, c.style), c.expected);
}

const SubstCase substCases[] = {
    {"app", "{APP}\\vtes.exe", PathStyle::Windows, "C:\\Archivos de programa\\Pordane\\vtes.exe"},
    {"lower_case_name", "{app}\\x", PathStyle::Windows, "C:\\Archivos de programa\\Pordane\\x"},
    {"win_and_sys", "{WIN};{SYS}", PathStyle::Windows, "C:\\WINDOWS;C:\\WINDOWS\\system32"},
    {"drive_root", "{DOC}x.txt", PathStyle::Windows, "D:\\.x.txt"},
    {"drive_root_then_backslash", "{DOC}\\x.txt", PathStyle::Windows, "D:\\.\\x.txt"},
    {"dot_folder", "{TMP}\\a", PathStyle::Windows, ".\\.\\a"},
    {"empty_folder", "{PF}\\a", PathStyle::Windows, ".\\a"},
    {"unc_without_colon", "{LAD}\\a", PathStyle::Windows, "\\\\server\\share\\.\\a"},
    {"unknown_name", "{NOPE}\\a", PathStyle::Windows, ".\\a"},
    {"unset_name", "{APPDATA}\\a", PathStyle::Windows, ".\\a"},
    {"empty_braces", "{}x", PathStyle::Windows, ".x"},
    {"unclosed_brace", "{APP\\x", PathStyle::Windows, "{APP\\x"},
    {"two_prefixes", "{APP}{APP}", PathStyle::Windows, "C:\\Archivos de programa\\PordaneC:\\Archivos de programa\\Pordane"},
    {"climb_out_kept", "{APP}\\..\\otro\\x.dll", PathStyle::Windows, "C:\\Archivos de programa\\Pordane\\..\\otro\\x.dll"},
    {"no_prefix", "C:\\fijo\\a.exe", PathStyle::Windows, "C:\\fijo\\a.exe"},
    {"empty_value", "", PathStyle::Windows, ""},
    {"posix_app", "{APP}\\Vtes.EXE", PathStyle::Posix, "/opt/pordane\\Vtes.EXE"},
    {"posix_root", "{DOC}\\x", PathStyle::Posix, "/.\\x"},
    {"posix_xdg", "{APPDATA}\\pordane", PathStyle::Posix, "/home/ana/.config\\pordane"},
    {"posix_empty", "{PF}\\a", PathStyle::Posix, ".\\a"},
    {"posix_unknown", "{WIN}\\a", PathStyle::Posix, ".\\a"},
};

INSTANTIATE_TEST_SUITE_P(Table, PathSubstitution, ::testing::ValuesIn(substCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(PathSubstitution, InsertedFolderIsNotScannedAgain)
{
    const auto folders = lookup({{"APP", "C:\\{APP}"}});
    EXPECT_EQ(substitutePath("{APP}\\x", folders, PathStyle::Windows), "C:\\{APP}\\x");
}

TEST(TextSubstitution, BackslashNBecomesCarriageReturn)
{
    EXPECT_EQ(substituteText("Hola\\nmundo\\\\n\\N"), "Hola\rmundo\\\r\\N");
    EXPECT_EQ(substituteText("fin\\"), "fin\\");
    EXPECT_EQ(substituteText(""), "");
}

TEST(FileNameOfAddress, TakesTheLastPart)
{
    EXPECT_EQ(fileNameOfAddress("http://h/actualiza/vtes_vxt.inf"), "vtes_vxt.inf");
    EXPECT_EQ(fileNameOfAddress("http://h/a/b\\c.exe"), "c.exe");
    EXPECT_EQ(fileNameOfAddress("http://h/get?file=x.zip"), "file=x.zip");
    EXPECT_EQ(fileNameOfAddress("http://h/dir/"), "");
    EXPECT_EQ(fileNameOfAddress("plain"), "plain");
}

} // namespace
