// The restarter's command line as the restart writes it, and its start.
#pragma once

#include "platform/Process.h"

#include <filesystem>
#include <optional>
#include <string>

namespace pordane::update {

struct RestarterCommand {
    platform::ProcessId processId = 0;
    bool logging = false;        // "L" instead of "X"
    bool autoRestart = true;     // false: the program is "null"
    std::string appName;         // absolute, or relative to currentFolder
    std::string appParam;
    std::string currentFolder;   // the program's folder
    std::string tempDirectory = ".";
    std::string appComps;
};

// `pid X|L app param "temp" comps`: the program absolute (an absolute name
// as it is, else the current folder, a separator and the name) and quoted
// when it holds a blank, or "null"; the parameters quoted when they hold a
// blank, an empty list written as a quoted single blank.
std::string restarterCommandLine(const RestarterCommand& command);

// Starts `restarter` detached in `folder` with that line (on POSIX split into
// arguments by the Windows rule, so both sides read it alike).
std::optional<platform::ProcessId> startRestarter(const std::filesystem::path& restarter, const std::string& line,
                                                  const std::filesystem::path& folder);

} // namespace pordane::update
