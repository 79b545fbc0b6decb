#include "update/RestarterCommand.h"

#include "platform/base/WindowsCommandLine.h"

#include <gtest/gtest.h>

using namespace pordane::update;

namespace {

struct CommandCase {
    const char* name;
    RestarterCommand command;
    std::string line;
    std::vector<std::string> arguments; // as the restarter receives them
};

class RestarterCommandLine : public testing::TestWithParam<CommandCase> {};

TEST_P(RestarterCommandLine, AsTheRestartWritesIt)
{
    const std::string line = restarterCommandLine(GetParam().command);
    EXPECT_EQ(line, GetParam().line);
    EXPECT_EQ(pordane::platform::splitCommandLine(line), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RestarterCommandLine,
    testing::Values(CommandCase{"EmptyParametersAreAQuotedBlank",
                                {4242, false, true, "pordane", "", "/opt/pordane", ".", "pordane_new"},
                                "4242 X /opt/pordane/pordane \" \" \".\" pordane_new",
                                {"4242", "X", "/opt/pordane/pordane", " ", ".", "pordane_new"}},
                    CommandCase{
                        "BlanksQuotedAndLogging",
                        {7, true, true, "pordane", "-a b", "/home/ana/Mis programas", ".", "pordane_new lista.INF"},
                        "7 L \"/home/ana/Mis programas/pordane\" \"-a b\" \".\" pordane_new lista.INF",
                        {"7", "L", "/home/ana/Mis programas/pordane", "-a b", ".", "pordane_new", "lista.INF"}},
                    CommandCase{"AbsoluteNameKept",
                                {9, false, true, "/usr/local/bin/pordane", "-q", "/elsewhere", "/tmp/upd", "x_new"},
                                "9 X /usr/local/bin/pordane -q \"/tmp/upd\" x_new",
                                {"9", "X", "/usr/local/bin/pordane", "-q", "/tmp/upd", "x_new"}},
                    CommandCase{"NoAutoRestart",
                                {9, false, false, "pordane", "", "/opt/p q", ".", ""},
                                "9 X null \" \" \".\" ",
                                {"9", "X", "null", " ", "."}}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
