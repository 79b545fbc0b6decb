// The events of the FTP client, as a plain observer. Handlers run on the
// caller's thread in the middle of an operation; the only call back into the
// client they may make is FTPClient::Abort().
#pragma once

#include <cstdint>
#include <string>

namespace pordane::ftp {

enum class WorkMode { wmRead, wmWrite };

enum class FtpStatus {
    Resolving,
    Connecting,
    Connected,        // TCP connection open
    LoggedIn,         // connection established: greeting, login and set-up done
    Disconnecting,
    Disconnected,
    TransferStarting,
    TransferComplete,
    TransferAborted,
};

class FTPObserver {
public:
    virtual ~FTPObserver() = default;
    // Text is informational only.
    virtual void OnStatus(FtpStatus /*AStatus*/, const std::string& /*AStatusText*/) {}
    // Once per data transfer; AWorkCountMax is the file size for an upload, 0 otherwise.
    virtual void OnWorkBegin(WorkMode /*AWorkMode*/, int64_t /*AWorkCountMax*/) {}
    // After every block; AWorkCount is the total moved since OnWorkBegin.
    virtual void OnWork(WorkMode /*AWorkMode*/, int64_t /*AWorkCount*/) {}
    // Once at the end of the transfer, whether it completed or failed.
    virtual void OnWorkEnd(WorkMode /*AWorkMode*/) {}
    // Something worth a log line that changes no state (a PASV reply naming
    // another host, a data connection refused for its origin).
    virtual void OnNotice(const std::string& /*text*/) {}
};

} // namespace pordane::ftp
