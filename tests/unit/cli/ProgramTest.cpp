// Orders of pordane-cli that need no server: the process list as the
// window's page writes it, read back into the report.
#include "cli/Program.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace pordane;

namespace {

struct Streams {
    std::ostringstream out, err;
    cli::Environment environment{out, err};
};

TEST(Processes, ThePageLinesGoIntoTheReport)
{
    Streams s;
    s.environment.processes = [] { return std::string("-       21      TCP\n812     5353    UDP     avahi daemon\n"); };
    EXPECT_EQ(cli::run({"procesos", "--json"}, s.environment), cli::ExitSuccess);
    const std::string j = s.out.str();
    EXPECT_NE(j.find("{\"pid\": null, \"puerto\": 21, \"protocolo\": \"TCP\", \"proceso\": \"\"}"), std::string::npos)
        << j;
    EXPECT_NE(j.find("{\"pid\": 812, \"puerto\": 5353, \"protocolo\": \"UDP\", \"proceso\": \"avahi daemon\"}"),
              std::string::npos)
        << j;

    Streams t;
    t.environment.processes = s.environment.processes;
    EXPECT_EQ(cli::run({"procesos"}, t.environment), cli::ExitSuccess);
    EXPECT_EQ(t.out.str(), "PID  Puerto  Proto  Proceso\n-    21      TCP    \n812  5353    UDP    avahi daemon\n");
}

TEST(Run, HelpVersionAndUsageErrors)
{
    Streams s;
    EXPECT_EQ(cli::run({"--version"}, s.environment), cli::ExitSuccess);
    EXPECT_EQ(s.out.str().rfind("pordane-cli ", 0), 0u);
    EXPECT_EQ(cli::run({"puertos", "--help"}, s.environment), cli::ExitSuccess);
    EXPECT_NE(s.out.str().find("Uso: pordane-cli puertos"), std::string::npos);
    EXPECT_EQ(s.err.str(), "");
    EXPECT_EQ(cli::run({"puertos", "--todos"}, s.environment), cli::ExitUsageError);
    EXPECT_EQ(s.err.str(), "pordane-cli: puertos no admite --todos\nPruebe \"pordane-cli --help\".\n");
}

} // namespace
