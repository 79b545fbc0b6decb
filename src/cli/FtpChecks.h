// The three FTP tests of the window over the servers asked for, one server
// at a time, through the terminal views.
#pragma once

#include "cli/Report.h"
#include "cli/Options.h"
#include "cli/Program.h"

namespace pordane::cli {

// Fills the report's servers; returns the exit status (0, 1 or 3).
// Throws ConfigurationError.
int ftpCheck(const Options& o, Environment& environment, Report& report);

} // namespace pordane::cli
