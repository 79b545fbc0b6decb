#include "platform/Process.h"

#include "support/files/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/wait.h>

using namespace pordane::platform;
using namespace std::chrono;

namespace {

TEST(Process, WaitEndsAtOnceForNoProcess)
{
    EXPECT_TRUE(waitForProcessEnd(0, milliseconds(1)));
    EXPECT_TRUE(waitForProcessEnd(-1, milliseconds(1)));
    EXPECT_TRUE(waitForProcessEnd(INT64_MAX, milliseconds(1)));
}

TEST(Process, WaitHonoursItsLimitThenSeesTheEnd)
{
    const auto pid = startDetached("/bin/sleep", {"30"});
    ASSERT_TRUE(pid);
    const auto start = steady_clock::now();
    EXPECT_FALSE(waitForProcessEnd(*pid, milliseconds(200)));
    const auto waited = steady_clock::now() - start;
    EXPECT_GE(waited, milliseconds(200));
    EXPECT_LT(waited, milliseconds(2000));
    ::kill(static_cast<pid_t>(*pid), SIGKILL);
    // Ended but not yet reaped: a zombie counts as ended.
    EXPECT_TRUE(waitForProcessEnd(*pid, seconds(10)));
    int status = 0;
    EXPECT_EQ(::waitpid(static_cast<pid_t>(*pid), &status, 0), *pid);
}

TEST(Process, PollingWaitForKernelsWithoutPidfd)
{
    EXPECT_TRUE(waitForProcessEndByPolling(-3, milliseconds(1)));
    const auto pid = startDetached("/bin/sleep", {"30"});
    ASSERT_TRUE(pid);
    const auto start = steady_clock::now();
    EXPECT_FALSE(waitForProcessEndByPolling(*pid, milliseconds(150)));
    EXPECT_GE(steady_clock::now() - start, milliseconds(150));
    ::kill(static_cast<pid_t>(*pid), SIGKILL);
    ASSERT_EQ(::waitpid(static_cast<pid_t>(*pid), nullptr, 0), *pid);  // polling sees a zombie as alive
    const auto reaped = steady_clock::now();
    EXPECT_TRUE(waitForProcessEndByPolling(*pid, seconds(10)));
    EXPECT_LT(steady_clock::now() - reaped, milliseconds(100));
}

TEST(Process, StartDetachedRunsInItsOwnSessionAndFolder)
{
    const pordane::testsupport::TempDir tmp;
    const auto& dir = tmp.path();
    const auto pid = startDetached("/bin/sh", {"-c", "cut -d' ' -f6 /proc/$$/stat > sid; pwd > where; echo \"$1\" > arg", "sh", "a b"}, dir);
    ASSERT_TRUE(pid);
    int status = 0;
    ASSERT_TRUE(waitForProcessEnd(*pid, seconds(10)));
    ASSERT_EQ(::waitpid(static_cast<pid_t>(*pid), &status, 0), *pid);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string sid, where, arg;
    std::ifstream(dir / "sid") >> sid;
    std::getline(std::ifstream(dir / "where"), where);
    std::getline(std::ifstream(dir / "arg"), arg);
    EXPECT_EQ(sid, std::to_string(*pid));  // leader of a new session
    EXPECT_NE(std::to_string(::getsid(0)), sid);
    EXPECT_EQ(std::filesystem::path(where), std::filesystem::canonical(dir));
    EXPECT_EQ(arg, "a b");
}

TEST(Process, StartOfAMissingProgramFails)
{
    EXPECT_FALSE(startDetached("/nonexistent/pusetup", {}));
}

} // namespace
