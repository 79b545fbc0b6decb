// The restarter "pusetup": started by the program's update run just before
// the program ends, it waits for the program's process, copies the
// downloaded "_new" components over the program's files and starts the
// program again. Arguments, as the update run writes them:
//   1 process id   2 "L" (keep a log) or "X"   3 the program, or "null"
//   4 its parameters (a single blank: none)   5 source folder   6... components
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pordane::restarter {

enum ExitStatus {
    Restarted = 0,     // every step done
    CopyFailed = 1,    // no component replaced; the program was still started
    BadArguments = 2,  // nothing copied; the program was still started when named
    StartFailed = 3,   // the program could not be started
};

struct Setup {
    std::vector<std::string> arguments;  // without the restarter's own name
    std::filesystem::path documents;     // PUPDATE.INI and the log; empty: current folder
    std::filesystem::path destination;   // the program's folder (the current one)
    std::chrono::milliseconds settle{500};
};

// One "_new" file and the file it replaces.
struct Replacement {
    std::filesystem::path source;
    std::filesystem::path target;
};

using LogLine = std::function<void(const std::string&)>;

// The replacements the component arguments ask for, in order: "x_new" whose
// file exists in the source folder replaces "x" in the destination; a ".INF"
// list names further components ([FILES] COUNT, FILE1...). Names holding a
// folder separator or naming "." or ".." are refused (logged), so no
// component reaches outside the two folders.
std::vector<Replacement> planReplacements(const std::vector<std::string>& components,
                                          const std::filesystem::path& source,
                                          const std::filesystem::path& destination, const LogLine& log);

// All or nothing as far as the file system allows: every source is first
// copied beside its target (execute bits of the target kept) and flushed;
// only when every copy succeeded is each renamed over its target. On a
// failed copy the copies are removed and no target is touched.
bool replaceAll(const std::vector<Replacement>& plan, const LogLine& log);

ExitStatus runRestarter(const Setup& setup);

} // namespace pordane::restarter
