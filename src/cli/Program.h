// pordane-cli: reads the command line, builds the server table as the window
// does, runs the window's own test functions through the terminal views and
// writes the report. Everything it needs from outside comes in an Environment.
#pragma once

#include "catalogue/PortalImport.h"
#include "catalogue/ServerTable.h"
#include "ftp/FTPClient.h"
#include "ftptests/GeneraID.h"
#include "netdiag/PortTester.h"
#include "views/Dialogs.h"
#include "views/LinksView.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pordane::cli {

inline constexpr int ExitSuccess = 0;
inline constexpr int ExitWithFailures = 1;
inline constexpr int ExitUsageError = 2;
inline constexpr int ExitInterrupted = 3;

// The portal import as the window runs it: fills entries 4 onward of the
// table and appends the personal entry after them.
using LinkImporter = std::function<catalogue::ImportResult(
    ftp::FTPClient& client, catalogue::ServerTable& table, const catalogue::PersonalFields& personal,
    views::Dialogs& dialogs, views::LinksView& view)>;

struct Environment {
    std::ostream& out;
    std::ostream& err;
    // Standard error is a terminal: the live progress line is drawn there.
    bool progressOnTerminal = false;
    std::function<std::optional<std::string>(const std::string& name)> variable;
    // Reads the password without echo; nullopt when there is no terminal.
    std::function<std::optional<std::string>(const std::string& prompt)> readPassword;
    LinkImporter importLinks;
    netdiag::PortTestOptions ports;
    std::function<std::string()> processes;
    // How many times Ctrl-C was pressed so far.
    std::function<int()> interrupts;
    ftptests::IdSources ids = ftptests::defaultIdSources();
};

// The real console, environment, importer, probe table and process list.
Environment systemEnvironment(std::ostream& out, std::ostream& err);

// args without the program name; returns the exit status.
int run(const std::vector<std::string>& args, Environment& environment);

} // namespace pordane::cli
