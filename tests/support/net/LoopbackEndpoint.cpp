#include "support/net/LoopbackEndpoint.h"

#include "platform/NetError.h"
#include "platform/TcpConnect.h"

#include "support/net/SocketCompat.h"

#include <gtest/gtest.h>

namespace pordane::testsupport {

using pordane::platform::Socket;
using namespace std::chrono_literals;

namespace sockets = pordane::testsupport::sockets;

Socket listenOn(const std::string& address, int backlog, uint16_t& port)
{
    port = 0;
    Socket sock(sockets::listenOn(address.c_str(), backlog, port));
    EXPECT_TRUE(sock.valid()) << address;
    return sock;
}

uint16_t refusedPort(const std::string& address)
{
    uint16_t port = 0;
    listenOn(address, 1, port);
    return port;
}

SilentEndpoint::SilentEndpoint(const std::string& address)
{
    listener = listenOn(address, 0, port);
    const auto addr = *pordane::platform::IPv4::parse(address);
    for (int i = 0; i < 8; ++i) {
        try {
            fillers.push_back(pordane::platform::connectTcp(addr, port, 300ms));
        } catch (const pordane::platform::NetError&) {
            return; // the queue is full
        }
    }
    ADD_FAILURE() << "the accept queue never filled";
}

LoopbackEndpoint::LoopbackEndpoint(const std::string& address, Behaviour behaviour) : m_behaviour(behaviour)
{
    m_listener = listenOn(address, 8, m_port);
    m_thread = std::thread([this] { serve(); });
}

LoopbackEndpoint::~LoopbackEndpoint()
{
    m_stop = true;
    m_thread.join();
}

std::vector<std::string> LoopbackEndpoint::waitForClosedSessions(size_t count, std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, limit, [&] { return m_sessions.size() >= count; });
    return m_sessions;
}

void LoopbackEndpoint::serve()
{
    while (!m_stop) {
        if (sockets::pollOne(m_listener.fd(), POLLIN, 20) <= 0)
            continue;
        Socket conn(sockets::acceptOn(m_listener.fd()));
        if (conn.valid())
            serveOne(std::move(conn));
    }
}

void LoopbackEndpoint::serveOne(Socket conn)
{
    switch (m_behaviour) {
    case Behaviour::CloseAtOnce: return;
    case Behaviour::GreetAndClose:
        ::send(conn.fd(), Greeting.data(), static_cast<int>(Greeting.size()), sockets::SendFlags);
        return;
    case Behaviour::StayOpen: break;
    }
    std::string received;
    while (!m_stop) {
        if (sockets::pollOne(conn.fd(), POLLIN, 20) <= 0)
            continue;
        char buf[512];
        const ssize_t n = ::recv(conn.fd(), buf, sizeof buf, 0);
        if (n <= 0)
            break;
        received.append(buf, static_cast<size_t>(n));
    }
    std::lock_guard lock(m_mutex);
    m_sessions.push_back(received);
    m_changed.notify_all();
}

} // namespace pordane::testsupport
