// An in-process FTP server for protocol tests: its own thread, 127.0.0.1 on an
// ephemeral port, one session at a time, every command recorded. Defaults
// cover the happy path; a test states only what differs, one directive each:
//
//   GREETING <reply>        a greeting reply; repeat for a sequence ("120 ..." then "220 ...")
//   REPLY <VERB> <reply>    replaces the default reply; repeated, successive uses take
//                           successive replies and the last one sticks. For RETR/STOR/LIST/MLSD
//                           a 1xx reply starts the transfer with it, anything else refuses it.
//                           A 421 reply closes the connection after it, as the code announces.
//   DELAY <VERB> <ms>       waits before answering
//   CLOSE-AFTER <VERB>      closes the control connection on receiving VERB, no reply
//   PASV <a.b.c.d>          address announced in 227 replies (default 127.0.0.1)
//   TRICKLE <ms>            sends every reply (greetings included) one byte at a time, <ms> apart
//   THROTTLE <bytes> <ms>   sends download data in chunks of <bytes>, <ms> apart
//   PAUSE <offset> <ms>     one pause once <offset> bytes of download data are sent
//   STALL <offset>          stops sending after <offset> bytes until the client drops the data connection;
//                           in a STOR stops reading after <offset> bytes until the client resets it or sends ABOR
//   FINAL <VERB> <reply>    final reply of a transfer (default 226, or 426 after a broken send)
//   FINAL-DELAY <ms>        waits before the final reply of every transfer
//   ABORT-REPLIES <reply>   sent in one write when ABOR arrives during a transfer
//
// A <reply> holds one or more full lines separated by "\n" ("211-Features:\n UTF8\n211 End").
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pordane::testsupport {

class ScriptedFtpServer {
public:
    explicit ScriptedFtpServer(const std::vector<std::string>& script = {});
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    static constexpr const char* Address = "127.0.0.1";
    uint16_t port() const { return m_port; }

    // Content served by RETR <name>; LIST and MLSD serve the listing.
    void setFile(const std::string& name, std::string content);
    void setListing(std::string content);
    // Bytes sent verbatim in place of the greeting (malformed-input tests).
    void setRawGreeting(std::string bytes);

    // Every command line received, as raw bytes without CR LF, all sessions in order.
    std::vector<std::string> commands() const;
    // The same, one list per control connection.
    std::vector<std::vector<std::string>> sessions() const;
    // Bytes received by STOR <name>.
    std::optional<std::string> stored(const std::string& name) const;
    // Data connections opened (accepted or connected) so far.
    int dataConnections() const;
    // Waits until no session is open (true) or the limit passes (false).
    bool waitIdle(std::chrono::milliseconds limit) const;

private:
    struct Session;
    struct Transfer;
    void run();
    void serve(int fd);
    bool handle(Session& s, const std::string& line);
    void transfer(Session& s, const std::string& verb, const std::string& arg, const std::string& preliminary);
    void sendReply(Session& s, const std::string& reply);
    std::optional<std::string> scripted(const std::string& verb);
    void record(const std::string& line);
    bool sleepFor(std::chrono::milliseconds ms) const;

    // Script (fixed before the thread starts, except the data set by setters).
    std::vector<std::string> m_greetings;
    std::map<std::string, std::vector<std::string>> m_replies;
    std::map<std::string, size_t> m_replyUse;
    std::map<std::string, int> m_delays;
    std::map<std::string, std::string> m_finals;
    int m_finalDelayMs = 0;
    std::vector<std::string> m_closeAfter;
    std::string m_pasvAddress = "127.0.0.1";
    size_t m_throttleBytes = 0;
    int m_throttleMs = 0;
    int m_trickleMs = 0;
    std::optional<size_t> m_pauseAt;
    int m_pauseMs = 0;
    std::optional<size_t> m_stallAt;
    std::string m_abortReplies = "426 Transfer aborted\n226 Abort successful";

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::map<std::string, std::string> m_files;
    std::string m_listing;
    std::optional<std::string> m_rawGreeting;
    std::vector<std::vector<std::string>> m_sessions;
    std::map<std::string, std::string> m_stored;
    int m_dataConnections = 0;
    bool m_sessionOpen = false;

    int m_listenFd = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace pordane::testsupport
