// The server table of a run, built as the window builds it (built-in
// servers, imported portals, the personal server), and the servers asked for.
#pragma once

#include "catalogue/ServerTable.h"
#include "cli/Report.h"
#include "cli/Options.h"
#include "cli/Program.h"
#include "cli/TerminalViews.h"
#include "ftptests/FtpTestContext.h"

#include <vector>

namespace pordane::cli {

struct Table {
    catalogue::ServerTable servers;
    bool personal = false;   // the last entry is the --host server
    bool withoutTalvane = false; // the import found no installation
};

// The import's messages become warnings of the report. Throws ConfigurationError.
Table buildTable(const Options& o, Environment& environment, ftp::FTPClient& client, TerminalDialogs& dialogs,
                     Report& report);

// The lines a user would tick: the --host server, all, or those named.
// Throws ConfigurationError for an unknown name.
std::vector<ftptests::MarkedLine> select(const Options& o, const Table& t);

// Entry n as the report names it.
ServerResult describe(const catalogue::ServerTable& table, int n, bool personal);

} // namespace pordane::cli
