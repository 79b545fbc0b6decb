// The real pusetup, started detached with the command line the update run
// builds, against a probe program in a temporary folder.
#include "support/restarter/ProbeWorld.h"

#include "platform/Process.h"
#include "update/RestarterCommand.h"
#include "update/RestarterImage.h"

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>

using namespace pordane;
using pordane::testsupport::ProbeWorld;
using pordane::testsupport::readAll;
using pordane::testsupport::writeAll;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

class PusetupEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The documents folder the restarter finds: XDG_DOCUMENTS_DIR of user-dirs.dirs.
        const fs::path home = w.root / "home";
        fs::create_directories(home / ".config");
        writeAll(home / ".config" / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/../docs\"\n");
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
        writeAll(w.documents / "PUPDATE.INI", "[CONFIG]\nLOGFILENAME=restarter.log\n");
    }

    // A restarter that failed a test must not outlive it.
    void TearDown() override
    {
        for (const auto pid : m_started) {
            if (::waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG) == 0) {
                ::kill(static_cast<pid_t>(pid), SIGKILL);
                ::waitpid(static_cast<pid_t>(pid), nullptr, 0);
            }
        }
    }

    // Starts the restarter with `line` (the text after the program name) in the program's folder.
    platform::ProcessId startRestarter(const std::string& line, const fs::path& restarter = PUSETUP_PATH)
    {
        const auto pid = update::startRestarter(restarter, line, w.app);
        EXPECT_TRUE(pid);
        if (pid)
            m_started.push_back(*pid);
        return pid.value_or(0);
    }

    // Waits (bounded) for the restarter's end and returns its exit status.
    static int exitStatus(platform::ProcessId pid)
    {
        EXPECT_TRUE(platform::waitForProcessEnd(pid, seconds(20)));
        int status = -1;
        EXPECT_EQ(::waitpid(static_cast<pid_t>(pid), &status, WNOHANG), pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The id of a process that has ended.
    static std::string endedProcessId()
    {
        const auto gone = platform::startDetached("/bin/true", {});
        EXPECT_TRUE(gone && platform::waitForProcessEnd(*gone, seconds(10)));
        ::waitpid(static_cast<pid_t>(gone.value_or(0)), nullptr, 0);
        return std::to_string(gone.value_or(0));
    }

    ProbeWorld w;
    std::vector<platform::ProcessId> m_started;
};

TEST_F(PusetupEndToEnd, WaitsForTheProgramReplacesItAndStartsItAgain)
{
    const auto program = platform::startDetached(w.app / "probe", {"--hold"}, w.app);
    ASSERT_TRUE(program);
    // As the restart writes it: an empty parameter list, the temporary folder ".".
    update::RestarterCommand command;
    command.processId = *program;
    command.logging = true;
    command.appName = "probe";
    command.currentFolder = w.app.string();
    command.appComps = "probe_new";
    const std::string line = update::restarterCommandLine(command);
    EXPECT_EQ(line, std::to_string(*program) + " L \"" + (w.app / "probe").string() + "\" \" \" \".\" probe_new");
    const auto restarter = startRestarter(line);

    // While the program runs the restarter waits and touches nothing.
    const auto before = steady_clock::now();
    EXPECT_FALSE(platform::waitForProcessEnd(restarter, milliseconds(400)));
    EXPECT_GE(steady_clock::now() - before, milliseconds(400));
    EXPECT_FALSE(w.replaced());
    EXPECT_FALSE(fs::exists(w.app / "marker"));

    ::kill(static_cast<pid_t>(*program), SIGTERM);
    const auto ended = steady_clock::now();
    ASSERT_EQ(::waitpid(static_cast<pid_t>(*program), nullptr, 0), *program);
    EXPECT_EQ(exitStatus(restarter), 0);
    EXPECT_GE(steady_clock::now() - ended, milliseconds(500)); // its own pause before copying

    EXPECT_TRUE(w.replaced());
    EXPECT_EQ(fs::status(w.app / "probe").permissions(), fs::perms(0755));
    EXPECT_EQ(w.marker(), "v2\n0\n"); // the new version, started without parameters
    const std::string log = readAll(w.documents / "restarter.log");
    EXPECT_NE(log.find("replaced " + (w.app / "probe").string()), std::string::npos) << log;
    EXPECT_NE(log.find("started "), std::string::npos) << log;
}

TEST_F(PusetupEndToEnd, ParametersAndAnotherSourceFolderWithoutLog)
{
    fs::create_directories(w.app / "descargas");
    fs::rename(w.app / "probe_new", w.app / "descargas" / "probe_new");
    update::RestarterCommand command;
    command.processId = std::stoll(endedProcessId());
    command.appName = (w.app / "probe").string(); // absolute
    command.appParam = "-x 7";
    command.currentFolder = "/nowhere";
    command.tempDirectory = "descargas";
    command.appComps = "probe_new";
    const auto restarter = startRestarter(update::restarterCommandLine(command));
    EXPECT_EQ(exitStatus(restarter), 0);
    EXPECT_TRUE(w.replaced());
    EXPECT_EQ(w.marker(), "v2\n2\n-x\n7\n");
    EXPECT_FALSE(fs::exists(w.documents / "restarter.log"));
}

TEST_F(PusetupEndToEnd, ABadProcessIdCopiesNothingButStartsTheProgram)
{
    const auto restarter = startRestarter("12ab L probe \" \" \".\" probe_new");
    EXPECT_EQ(exitStatus(restarter), 2);
    EXPECT_FALSE(w.replaced());
    EXPECT_EQ(w.marker(), "v1\n0\n");
}

TEST_F(PusetupEndToEnd, NullStartsNothing)
{
    const auto restarter = startRestarter(endedProcessId() + " X null \" \" \".\" probe_new");
    EXPECT_EQ(exitStatus(restarter), 0);
    EXPECT_TRUE(w.replaced());
    EXPECT_EQ(w.marker(milliseconds(300)), "");
}

// The restarter as the program carries it: written out of the program's own
// bytes into the program's folder, then doing the whole job.
TEST_F(PusetupEndToEnd, TheEmbeddedRestarterDoesTheSame)
{
    const auto written = update::writeRestarter(w.app);
    ASSERT_TRUE(written);
    EXPECT_FALSE(fs::exists(w.app / "pusetup.ex_"));
    const auto restarter = startRestarter(endedProcessId() + " L probe \" \" \".\" probe_new", *written);
    EXPECT_EQ(exitStatus(restarter), 0);
    EXPECT_TRUE(w.replaced());
    EXPECT_EQ(w.marker(), "v2\n0\n");
    EXPECT_NE(readAll(w.documents / "restarter.log").find("started probe"), std::string::npos);
}

} // namespace
