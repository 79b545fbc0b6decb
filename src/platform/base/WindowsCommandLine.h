// Program arguments as one Windows command line. The restarter's line and the
// updater's run-before/after parameters are built as text; Linux programs get
// them as separate arguments, split by the rule the Windows side reads them
// with (the one Delphi's ParamStr uses): blanks and control characters
// separate, a double quote switches quoting on and off and is dropped, and a
// backslash is an ordinary character, so "C:\Temp\" stays a folder name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pordane::platform {

std::vector<std::string> splitCommandLine(std::string_view line);

// The inverse for arguments without double quotes: each argument that is
// empty or holds a blank is put in double quotes; arguments joined by blanks.
std::string joinCommandLine(const std::vector<std::string>& arguments);

// The arguments this program was started with, without its own name: argv on
// POSIX; on Windows the process's command line split by the rule above.
std::vector<std::string> programArguments(int argc, char** argv);

} // namespace pordane::platform
