// The Windows backends of Process.h and Shell.h: a program started detached,
// in its folder, with its arguments as one command line; waiting for a process
// that is not our child, with and without a limit.
#include "platform/Process.h"
#include "platform/Shell.h"

#include "support/files/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

using namespace pordane::platform;
using namespace std::chrono;
using pordane::testsupport::readAll;
namespace fs = std::filesystem;

namespace {

// Waits at most 10 s for the program's marker.
std::string marker(const fs::path& dir)
{
    const auto deadline = steady_clock::now() + seconds(10);
    while (!fs::exists(dir / "marker") && steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(10));
    return readAll(dir / "marker");
}

TEST(ProcessWin, OwnIdIsTheSystemsOne)
{
    EXPECT_EQ(currentProcessId(), static_cast<ProcessId>(GetCurrentProcessId()));
}

TEST(ProcessWin, WaitEndsAtOnceForNoProcess)
{
    const auto start = steady_clock::now();
    EXPECT_TRUE(waitForProcessEnd(0, milliseconds(1)));
    EXPECT_TRUE(waitForProcessEnd(-1, milliseconds(1)));
    EXPECT_TRUE(waitForProcessEnd(INT64_MAX, milliseconds(1)));
    EXPECT_LT(steady_clock::now() - start, milliseconds(500));
}

TEST(ProcessWin, WaitHonoursItsLimitThenSeesTheEnd)
{
    const pordane::testsupport::TempDir dir;
    const auto pid = startDetached(LINGER_PATH, {"2500", "a b", "C:\\Temp\\"}, dir.path());
    ASSERT_TRUE(pid);
    const auto start = steady_clock::now();
    EXPECT_FALSE(waitForProcessEnd(*pid, milliseconds(200)));
    const auto waited = steady_clock::now() - start;
    EXPECT_GE(waited, milliseconds(200));
    EXPECT_LT(waited, milliseconds(2000));
    EXPECT_FALSE(fs::exists(dir / "marker"));
    EXPECT_TRUE(waitForProcessEnd(*pid, seconds(10)));
    // Its own folder, and the arguments as given: blanks, and a backslash
    // that ends an argument.
    EXPECT_EQ(readAll(dir / "marker"), fs::path(dir.path()).string() + "\n3\n2500\na b\nC:\\Temp\\\n");
}

TEST(ProcessWin, WaitWithoutALimitWaitsForTheEnd)
{
    const pordane::testsupport::TempDir dir;
    const auto pid = startDetached(LINGER_PATH, {"300"}, dir.path());
    ASSERT_TRUE(pid);
    const auto start = steady_clock::now();
    EXPECT_TRUE(waitForProcessEnd(*pid));
    EXPECT_GE(steady_clock::now() - start, milliseconds(250));
    EXPECT_TRUE(fs::exists(dir / "marker"));
}

TEST(ProcessWin, StartOfAMissingProgramFails)
{
    EXPECT_FALSE(startDetached("C:\\nonexistent\\pusetup.exe", {}));
}

TEST(ShellWin, AProgramIsStartedWithItsParameters)
{
    // The shell's "open" of a program, in the folder of the test's choosing.
    const pordane::testsupport::TempDir dir;
    const fs::path program = dir / "run me.exe";
    fs::copy_file(LINGER_PATH, program);
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    const bool started = shellOpen(program, "0 \"a b\" c");
    fs::current_path(before);
    ASSERT_TRUE(started);
    EXPECT_EQ(marker(dir.path()), fs::path(dir.path()).string() + "\n3\n0\na b\nc\n");
}

TEST(ShellWin, AMissingFileStartsNothing)
{
    const pordane::testsupport::TempDir dir;
    EXPECT_FALSE(shellOpen(dir / "nada.exe", ""));
    EXPECT_FALSE(openInBrowser("file:///C:/windows/win.ini"));
    EXPECT_FALSE(openInBrowser("javascript:alert(1)"));
}

} // namespace
