#include "platform/base/WindowsCommandLine.h"

#include <gtest/gtest.h>

using pordane::platform::joinCommandLine;
using pordane::platform::splitCommandLine;

namespace {

struct SplitCase {
    const char* line;
    std::vector<std::string> args;
};

class CommandLineSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineSplit, AsTheWindowsSideReadsIt)
{
    EXPECT_EQ(splitCommandLine(GetParam().line), GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineSplit,
    testing::Values(SplitCase{"", {}}, SplitCase{"   \t ", {}}, SplitCase{"a  b\tc", {"a", "b", "c"}},
                    // the restarter's line with an empty parameter list
                    SplitCase{R"(4242 X "C:\Program Files\P\pordane.exe" " " "." pordane.exe_new)",
                              {"4242", "X", R"(C:\Program Files\P\pordane.exe)", " ", ".", "pordane.exe_new"}},
                    // a backslash before a quote is an ordinary character
                    SplitCase{R"("C:\Temp\" next)", {R"(C:\Temp\)", "next"}},
                    SplitCase{R"(a"b c"d)", {"ab cd"}}, SplitCase{R"("" x)", {"", "x"}},
                    SplitCase{R"("unclosed  tail)", {"unclosed  tail"}}));

TEST(CommandLine, JoinQuotesBlanksAndEmptyAndSplitsBack)
{
    const std::vector<std::string> args{"/opt/a b/pordane", " ", "", "-x", "7"};
    const std::string line = joinCommandLine(args);
    EXPECT_EQ(line, R"("/opt/a b/pordane" " " "" -x 7)");
    EXPECT_EQ(splitCommandLine(line), args);
}

} // namespace
