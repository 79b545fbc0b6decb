// Real FTP servers (pyftpdlib, vsftpd) on port 21 of a loopback address, for
// integration tests: started in the constructor, stopped in the destructor.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace pordane::testsupport {

// perms in pyftpdlib letters ("elradfmw" everything, without 'd' no delete,
// "elr" read only); for vsftpd a missing 'd' denies DELE/RMD and a missing
// 'w' makes the account read-only.
struct FtpAccount {
    std::string user;
    std::string password;
    std::string perms = "elradfmw";
};

enum class FtpServerKind { Pyftpdlib, Vsftpd };

// Throttling in bytes/s, 0 = unlimited. vsftpd has a single rate for both
// directions: give only one of them, or the same value twice.
struct FtpServerOptions {
    long throttleDownBytesPerSec = 0;
    long throttleUpBytesPerSec = 0;
};

class LocalFtpServer {
public:
    // Throws std::invalid_argument for a non-loopback address or bad options,
    // std::runtime_error (with the server's stderr) if it does not come up in 10 s.
    LocalFtpServer(FtpServerKind kind, std::string address, std::vector<FtpAccount> accounts,
                   FtpServerOptions opts = {});
    ~LocalFtpServer(); // SIGTERM to the process group, SIGKILL after 3 s, reaped, temp dir removed

    LocalFtpServer(const LocalFtpServer&) = delete;
    LocalFtpServer& operator=(const LocalFtpServer&) = delete;

    const std::string& address() const;
    FtpServerKind kind() const { return m_kind; }
    // Local directory that is this user's FTP root; exists and is empty at start.
    std::string homeOf(const std::string& user) const;
    // Writes a file into a user's home, owned so that the server may overwrite
    // or delete it (vsftpd acts as an unprivileged guest account).
    void putFile(const std::string& user, const std::string& name, const std::string& bytes) const;
    // The server's own log of commands and replies so far (format differs per
    // kind). Both servers log a command before answering it, so every command
    // whose reply a client has seen is already there.
    std::string commandLog() const;
    // Just the commands clients sent, in order, e.g. "USER u", "PASV", "STOR f"
    // (the password shows as the server logs it, masked).
    std::vector<std::string> commands() const;
    pid_t pid() const { return m_pid; } // the process group leader (a Linux process id under Wine too)

    static bool available(FtpServerKind kind); // binaries present (and root for vsftpd)

private:
    void stop() noexcept;
    std::string readWorkFile(const std::string& name) const;

    FtpServerKind m_kind;
    std::string m_address;
    std::string m_workDir;
    std::map<std::string, std::string> m_homes;
    pid_t m_pid = -1;
#ifdef _WIN32
    // Under Wine: the work folder as the native servers see it (the test sees
    // it through drive Z:), and a file held open while this object lives.
    std::string m_nativeWorkDir;
    void* m_alive = nullptr;
#endif
};

#ifndef _WIN32
// Children, grandchildren, ... of a process (zombies included), read from /proc.
std::vector<pid_t> descendantsOf(pid_t root);
#endif

} // namespace pordane::testsupport
