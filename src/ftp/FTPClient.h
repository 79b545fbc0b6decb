// The blocking FTP client (RFC 959 with FEAT, MLSD and HOST), IPv4 only.
//
// Set the public settings, then Connect(); every operation either completes or
// throws FtpError. While it waits on the network the client calls
// platform::pump() (every platform::PumpInterval, however the server sends,
// and after every data block), so a
// window stays alive; the only call allowed back into the client from such a
// turn (or from an observer event) is Abort(). Files stream block by block;
// only listings are held in memory (ListResult). Transfers use TYPE A and move
// the bytes unchanged: the client converts no line ends.
#pragma once

#include "ftp/FTPObserver.h"
#include "ftp/FtpError.h"
#include "ftp/WorkReporter.h"
#include "platform/NetError.h"
#include "platform/Socket.h"
#include "platform/TcpConnect.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace pordane::ftp {

enum class FtpTransferType { ASCII, Binary };

// One reply: the three-digit code and its text lines (without the code prefix
// on the first and the last line).
struct FtpReply {
    int code = 0;
    std::vector<std::string> lines;
    std::string text() const; // lines joined with "\n"
};

class FTPClient {
public:
    FTPClient();
    ~FTPClient();
    FTPClient(const FTPClient&) = delete;
    FTPClient& operator=(const FTPClient&) = delete;

    // Settings (times in milliseconds).
    std::string Host;
    uint16_t Port = 21;
    std::string Username;
    std::string Password;
    bool Passive = false;
    FtpTransferType TransferType = FtpTransferType::ASCII;
    std::chrono::milliseconds ConnectTimeout{0}; // 0: the default limit of 120,000 ms
    std::chrono::milliseconds ReadTimeout{5000};  // per reply line; a whole reply gets ReplyTimeoutFactor times it
    std::chrono::milliseconds TransferTimeout{5000}; // per data block
    std::chrono::milliseconds ListenTimeout{10000};  // active mode: wait for the server's data connection
    bool AutoLogin = true;
    bool UseHOST = true;
    bool AutoFEAT = true;
    bool UseMLSD = true;
    std::string ClientName; // sent with CLNT when the server lists it ("Pordane <version>")
    platform::Resolver HostResolver = platform::systemResolve; // tests inject one: no DNS
    platform::Connector TcpConnector = platform::connectTcp;   // every outgoing connection; tests inject one

    // Bounds against hostile or broken servers.
    static constexpr size_t MaxReplyLine = 64 * 1024;
    static constexpr size_t MaxReplyLines = 4096;
    static constexpr int ReplyTimeoutFactor = 3;
    static constexpr size_t MaxReplyBytes = 1024 * 1024;
    static constexpr size_t MaxListingBytes = 64 * 1024 * 1024;
    static constexpr size_t BlockSize = 256 * 1024;

    void setObserver(FTPObserver* observer);

    // Operations.
    void Connect();
    void ChangeDir(const std::string& directory);
    // Empties (creates) the local file before any traffic; after a failure it
    // keeps the bytes received so far.
    void Get(const std::string& remoteName, const std::string& localFile);
    void Put(const std::string& localFile, const std::string& remoteName);
    void Delete(const std::string& remoteName);
    void Rename(const std::string& oldName, const std::string& newName);
    // Replaces ListResult with the lines of an MLSD or LIST listing.
    void List();
    // During a transfer: sends ABOR and drops the data connection; the transfer
    // then throws FtpError Aborted once the replies are consumed. Before the
    // transfer command is sent it only stops the transfer (nothing on the
    // wire); while the final reply is awaited it does nothing.
    void Abort();
    // QUIT (reply awaited 100 ms at most), then close. Does nothing when closed.
    void Disconnect();
    // Closes every connection without a word to the server (a run stopped
    // in the middle of a conversation).
    void Abandon();
    bool Connected();

    // Connection state.
    const std::string& Greeting() const { return m_greeting; }
    const std::vector<std::string>& Capabilities() const { return m_capabilities; }
    bool SupportsFeature(const std::string& name) const;
    const std::string& SystemType() const { return m_systemType; }
    const FtpReply& LastReply() const { return m_lastReply; }
    const std::vector<std::string>& ListResult() const { return m_listResult; }
    bool UsesUtf8() const { return m_utf8; }

private:
    enum class HostStep { Done, Dropped };
    // Takes one received block; returns false to stop the transfer (with ABOR).
    using Sink = std::function<bool(const char*, size_t)>;

    HostStep connectOnce(bool useHost);
    void login();
    void negotiateFeatures();
    void resetState();
    void closeControl();
    void requireConnected() const;
    void status(FtpStatus status, const std::string& text);
    void notice(const std::string& text);

    // Control connection.
    void writeCommand(const std::string& command);
    FtpReply readReply();
    FtpReply sendCommand(const std::string& command);
    FtpReply expect(FtpReply reply, std::initializer_list<int> accepted);
    std::string readLine(std::chrono::steady_clock::time_point deadline);
    bool inputPending(std::chrono::milliseconds wait);
    [[noreturn]] void failControl(FtpError::Kind kind, const std::string& what, int code = 0);
    [[noreturn]] void controlNetError(const platform::NetError& e);

    // Data connections and transfers.
    struct DataTarget {
        platform::IPv4 address;
        uint16_t port = 0;
    };
    DataTarget preparePassive(const std::string& transferCommand);
    void openPassive(const DataTarget& target);
    void prepareActive();
    void acceptActive();
    void download(const std::string& command, const Sink& sink);
    void receiveData(const Sink& sink);
    void sendData(std::FILE* file, int64_t size);
    void drainData();
    void finishTransfer();
    void runTransfer(const std::function<void(bool& commandSent)>& body);
    void writeTransferCommand(const std::string& command, bool& commandSent);
    void abortTransfer();
    void releaseData();
    void quitQuietly();
    std::chrono::milliseconds connectLimit() const;
    std::string typeCommand() const;
    [[noreturn]] void dataNetError(const platform::NetError& e);
    std::string encode(const std::string& text) const;
    std::string decode(const std::string& bytes) const;

    FTPObserver* m_observer = nullptr;
    WorkReporter m_work;
    platform::Socket m_control;
    platform::Socket m_data;
    platform::Socket m_listener;
    platform::IPv4 m_peer;
    std::string m_inBuf;
    size_t m_inPos = 0;
    std::vector<char> m_block;

    std::string m_greeting;
    std::vector<std::string> m_capabilities;
    std::string m_systemType;
    FtpReply m_lastReply;
    std::vector<std::string> m_listResult;
    bool m_utf8 = false;
    bool m_abortFlag = false;
    bool m_inTransfer = false;
    bool m_commandSent = false; // the running transfer's command is on the wire
    bool m_finishing = false;   // the running transfer is in its final step
    bool m_busy = false;
};

} // namespace pordane::ftp
