// What both backends of LocalFtpServer (the Linux one and the one under Wine)
// share: the checks of a request, the accounts file, the launcher's command
// line and the reading of the servers' command logs.
#pragma once

#include "ftpservers/LocalFtpServer.h"

#include <map>
#include <string>
#include <vector>

namespace pordane::testsupport::detail {

inline constexpr int FtpPort = 21;

// Throws std::invalid_argument for an address off 127.x.x.x, no accounts or
// options the server cannot follow, std::runtime_error when it is missing.
void checkRequest(FtpServerKind kind, const std::string& address, const std::vector<FtpAccount>& accounts,
                  const FtpServerOptions& opts);

// The launcher's accounts file, each home under `workDir`/homes as the server
// sees it; `homes` gets each user's home as the test sees it, under `testWorkDir`.
std::string accountsJson(const std::vector<FtpAccount>& accounts, const std::string& workDir,
                         const std::string& testWorkDir, std::map<std::string, std::string>& homes);

// The launcher's command line, the interpreter first; paths as the server sees them.
std::vector<std::string> launcherCommand(FtpServerKind kind, const std::string& address, const std::string& workDir,
                                         const FtpServerOptions& opts);

std::vector<std::string> parseCommands(const std::string& log, FtpServerKind kind);

} // namespace pordane::testsupport::detail
