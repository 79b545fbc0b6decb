// TCP endpoints on a 127.0.3.x address made by the netdiag tests: each
// behaves in one way a real server might when a port probe connects.
#pragma once

#include "platform/Socket.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pordane::testsupport {

enum class Behaviour {
    CloseAtOnce,   // accept, close without sending
    GreetAndClose, // accept, send a greeting, close
    StayOpen,      // accept, then wait for the client to close
};

inline const std::string Greeting = "220 Servicio preparado\r\n";

class LoopbackEndpoint {
public:
    LoopbackEndpoint(const std::string& address, Behaviour behaviour);
    ~LoopbackEndpoint();
    LoopbackEndpoint(const LoopbackEndpoint&) = delete;
    LoopbackEndpoint& operator=(const LoopbackEndpoint&) = delete;

    uint16_t port() const { return m_port; }

    // StayOpen: what each finished connection received before the client
    // closed it, once `count` connections have finished or the wait ran out.
    std::vector<std::string> waitForClosedSessions(size_t count, std::chrono::milliseconds limit);

private:
    void serve();
    void serveOne(pordane::platform::Socket conn);

    Behaviour m_behaviour;
    pordane::platform::Socket m_listener;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_sessions;
    std::thread m_thread;
};

// A listening socket on `address`, port chosen by the system.
pordane::platform::Socket listenOn(const std::string& address, int backlog, uint16_t& port);

// A port on `address` where nothing listens (bound once, then released).
uint16_t refusedPort(const std::string& address);

// A listener whose accept queue is full: further connects get no answer.
struct SilentEndpoint {
    explicit SilentEndpoint(const std::string& address);
    pordane::platform::Socket listener;
    std::vector<pordane::platform::Socket> fillers;
    uint16_t port = 0;
};

} // namespace pordane::testsupport
