// An in-process HTTP server for the updater's fault tests: its own thread,
// 127.0.0.1 on an ephemeral port, one connection at a time, every request
// head recorded. Each path answers with a scripted reply (successive replies
// for successive requests, the last one sticks); unknown paths get 404.
// Every reply closes the connection after it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pordane::testsupport {

struct HttpReply {
    int status = 200;
    std::string body;
    // Content-Length: the body's size unless set; none when announceLength is false.
    std::optional<int64_t> contentLength;
    bool announceLength = true;
    std::vector<std::string> headers; // extra lines, e.g. "Location: /x"
    int64_t stallAfter = -1;          // stop sending after this many body bytes, keep the connection open
    std::size_t throttleBytes = 0;    // send the body in chunks of this size...
    int throttleMs = 0;               // ...this far apart
};

class ScriptedHttpServer {
public:
    ScriptedHttpServer();
    ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    uint16_t port() const { return m_port; }
    std::string url(const std::string& path) const;

    void on(const std::string& path, HttpReply reply);
    // Request heads received (request line and headers, CR LF kept), in order.
    std::vector<std::string> requests() const;

private:
    void run();
    void serve(int fd);
    HttpReply replyFor(const std::string& path);
    bool sendAll(int fd, const char* data, std::size_t size);
    bool waitPeerClose(int fd);

    int m_listen = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::map<std::string, std::vector<HttpReply>> m_replies;
    std::map<std::string, std::size_t> m_used;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

// A listener whose accept queue is full: the kernel drops further SYNs, so
// a client's connect hears nothing at all, like a host behind a dropping
// firewall.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    uint16_t port() const { return m_port; }

private:
    int m_listen = -1;
    std::vector<int> m_fillers;
    uint16_t m_port = 0;
};

// A port on 127.0.0.1 with no listener: connections are refused at once.
uint16_t refusedPort();

} // namespace pordane::testsupport
