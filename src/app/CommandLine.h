// The program's few options (--help, --version), read before anything
// graphical exists so they work without a display. Plain C++.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace pordane::app {

enum class CommandLineAction { RunWindow, ShowHelp, ShowVersion, UsageError };

struct CommandLine {
    CommandLineAction action = CommandLineAction::RunWindow;
    std::string error; // the Spanish reason of a UsageError
};

// Options are exact ("-h", "--help", "-v", "--version"); the first option
// decides, as in the GNU tools. Any other argument is a usage error.
CommandLine parseCommandLine(int argc, const char* const* argv);

std::string helpText();
// The version stamped into the running executable (the build's when it has none).
std::string runningVersion();
// Program, version and the build configuration's update address.
std::string versionText();

// Exit statuses of the options, as the GNU tools use them.
inline constexpr int ExitOk = 0;
inline constexpr int ExitWriteFailed = 1;
inline constexpr int ExitUsage = 2;

// Prints what the options ask for and returns the exit status; nullopt when
// the window is to start. A failed write to `out` is status 1, not silence.
std::optional<int> handleCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

} // namespace pordane::app
