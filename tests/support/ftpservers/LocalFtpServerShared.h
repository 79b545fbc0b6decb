// What both backends of LocalFtpServer (the Linux one and the one under Wine)
// share: the checks of a request, the accounts file, the launcher's command
// line and the reading of the servers' command logs.
#pragma once

#include "support/ftpservers/LocalFtpServer.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace pordane::testsupport::detail {

inline constexpr int FtpPort = 21;
// A server must accept within StartTimeout; it is polled every PollInterval.
inline constexpr std::chrono::seconds StartTimeout{10};
inline constexpr std::chrono::milliseconds PollInterval{20};

// What the servers need on the Linux side.
inline constexpr const char* Python = "/usr/bin/python3";
inline constexpr const char* PyftpdlibModule = "/usr/lib/python3/dist-packages/pyftpdlib/__init__.py";
inline constexpr const char* Vsftpd = "/usr/sbin/vsftpd";
inline constexpr const char* PamPwdfile[] = {"/lib/x86_64-linux-gnu/security/pam_pwdfile.so",
                                             "/usr/lib/x86_64-linux-gnu/security/pam_pwdfile.so",
                                             "/lib/security/pam_pwdfile.so"};

// Whether vsftpd's PAM module is installed, by a backend's own file check.
template <typename Exists>
bool havePamPwdfile(Exists exists)
{
    for (const char* path : PamPwdfile)
        if (exists(path))
            return true;
    return false;
}

// Throws std::invalid_argument for an address off 127.x.x.x, no accounts or
// options the server cannot follow, std::runtime_error when it is missing or
// something already accepts connections on address:21 (asked through the
// backend's `acceptsConnection(address, port)`).
void checkRequest(FtpServerKind kind, const std::string& address, const std::vector<FtpAccount>& accounts,
                  const FtpServerOptions& opts, bool (*acceptsConnection)(const std::string&, int));

// The launcher's accounts file, each home under `workDir`/homes as the server
// sees it; `homes` gets each user's home as the test sees it, under `testWorkDir`.
std::string accountsJson(const std::vector<FtpAccount>& accounts, const std::string& workDir,
                         const std::string& testWorkDir, std::map<std::string, std::string>& homes);

// The launcher's command line, the interpreter first; paths as the server sees them.
std::vector<std::string> launcherCommand(FtpServerKind kind, const std::string& address, const std::string& workDir,
                                         const FtpServerOptions& opts);

// The whole file; empty when it cannot be read.
std::string readWholeFile(const std::filesystem::path& path);

std::vector<std::string> parseCommands(const std::string& log, FtpServerKind kind);

} // namespace pordane::testsupport::detail
