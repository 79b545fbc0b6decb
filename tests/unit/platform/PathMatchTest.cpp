#include "platform/base/PathMatch.h"

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

    // Elsewhere each existing part takes its name on disk; Windows itself
    // matches names in any case, so there the text is kept as it is.
    static void expectSameFile(const std::filesystem::path& native, const std::string& control,
                               const std::filesystem::path& onDisk)
    {
#ifdef _WIN32
        EXPECT_EQ(native, std::filesystem::path(control));
        if (std::filesystem::is_directory(onDisk)) {
            // equivalent() cannot open folders there: a file made through
            // one name must be seen through the other.
            std::ofstream(native / "probe") << "x";
            EXPECT_TRUE(std::filesystem::exists(onDisk / "probe")) << control;
            std::filesystem::remove(onDisk / "probe");
        } else if (std::filesystem::exists(onDisk)) {
            EXPECT_TRUE(std::filesystem::equivalent(native, onDisk)) << control;
        }
#else
        EXPECT_EQ(native, onDisk) << control;
#endif
    }
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
        expectSameFile(controlPathToNative(c.control), c.control, c.expected);
}

TEST_F(ControlPaths, RelativePathsStartAtTheCurrentFolder)
{
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(m_dir / "Programa");
    const auto name = controlPathToNative("DATOS\\lista.txt");
    const auto dot = controlPathToNative(".\\.\\vtes.EXE");
    expectSameFile(name, "DATOS\\lista.txt", std::filesystem::path("Datos") / "Lista.TXT");
    expectSameFile(dot, ".\\.\\vtes.EXE", std::filesystem::path(".") / "." / "Vtes.exe");
    std::filesystem::current_path(before);
}

TEST(SplitAt, DropsEmptyParts)
{
    EXPECT_EQ(splitAt("\\a\\\\b\\", "\\"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(splitWindowsPath("C:\\x/y\\..\\z"), (std::vector<std::string>{"C:", "x", "y", "..", "z"}));
    EXPECT_TRUE(splitAt("", "\\").empty());
}

} // namespace
