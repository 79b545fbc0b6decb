// The options read before the window: what each command line asks for, the
// texts printed, and the exit statuses.
#include "app/CommandLine.h"

#include "pordane/BuildConfig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using pordane::app::CommandLineAction;
using pordane::app::handleCommandLine;
using pordane::app::parseCommandLine;

struct ParseCase {
    const char* name;
    std::vector<const char*> args; // after the program name
    CommandLineAction action;
    const char* error;
};

class ParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, DecidesTheAction)
{
    const ParseCase& c = GetParam();
    std::vector<const char*> argv{"pordane"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const auto cl = parseCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(cl.action, c.action);
    EXPECT_EQ(cl.error, c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ParseTest,
    ::testing::Values(
        ParseCase{"none", {}, CommandLineAction::RunWindow, ""},
        ParseCase{"only_dashes", {"--"}, CommandLineAction::RunWindow, ""},
        ParseCase{"help", {"--help"}, CommandLineAction::ShowHelp, ""},
        ParseCase{"h", {"-h"}, CommandLineAction::ShowHelp, ""},
        ParseCase{"version", {"--version"}, CommandLineAction::ShowVersion, ""},
        ParseCase{"v", {"-v"}, CommandLineAction::ShowVersion, ""},
        ParseCase{"version_then_help", {"-v", "--help"}, CommandLineAction::ShowVersion, ""},
        ParseCase{"unknown_before_help", {"-x", "--help"}, CommandLineAction::UsageError,
                  "opción no reconocida «-x»"},
        ParseCase{"prefix_is_not_enough", {"--vers"}, CommandLineAction::UsageError,
                  "opción no reconocida «--vers»"},
        ParseCase{"qt_style", {"-platform", "offscreen"}, CommandLineAction::UsageError,
                  "opción no reconocida «-platform»"},
        ParseCase{"help_with_value", {"--help=todo"}, CommandLineAction::UsageError,
                  "la opción «--help» no admite ningún argumento"},
        ParseCase{"lone_dash", {"-"}, CommandLineAction::UsageError, "argumento no esperado «-»"},
        ParseCase{"option_after_dashes", {"--", "-v"}, CommandLineAction::UsageError,
                  "argumento no esperado «-v»"}),
    [](const auto& p) { return std::string(p.param.name); });

// Runs handleCommandLine with temporary files for both streams.
struct Outcome {
    std::optional<int> status;
    std::string out;
    std::string err;
};

std::string readBack(std::FILE* f)
{
    std::rewind(f);
    std::string text;
    char buf[512];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
        text.append(buf, n);
    std::fclose(f);
    return text;
}

Outcome run(std::vector<const char*> args, std::FILE* out = std::tmpfile())
{
    std::FILE* err = std::tmpfile();
    args.insert(args.begin(), "pordane");
    Outcome o;
    o.status = handleCommandLine(static_cast<int>(args.size()), args.data(), out, err);
    o.out = readBack(out);
    o.err = readBack(err);
    return o;
}

TEST(HandleCommandLine, NoOptionsLetsTheWindowStartAndPrintsNothing)
{
    const Outcome o = run({});
    EXPECT_FALSE(o.status.has_value());
    EXPECT_EQ(o.out + o.err, "");
}

TEST(HandleCommandLine, VersionNamesProgramVersionAndUpdateAddress)
{
    const Outcome o = run({"--version"});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, std::string("Pordane ") + pordane::config::AppVersion + "\nDirección de actualización: " +
                         pordane::config::UpdateControlFileURL + "\n");
    EXPECT_EQ(o.err, "");
}

TEST(HandleCommandLine, HelpListsBothOptionsAndTheExitStatuses)
{
    const Outcome o = run({"-h"});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, pordane::app::helpText());
    for (const char* part : {"Uso: pordane [OPCIÓN]", "-h, --help", "-v, --version", "Estado de salida"})
        EXPECT_NE(o.out.find(part), std::string::npos) << part;
}

TEST(HandleCommandLine, UsageErrorGoesToStandardErrorWithStatusTwo)
{
    const Outcome o = run({"--ayuda"});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "pordane: opción no reconocida «--ayuda»\nPruebe «pordane --help» para más información.\n");
}

TEST(HandleCommandLine, FailedWriteIsStatusOneNotSilence)
{
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    std::FILE* err = std::tmpfile();
    const char* argv[] = {"pordane", "--version"};
    EXPECT_EQ(handleCommandLine(2, argv, full, err), 1);
    std::fclose(full);
    EXPECT_EQ(readBack(err), "pordane: error de escritura en la salida estándar\n");
}

} // namespace
