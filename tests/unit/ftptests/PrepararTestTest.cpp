// The preparation step before a run: order, gauge, panel and the one message.
#include "support/files/TempDir.h"
#include "support/proc/Unprivileged.h"
#include "support/views/RecordingViews.h"

#include "ftptests/PrepararTest.h"
#include "platform/base/Pump.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace pordane;
using pordane::testsupport::readAll;
using pordane::testsupport::RecordingDialogs;
using pordane::testsupport::RecordingPrepareView;
using pordane::testsupport::runUnprivileged;
using pordane::testsupport::TempDir;
using pordane::testsupport::writeAll;

namespace {

const char* const FailureMessage = "Error preparando archivos de test. Compruebe sus permisos de usuario";

// Installs a counting pump for the test's lifetime.
struct CountingPump {
    int count = 0;
    platform::ScopedPumpHook hook{[this] { ++count; }};
};

struct Preparation {
    std::vector<std::string> events;
    RecordingDialogs dialogs;
    RecordingPrepareView view{events};
    bool result = false;

    Preparation() { dialogs.events = &events; }
};

// Old copies with recognisable content, to see which files a run rewrote.
void writeStaleFiles(const fs::path& dir)
{
    for (const char* name : {"test.txt", "test.jpg", "test.mdb", "speedmeter.txt"})
        writeAll(dir / name, "stale");
}

TEST(PrepararTest, WritesAllFourFilesMovingTheGaugeAndPumpsWhileWaiting)
{
    TempDir dir;
    writeStaleFiles(dir.path());
    CountingPump pump;
    Preparation run;
    run.result = ftptests::PrepararTest(run.view, run.dialogs, 20971520, dir.path());

    EXPECT_TRUE(run.result);
    EXPECT_EQ(run.events, (std::vector<std::string>{"show", "gauge:0", "repaint", "gauge:1", "gauge:2",
                                                     "gauge:3", "gauge:4", "hide"}));
    EXPECT_TRUE(run.dialogs.messages.empty());
    EXPECT_GT(pump.count, 0);
    EXPECT_EQ(fs::file_size(dir / "test.txt"), 200000u);
    EXPECT_EQ(fs::file_size(dir / "test.mdb"), 200000u);
    EXPECT_TRUE(readAll(dir / "test.jpg") != "stale");
    EXPECT_GT(fs::file_size(dir / "test.jpg"), 0u);
    EXPECT_EQ(fs::file_size(dir / "speedmeter.txt"), 20971520u);
}

TEST(PrepararTest, TwoRunsLeaveTheSameSizes)
{
    TempDir dir;
    Preparation first;
    ASSERT_TRUE(ftptests::PrepararTest(first.view, first.dialogs, 1048576, dir.path()));
    std::vector<std::uintmax_t> sizes;
    for (const char* name : {"test.txt", "test.jpg", "test.mdb", "speedmeter.txt"})
        sizes.push_back(fs::file_size(dir / name));
    Preparation second;
    ASSERT_TRUE(ftptests::PrepararTest(second.view, second.dialogs, 1048576, dir.path()));
    std::size_t i = 0;
    for (const char* name : {"test.txt", "test.jpg", "test.mdb", "speedmeter.txt"})
        EXPECT_EQ(fs::file_size(dir / name), sizes[i++]) << name;
}

struct Blocked {
    const char* name;   // file whose place a directory takes
    int lastGauge;      // gauge position reached before the failure
    int rewritten;      // how many files in write order were rewritten before it
};

std::string blockedName(const ::testing::TestParamInfo<Blocked>& param)
{
    std::string name = param.param.name;
    for (char& c : name)
        if (c == '.')
            c = '_';
    return name;
}

class PrepararTestFailure : public ::testing::TestWithParam<Blocked> {};

TEST_P(PrepararTestFailure, StopsAtTheFirstFailureWithOneMessage)
{
    const Blocked blocked = GetParam();
    TempDir dir;
    writeStaleFiles(dir.path());
    fs::remove(dir / blocked.name);
    fs::create_directory(dir / blocked.name); // cannot be replaced by a file, even by root
    CountingPump pump;
    Preparation run;
    run.result = ftptests::PrepararTest(run.view, run.dialogs, 1048576, dir.path());

    EXPECT_FALSE(run.result);
    std::vector<std::string> expected{"show", "gauge:0", "repaint"};
    for (int g = 1; g <= blocked.lastGauge; ++g)
        expected.push_back("gauge:" + std::to_string(g));
    expected.push_back(std::string("message:") + FailureMessage);
    expected.push_back("hide");
    EXPECT_EQ(run.events, expected);
    EXPECT_EQ(run.dialogs.messages.size(), 1u);
    EXPECT_EQ(pump.count, 0); // the settle wait belongs to a complete preparation

    const char* order[] = {"test.txt", "test.jpg", "test.mdb", "speedmeter.txt"};
    for (int i = 0; i < 4; ++i) {
        if (std::string(order[i]) == blocked.name)
            EXPECT_TRUE(fs::is_directory(dir / order[i]));
        else if (i < blocked.rewritten)
            EXPECT_TRUE(readAll(dir / order[i]) != "stale") << order[i];
        else
            EXPECT_TRUE(readAll(dir / order[i]) == "stale") << order[i] << " must not be rewritten";
    }
}

INSTANTIATE_TEST_SUITE_P(Blocked, PrepararTestFailure,
                         ::testing::Values(Blocked{"test.txt", 0, 0}, Blocked{"test.jpg", 1, 1},
                                           Blocked{"test.mdb", 2, 2}, Blocked{"speedmeter.txt", 3, 3}),
                         blockedName);

TEST(PrepararTest, AReadOnlyTestTxtStopsThePreparationWithOneMessage)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    writeStaleFiles(dir.path());
    for (const char* name : {"test.jpg", "test.mdb", "speedmeter.txt"})
        fs::permissions(dir / name, fs::perms::all);
    fs::permissions(dir / "test.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    // The child reports the number of messages, plus 10 when the run claims success.
    const int outcome = runUnprivileged([&] {
        Preparation run;
        const bool ok = ftptests::PrepararTest(run.view, run.dialogs, 1048576, dir.path());
        const bool rightText = run.dialogs.messages.size() == 1 && run.dialogs.messages[0] == FailureMessage;
        return static_cast<int>(run.dialogs.messages.size()) + (ok ? 10 : 0) + (rightText ? 0 : 100);
    });
    if (outcome < 0)
        GTEST_SKIP() << "cannot run without root's rights here";
    EXPECT_EQ(outcome, 1);
    for (const char* name : {"test.txt", "test.jpg", "test.mdb", "speedmeter.txt"})
        EXPECT_TRUE(readAll(dir / name) == "stale") << name;
}

TEST(PrepararTest, UnusableDirectoryWritesNothingAndStillHidesThePanel)
{
    TempDir dir;
    writeAll(dir / "plain", "x");
    Preparation run;
    run.result = ftptests::PrepararTest(run.view, run.dialogs, 1048576, dir / "plain");
    EXPECT_FALSE(run.result);
    ASSERT_EQ(run.dialogs.messages, std::vector<std::string>{FailureMessage});
    EXPECT_EQ(run.events.back(), "hide");
    EXPECT_TRUE(readAll(dir / "plain") == "x");
}

} // namespace
