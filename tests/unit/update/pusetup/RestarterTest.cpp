#include "support/restarter/ProbeWorld.h"
#include "support/restarter/RunCase.h"

#include "platform/Process.h"
#include "update/pusetup/Restarter.h"

#include <csignal>
#include <sys/wait.h>

using namespace pordane::restarter;
using pordane::testsupport::ProbeWorld;
using pordane::testsupport::readAll;
using pordane::testsupport::writeAll;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> targetNames(const std::vector<Replacement>& plan)
{
    std::vector<std::string> names;
    for (const auto& r : plan)
        names.push_back(r.target.filename().string() + "<" + r.source.filename().string());
    return names;
}

TEST(RestarterPlan, ComponentsListsAndRefusals)
{
    ProbeWorld w;
    for (const char* name : {"a.dll_new", "B.EXE_NEW", "e_new", "f_new"})
        writeAll(w.app / name, name);
    writeAll(w.app / "list.inf", "[FILES]\nCOUNT=4\nFILE1=e_new\nFILE2=list.INF\nFILE3=..\\x_new\nFILE4=missing_new\n");
    writeAll(w.app / "huge.INF", "[FILES]\nCOUNT=2147483647\nFILE1=f_new\n");
    std::vector<std::string> log;
    const auto plan = planReplacements({"a.dll_new", "a.dll_new", "gone_new", "plain.exe", "../probe_new", "B.EXE_NEW",
                                        "list.inf", "huge.INF", "nolist.INF"},
                                       w.app, w.app, [&](const std::string& l) { log.push_back(l); });
    EXPECT_EQ(targetNames(plan),
              (std::vector<std::string>{"a.dll<a.dll_new", "B.EXE<B.EXE_NEW", "e<e_new", "f<f_new"}));
    const std::string all = ::testing::PrintToString(log);
    EXPECT_NE(all.find("refused (not a plain file name): ../probe_new"), std::string::npos) << all;
    EXPECT_NE(all.find("refused (not a plain file name): ..\\\\x_new"), std::string::npos) << all;
    EXPECT_NE(all.find("ignored (neither _new nor .INF): plain.exe"), std::string::npos) << all;
    EXPECT_NE(all.find("not downloaded, left as it is: gone_new"), std::string::npos) << all;
}

TEST(RestarterReplace, KeepsTheTargetsModeOrTakesTheSources)
{
    ProbeWorld w;
    writeAll(w.app / "lib_new", "library 2");
    fs::permissions(w.app / "lib_new", fs::perms(0640));
    const std::vector<Replacement> plan{{w.app / "probe_new", w.app / "probe"}, {w.app / "lib_new", w.app / "lib"}};
    ASSERT_TRUE(replaceAll(plan, [](const std::string&) {}));
    EXPECT_TRUE(w.replaced());
    EXPECT_EQ(fs::status(w.app / "probe").permissions(), fs::perms(0755));
    EXPECT_EQ(readAll(w.app / "lib"), "library 2");
    EXPECT_EQ(fs::status(w.app / "lib").permissions(), fs::perms(0640));
    EXPECT_TRUE(fs::exists(w.app / "probe_new")); // the download stays
    EXPECT_FALSE(fs::exists(w.app / "probe.pusetup-new"));
}

TEST(RestarterReplace, AFailedCopyTouchesNoTarget)
{
    ProbeWorld w;
    writeAll(w.app / "lib_new", "library 2");
    writeAll(w.app / "lib", "library 1");
    // The place of the second copy is taken by a folder that cannot be removed.
    fs::create_directories(w.app / "lib.pusetup-new" / "busy");
    const std::vector<Replacement> plan{{w.app / "probe_new", w.app / "probe"}, {w.app / "lib_new", w.app / "lib"}};
    std::string log;
    EXPECT_FALSE(replaceAll(plan, [&](const std::string& l) { log += l; }));
    EXPECT_FALSE(w.replaced());
    EXPECT_EQ(readAll(w.app / "lib"), "library 1");
    EXPECT_FALSE(fs::exists(w.app / "probe.pusetup-new"));
    EXPECT_NE(log.find("copy failed"), std::string::npos);
}

// The restarter's steps in this process, with every input that must not
// stop the program from starting again.
using RunCase = pordane::testsupport::RestarterRunCase;

class RestarterRun : public ::testing::TestWithParam<RunCase> {
protected:
    // Started probes are reaped by the system; each case runs in a process of its own.
    void SetUp() override { m_previous = std::signal(SIGCHLD, SIG_IGN); }
    void TearDown() override { std::signal(SIGCHLD, m_previous); }

