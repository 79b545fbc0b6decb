// The IP Helper listening table against sockets this process opens itself.
#include "platform/ListeningSockets.h"
#include "platform/SocketIO.h"
#include "platform/TcpConnect.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>

using namespace pordane::platform;

namespace {

const IPv4 loopback{0x7F000001};

std::vector<ListeningSocket> entriesFor(SocketProtocol protocol, uint16_t port)
{
    std::vector<ListeningSocket> out;
    for (const auto& entry : listListeningSockets())
        if (entry.protocol == protocol && entry.port == port)
            out.push_back(entry);
    return out;
}

uint16_t localPort(SOCKET s)
{
    sockaddr_in sa{};
    int len = sizeof sa;
    EXPECT_EQ(::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len), 0);
    return ntohs(sa.sin_port);
}

std::string ownImageName()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    return std::string(name.begin(), name.end()); // ASCII executable name
}

// Wine creates sockets in its server process and names the owner only once
// the program itself has used the descriptor; a read that fails at once is
// such a use. On Windows it changes nothing.
void touch(SOCKET s)
{
    u_long nonBlocking = 1;
    ::ioctlsocket(s, FIONBIO, &nonBlocking);
    char byte;
    ::recv(s, &byte, 1, 0);
}

} // namespace

TEST(ListeningSocketsWin, OurListenerAndUdpSocketCarryOurPidAndName)
{
    TcpListener listener = listenTcp(loopback);
    const SOCKET udp = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ASSERT_NE(udp, INVALID_SOCKET);
    Socket udpOwner(static_cast<int>(udp));
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(loopback.value);
    ASSERT_EQ(::bind(udp, reinterpret_cast<const sockaddr*>(&sa), sizeof sa), 0);
    const uint16_t udpPort = localPort(udp);
    touch(udp);
    touch(static_cast<SOCKET>(listener.sock.fd()));

    const int pid = static_cast<int>(GetCurrentProcessId());
    const ListeningSocket tcpWanted{SocketProtocol::TCP, listener.port, pid, ownImageName()};
    const ListeningSocket udpWanted{SocketProtocol::UDP, udpPort, pid, ownImageName()};
    EXPECT_EQ(entriesFor(SocketProtocol::TCP, listener.port), std::vector<ListeningSocket>{tcpWanted});
    EXPECT_EQ(entriesFor(SocketProtocol::UDP, udpPort), std::vector<ListeningSocket>{udpWanted});
    // Owners the system cannot tell are unknown, never process 0.
    for (const auto& entry : listListeningSockets())
        EXPECT_TRUE(entry.pid != 0 && (entry.pid || entry.process.empty())) << entry.port;

    // A connected socket is not listening: only the listener shows.
    Socket client = connectTcp(loopback, listener.port, std::chrono::milliseconds{2000});
    Socket served = acceptTcp(listener.sock, std::chrono::milliseconds{2000});
    EXPECT_TRUE(entriesFor(SocketProtocol::TCP, localPort(static_cast<SOCKET>(client.fd()))).empty());

    // Closed: gone from the table.
    const uint16_t closedPort = listener.port;
    listener.sock.close();
    udpOwner.close();
    EXPECT_TRUE(entriesFor(SocketProtocol::TCP, closedPort).empty());
    EXPECT_TRUE(entriesFor(SocketProtocol::UDP, udpPort).empty());
}
