// The one error type of the FTP client; kind() tells the failures apart.
#pragma once

#include <stdexcept>
#include <string>

namespace pordane::ftp {

class FtpError : public std::runtime_error {
public:
    enum class Kind {
        Protocol,         // reply code not accepted, or a malformed reply; replyCode() set when a reply was read
        ReadTimeout,      // no reply line within ReadTimeout, or no data within TransferTimeout
        ConnectTimeout,   // TCP connect (or active-mode accept) not completed within its limit
        Socket,           // name not resolved, refused, unreachable, any other socket error
        NotConnected,     // operation on a closed control connection
        ConnectionClosed, // the server closed (or reset) the control connection
        File,             // local file cannot be created, opened, read or written
        Aborted,          // the transfer was cut short by Abort()
    };

    FtpError(Kind kind, const std::string& what, int replyCode = 0)
        : std::runtime_error(what), m_kind(kind), m_replyCode(replyCode) {}

    Kind kind() const { return m_kind; }
    int replyCode() const { return m_replyCode; }

private:
    Kind m_kind;
    int m_replyCode;
};

} // namespace pordane::ftp