    static std::string endedProcessId()
    {
        const auto pid = pordane::platform::startDetached("/bin/true", {});
        EXPECT_TRUE(pid && pordane::platform::waitForProcessEnd(*pid, std::chrono::seconds(10)));
        return std::to_string(*pid);
    }

private:
    void (*m_previous)(int) = nullptr;
};

TEST_P(RestarterRun, EndsAsItShould)
{
    ProbeWorld w;
    pordane::restarter::Setup setup;
    for (auto a : GetParam().arguments)
        setup.arguments.push_back(a == "PID" ? endedProcessId() : a);
    setup.destination = w.app;
    setup.documents = w.documents;
    setup.settle = std::chrono::milliseconds(0);
    EXPECT_EQ(runRestarter(setup), GetParam().status);
    EXPECT_EQ(w.replaced(), GetParam().replaced);
    const std::string expected = GetParam().marker;
    EXPECT_EQ(w.marker(std::chrono::milliseconds(expected.empty() ? 300 : 10000)), expected);
    EXPECT_FALSE(fs::exists(w.documents / "PUPDATE.LOG")); // no "L": no log
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RestarterRun,
    testing::Values(
        RunCase{"Replaced", {"PID", "X", "probe", "-a \"b c\"", ".", "probe_new"}, Restarted, true, "v2\n2\n-a\nb c\n"},
        RunCase{"NotANumber", {"12x", "X", "probe", " ", ".", "probe_new"}, BadArguments, false, "v1\n0\n"},
        RunCase{"ZeroIsNoProcess", {"0", "X", "probe", " ", ".", "probe_new"}, BadArguments, false, "v1\n0\n"},
        RunCase{"NoSourceFolderArgument", {"PID", "X", "probe", "-q"}, BadArguments, false, "v1\n1\n-q\n"},
        RunCase{"ProgramAlone", {"PID", "X", "probe"}, BadArguments, false, "v1\n0\n"},
        RunCase{"Nothing", {}, BadArguments, false, ""},
        RunCase{
            "SourceFolderMissing", {"PID", "X", "probe", " ", "nowhere", "probe_new"}, CopyFailed, false, "v1\n0\n"},
        RunCase{"NullProgram", {"PID", "X", "null", " ", ".", "probe_new"}, Restarted, true, ""},
        RunCase{"ProgramMissing", {"PID", "X", "gone", " ", ".", "probe_new"}, StartFailed, true, ""}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace

namespace {

struct LogCase {
    const char* name;
    std::string ini;     // PUPDATE.INI; "ROOT" stands for the world's folder
    std::string logFile; // where the log must be, below the world's folder
};

class RestarterLog : public ::testing::TestWithParam<LogCase> {};

TEST_P(RestarterLog, WrittenWherePupdateIniSays)
{
    ProbeWorld w;
    std::string ini = GetParam().ini;
    if (const auto at = ini.find("ROOT"); at != std::string::npos)
        ini.replace(at, 4, w.root.path().string());
    writeAll(w.documents / "PUPDATE.INI", ini);
    pordane::restarter::Setup setup;
    setup.arguments = {"-5", "X", "null"}; // no process to wait for: nothing logged
    setup.destination = w.app;
    setup.documents = w.documents;
    runRestarter(setup);
    const auto pid = pordane::platform::startDetached("/bin/true", {});
    ASSERT_TRUE(pid && pordane::platform::waitForProcessEnd(*pid, std::chrono::seconds(10)));
    ::waitpid(static_cast<pid_t>(*pid), nullptr, 0);
    setup.arguments = {std::to_string(*pid), "L", "null", " ", ".", "probe_new"};
    setup.settle = std::chrono::milliseconds(0);
    EXPECT_EQ(runRestarter(setup), Restarted);
    const std::string log = readAll(w.root / GetParam().logFile);
    EXPECT_NE(log.find("replaced " + (w.app / "probe").string()), std::string::npos) << log;
    EXPECT_EQ(log.find("arguments incomplete"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(
    Names, RestarterLog,
    testing::Values(LogCase{"Default", "", "docs/PUPDATE.LOG"},
                    LogCase{"EmptyNameIsTheDefault", "[CONFIG]\nLOGFILENAME=\n", "docs/PUPDATE.LOG"},
                    LogCase{"BareName", "[config]\nlogfilename = \"actualiza.txt\"\n", "docs/actualiza.txt"},
                    LogCase{"DrivePathTakesItsName", "[CONFIG]\nLOGFILENAME=C:\\Logs\\upd.log\n", "docs/upd.log"},
                    LogCase{"PathWithBackslashes", "[CONFIG]\nLOGFILENAME=ROOT\\my app\\r.log\n", "my app/r.log"}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
