#include "support/ftpservers/LocalFtpServerShared.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pordane::testsupport {

namespace {

bool isLoopbackV4(const std::string& address)
{
    unsigned parts[4] = {};
    char rest = 0;
    if (std::sscanf(address.c_str(), "%3u.%3u.%3u.%3u%c", &parts[0], &parts[1], &parts[2], &parts[3], &rest) != 4)
        return false;
    for (const unsigned p : parts)
        if (p > 255)
            return false;
    return parts[0] == 127 && address.find_first_not_of("0123456789.") == std::string::npos;
}

std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (const unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

} // namespace

namespace detail {

void checkRequest(FtpServerKind kind, const std::string& address, const std::vector<FtpAccount>& accounts,
                  const FtpServerOptions& opts, bool (*acceptsConnection)(const std::string&, int))
{
    if (!isLoopbackV4(address))
        throw std::invalid_argument("FTP test servers listen on 127.x.x.x only, not " + address);
    if (accounts.empty())
        throw std::invalid_argument("an FTP test server needs at least one account");
    if (opts.throttleDownBytesPerSec < 0 || opts.throttleUpBytesPerSec < 0)
        throw std::invalid_argument("negative throttle rate");
    if (kind == FtpServerKind::Vsftpd && opts.throttleDownBytesPerSec && opts.throttleUpBytesPerSec &&
        opts.throttleDownBytesPerSec != opts.throttleUpBytesPerSec)
        throw std::invalid_argument("vsftpd throttles both directions at one rate");
    if (!LocalFtpServer::available(kind))
        throw std::runtime_error(kind == FtpServerKind::Vsftpd ? "vsftpd (or pam_pwdfile, or root) not available"
                                                               : "pyftpdlib not available");
    if (acceptsConnection(address, FtpPort))
        throw std::runtime_error(address + ":21 is already in use by another server");
}

std::string accountsJson(const std::vector<FtpAccount>& accounts, const std::string& workDir,
                         const std::string& testWorkDir, std::map<std::string, std::string>& homes)
{
    std::string json = "[\n";
    for (size_t i = 0; i < accounts.size(); ++i) {
        const FtpAccount& a = accounts[i];
        if (!homes.emplace(a.user, testWorkDir + "/homes/" + a.user).second)
            throw std::invalid_argument("duplicate FTP account " + a.user);
        json += "  {\"user\": " + jsonString(a.user) + ", \"password\": " + jsonString(a.password) +
                ", \"perms\": " + jsonString(a.perms) + ", \"home\": " + jsonString(workDir + "/homes/" + a.user) + "}";
        json += i + 1 < accounts.size() ? ",\n" : "\n";
    }
    return json + "]\n";
}

std::vector<std::string> launcherCommand(FtpServerKind kind, const std::string& address, const std::string& workDir,
                                         const FtpServerOptions& opts)
{
    const std::string script = std::string(PORDANE_FTPSERVERS_DIR) +
                               (kind == FtpServerKind::Vsftpd ? "/vsftpd_server.py" : "/pyftpd_server.py");
    std::vector<std::string> argv{Python,             script,    "--address",   address,
                                  "--root",           workDir,   "--users-json", workDir + "/accounts.json",
                                  "--owned-root"};
    if (opts.throttleDownBytesPerSec)
        argv.insert(argv.end(), {"--throttle-down", std::to_string(opts.throttleDownBytesPerSec)});
    if (opts.throttleUpBytesPerSec)
        argv.insert(argv.end(), {"--throttle-up", std::to_string(opts.throttleUpBytesPerSec)});
    return argv;
}

std::string readWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// "127.0.0.1:40000-[user] <- STOR name"
// "... [pid 12] [user] FTP command: Client "127.0.0.1", "STOR name""
std::vector<std::string> parseCommands(const std::string& log, FtpServerKind kind)
{
    std::vector<std::string> out;
    std::istringstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        if (kind == FtpServerKind::Pyftpdlib) {
            const auto at = line.find("] <- ");
            if (at != std::string::npos)
                out.push_back(line.substr(at + 5));
        } else {
            const auto at = line.find("FTP command: Client \"");
            if (at == std::string::npos)
                continue;
            const auto open = line.find("\", \"", at);
            if (open == std::string::npos || line.back() != '"')
                continue;
            out.push_back(line.substr(open + 4, line.size() - open - 5));
        }
    }
    return out;
}

} // namespace detail

const std::string& LocalFtpServer::address() const
{
    return m_address;
}

std::string LocalFtpServer::homeOf(const std::string& user) const
{
    const auto it = m_homes.find(user);
    if (it == m_homes.end())
        throw std::out_of_range("no FTP account " + user);
    return it->second;
}

std::string LocalFtpServer::commandLog() const
{
    return readWorkFile("commands.log");
}

std::vector<std::string> LocalFtpServer::commands() const
{
    return detail::parseCommands(commandLog(), m_kind);
}

} // namespace pordane::testsupport
