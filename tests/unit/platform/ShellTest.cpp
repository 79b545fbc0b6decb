// What the update run's actions start on Linux: programs directly, documents
// and web addresses through the desktop's handler (a recording xdg-open on
// PATH here), nothing through a shell, no other schemes.
#include "platform/Shell.h"

#include "support/files/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using pordane::testsupport::readAll;
using pordane::testsupport::writeAll;
namespace fs = std::filesystem;

class Shell : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir / "bin");
        writeAll(dir / "bin" / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + (dir / "opened").string() + "\"\n");
        fs::permissions(dir / "bin" / "xdg-open", fs::perms(0755));
        m_path = std::getenv("PATH");
        ::setenv("PATH", ((dir / "bin").string() + ":" + m_path).c_str(), 1);
    }
    void TearDown() override { ::setenv("PATH", m_path.c_str(), 1); }

    std::string waitFor(const fs::path& file) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!fs::exists(file) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return readAll(file);
    }

    pordane::testsupport::TempDir dir;
    std::string m_path;
};

TEST_F(Shell, AProgramIsStartedDirectlyWithWindowsStyleArguments)
{
    const fs::path program = dir / "run me";
    writeAll(program, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > args\n");
    fs::permissions(program, fs::perms(0755));
    // A shell would expand $HOME and run the second command.
    ASSERT_TRUE(pordane::platform::shellOpen(program, "\"a b\" $HOME;touch x c\\"));
    EXPECT_EQ(waitFor(dir / "args"), "4\na b\n$HOME;touch\nx\nc\\\n");
    EXPECT_FALSE(fs::exists(dir / "x"));
    EXPECT_FALSE(fs::exists(dir / "opened"));
}

TEST_F(Shell, ADocumentGoesToTheDesktopHandler)
{
    writeAll(dir / "léeme.txt", "hola");
    ASSERT_TRUE(pordane::platform::shellOpen(dir / "léeme.txt", "ignored"));
    EXPECT_EQ(waitFor(dir / "opened"), (dir / "léeme.txt").string() + "\n");
}

TEST_F(Shell, AMissingFileStartsNothing)
{
    EXPECT_FALSE(pordane::platform::shellOpen(dir / "nada", ""));
    EXPECT_FALSE(pordane::platform::shellOpen(dir.path(), ""));
}

struct BrowserCase {
    const char* address;
    bool opened;
};

class Browser : public Shell, public ::testing::WithParamInterface<BrowserCase> {};

TEST_P(Browser, OnlyWebAddressesAreOpened)
{
    EXPECT_EQ(pordane::platform::openInBrowser(GetParam().address), GetParam().opened);
    if (GetParam().opened)
        EXPECT_EQ(waitFor(dir / "opened"), std::string(GetParam().address) + "\n");
    else
        EXPECT_FALSE(fs::exists(dir / "opened"));
}

INSTANTIATE_TEST_SUITE_P(Addresses, Browser,
                         ::testing::Values(BrowserCase{"http://127.0.0.1/novedades", true},
                                           BrowserCase{"HTTPS://127.0.0.1/a?b=c", true},
                                           BrowserCase{"file:///etc/passwd", false},
                                           BrowserCase{"javascript:alert(1)", false},
                                           BrowserCase{"ftp://127.0.0.1/x", false},
                                           BrowserCase{"http://", false}, BrowserCase{"/usr/bin/xterm", false}));

} // namespace
