#include "platform/PathMatch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

using namespace pordane::platform;

namespace {

class ControlPaths : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() / ("pordane-pm-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir / "Programa" / "Datos");
        std::ofstream(m_dir / "Programa" / "Datos" / "Lista.TXT") << "x";
        std::ofstream(m_dir / "Programa" / "Vtes.exe") << "x";
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::filesystem::path m_dir;
};

TEST_F(ControlPaths, MatchExistingPartsInAnyCase)
{
    const std::string base = m_dir.string();
    const struct {
        std::string control;
        std::filesystem::path expected;
    } cases[] = {
        {base + "\\PROGRAMA\\datos\\lista.txt", m_dir / "Programa" / "Datos" / "Lista.TXT"},
        {base + "/programa/VTES.EXE", m_dir / "Programa" / "Vtes.exe"},
        {base + "\\Programa\\Nuevo\\Otro.dll", m_dir / "Programa" / "Nuevo" / "Otro.dll"},
        {base + "\\programa\\..\\PROGRAMA\\vtes.exe", m_dir / "Programa" / ".." / "Programa" / "Vtes.exe"},
        {base + "\\\\programa\\\\.\\datos\\", m_dir / "Programa" / "." / "Datos"},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(controlPathToNative(c.control), c.expected) << c.control;
}

TEST_F(ControlPaths, RelativePathsStartAtTheCurrentFolder)
{
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(m_dir / "Programa");
    const auto name = controlPathToNative("DATOS\\lista.txt");
    const auto dot = controlPathToNative(".\\.\\vtes.EXE");
    std::filesystem::current_path(before);
    EXPECT_EQ(name, std::filesystem::path("Datos") / "Lista.TXT");
    EXPECT_EQ(dot, std::filesystem::path(".") / "." / "Vtes.exe");
}

TEST(SplitAt, DropsEmptyParts)
{
    EXPECT_EQ(splitAt("\\a\\\\b\\", "\\"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(splitWindowsPath("C:\\x/y\\..\\z"), (std::vector<std::string>{"C:", "x", "y", "..", "z"}));
    EXPECT_TRUE(splitAt("", "\\").empty());
}

} // namespace
