// The restarter's run on Windows: it waits for the program's process, puts
// "probe.exe_new" over "probe.exe" (which Windows refuses while the program
// runs) and starts the program again with its parameters.
#include "update/pusetup/Restarter.h"

#include "platform/Process.h"

#include "support/files/TempDir.h"
#include "support/restarter/RunCase.h"

#include <gtest/gtest.h>

#include <thread>

using namespace pordane::restarter;
using namespace std::chrono;
using pordane::testsupport::readAll;
namespace fs = std::filesystem;

namespace {

// The program's folder with "probe.exe" (version 1) and its download
// "probe.exe_new" (version 2).
struct ProbeWorldWin {
    ProbeWorldWin()
    {
        fs::create_directories(app);
        fs::create_directories(documents);
        fs::copy_file(PROBE_V1_PATH, app / "probe.exe");
        fs::copy_file(PROBE_V2_PATH, app / "probe.exe_new");
    }
    std::string marker(milliseconds limit) const
    {
        const auto deadline = steady_clock::now() + limit;
        while (!fs::exists(app / "marker") && steady_clock::now() < deadline)
            std::this_thread::sleep_for(milliseconds(10));
        return readAll(app / "marker");
    }
    bool replaced() const { return readAll(app / "probe.exe") == readAll(PROBE_V2_PATH); }

    pordane::testsupport::TempDir root;
    const fs::path app = root / "my app";
    const fs::path documents = root / "docs";
};

std::string endedProcessId()
{
    const auto pid = pordane::platform::startDetached(PROBE_V1_PATH, {"--hold=0"});
    EXPECT_TRUE(pid && pordane::platform::waitForProcessEnd(*pid, seconds(10)));
    return std::to_string(pid.value_or(0));
}

using RunCase = pordane::testsupport::RestarterRunCase;

class RestarterRunWin : public ::testing::TestWithParam<RunCase> {};

TEST_P(RestarterRunWin, EndsAsItShould)
{
    ProbeWorldWin w;
    pordane::restarter::Setup setup;
    for (const auto& a : GetParam().arguments)
        setup.arguments.push_back(a == "PID" ? endedProcessId() : a);
    setup.destination = w.app;
    setup.documents = w.documents;
    setup.settle = milliseconds(0);
    EXPECT_EQ(runRestarter(setup), GetParam().status);
    EXPECT_EQ(w.replaced(), GetParam().replaced);
    const std::string expected = GetParam().marker;
    EXPECT_EQ(w.marker(milliseconds(expected.empty() ? 300 : 10000)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RestarterRunWin,
    ::testing::Values(
        RunCase{"Replaced", {"PID", "X", "probe.exe", "-a \"b c\"", ".", "probe.exe_new"}, Restarted, true, "v2\n2\n-a\nb c\n"},
        RunCase{"NotANumber", {"12x", "X", "probe.exe", " ", ".", "probe.exe_new"}, BadArguments, false, "v1\n0\n"},
        RunCase{"SourceFolderMissing", {"PID", "X", "probe.exe", " ", "nowhere", "probe.exe_new"}, CopyFailed, false,
                "v1\n0\n"},
        RunCase{"NullProgram", {"PID", "X", "null", " ", ".", "probe.exe_new"}, Restarted, true, ""},
        RunCase{"ProgramMissing", {"PID", "X", "gone.exe", " ", ".", "probe.exe_new"}, StartFailed, true, ""}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(RestarterWin, WaitsForTheRunningProgramBeforeReplacingIt)
{
    // The program itself still runs for 1.5 s: its file cannot be replaced
    // before it ends.
    ProbeWorldWin w;
    const auto running = pordane::platform::startDetached(w.app / "probe.exe", {"--hold=1500"}, w.app);
    ASSERT_TRUE(running);
    pordane::restarter::Setup setup;
    setup.arguments = {std::to_string(*running), "X", "probe.exe", " ", ".", "probe.exe_new"};
    setup.destination = w.app;
    setup.documents = w.documents;
    setup.settle = milliseconds(0);
    const auto start = steady_clock::now();
    EXPECT_EQ(runRestarter(setup), Restarted);
    EXPECT_GE(steady_clock::now() - start, milliseconds(1000));
    EXPECT_TRUE(w.replaced());
    EXPECT_EQ(w.marker(seconds(10)), "v2\n0\n");
}

} // namespace
