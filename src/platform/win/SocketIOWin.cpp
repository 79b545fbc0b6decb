#ifdef _WIN32

#include "platform/NetError.h"
#include "platform/Pump.h"
#include "platform/SocketIO.h"
#include "platform/win/Winsock.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>
#include <string>

namespace pordane::platform {

namespace {

using Clock = std::chrono::steady_clock;
using winsock::Readiness;

[[noreturn]] void throwClosedLocally()
{
    throw NetError(NetError::Kind::Closed, "Conexión cerrada");
}

// Waits for the readiness until `deadline`, pumping after every slice.
// Returns false at the deadline.
bool waitPumping(Socket& sock, Readiness what, Clock::time_point deadline, std::chrono::milliseconds slice)
{
    for (;;) {
        if (!sock.valid())
            throwClosedLocally();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        if (winsock::waitFor(winsock::handle(sock.fd()), what, std::min(left, slice)))
            return true;
        pump();
    }
}

int chunk(size_t size)
{
    return static_cast<int>(std::min<size_t>(size, INT_MAX));
}

} // namespace

size_t receiveSome(Socket& sock, char* buffer, size_t size, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    for (;;) {
        if (!sock.valid())
            throwClosedLocally();
        const int n = ::recv(winsock::handle(sock.fd()), buffer, chunk(size), 0);
        if (n >= 0)
            return static_cast<size_t>(n);
        const int err = WSAGetLastError();
        if (err != WSAEWOULDBLOCK)
            winsock::throwError("recv", err);
        if (!waitPumping(sock, Readiness::Read, deadline, DataPumpSlice))
            throw NetError(NetError::Kind::ReadTimeout, "Tiempo de espera agotado esperando datos");
    }
}

void sendAll(Socket& sock, const char* data, size_t size, std::chrono::milliseconds limit)
{
    while (size > 0) {
        if (!sock.valid())
            throwClosedLocally();
        const int n = ::send(winsock::handle(sock.fd()), data, chunk(size), 0);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        const int err = n < 0 ? WSAGetLastError() : WSAEWOULDBLOCK;
        if (err != WSAEWOULDBLOCK)
            winsock::throwError("send", err);
        if (!waitPumping(sock, Readiness::Write, Clock::now() + limit, DataPumpSlice))
            throw NetError(NetError::Kind::ReadTimeout, "Tiempo de espera agotado enviando datos");
    }
}

bool readableWithin(const Socket& sock, std::chrono::milliseconds limit)
{
    if (!sock.valid())
        return false;
    try {
        return winsock::waitFor(winsock::handle(sock.fd()), Readiness::Read, limit);
    } catch (const NetError&) {
        return false;
    }
}

bool peerHasClosed(const Socket& sock)
{
    if (!sock.valid())
        return true;
    if (!readableWithin(sock, std::chrono::milliseconds{0}))
        return false;
    char byte;
    const int n = ::recv(winsock::handle(sock.fd()), &byte, 1, MSG_PEEK);
    return n == 0 || (n < 0 && WSAGetLastError() != WSAEWOULDBLOCK);
}

void shutdownSend(const Socket& sock)
{
    if (sock.valid())
        ::shutdown(winsock::handle(sock.fd()), SD_SEND);
}

void waitSendDrained(Socket& sock, std::chrono::milliseconds /*stallLimit*/)
{
    // Winsock does not tell how much of what was sent is still unacknowledged
    // (SIO_TCP_INFO is missing before Windows 10 and under Wine): return at
    // once, as the interface allows.
    if (!sock.valid())
        throwClosedLocally();
}

void closeWithReset(Socket& sock)
{
    if (!sock.valid())
        return;
    const linger hard{1, 0};
    ::setsockopt(winsock::handle(sock.fd()), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
    sock.close();
}

TcpListener listenTcp(IPv4 address, uint16_t port)
{
    winsock::ensureStarted();
    TcpListener out;
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        winsock::throwError("socket", WSAGetLastError());
    out.sock = Socket(static_cast<int>(s));
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    // Nobody else may bind the same port while we listen on it.
    BOOL exclusive = TRUE;
    ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
    winsock::setNonBlocking(s);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(address.value);
    if (::bind(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0)
        winsock::throwError("bind", WSAGetLastError());
    if (::listen(s, 1) != 0)
        winsock::throwError("listen", WSAGetLastError());
    int len = sizeof sa;
    if (::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        winsock::throwError("getsockname", WSAGetLastError());
    out.port = ntohs(sa.sin_port);
    return out;
}

Socket acceptTcp(Socket& listener, std::chrono::milliseconds limit)
{
    if (!waitPumping(listener, Readiness::Read, Clock::now() + limit, DataPumpSlice))
        throw NetError(NetError::Kind::ConnectTimeout, "Tiempo de espera agotado esperando la conexión de datos");
    const SOCKET s = ::accept(winsock::handle(listener.fd()), nullptr, nullptr);
    if (s == INVALID_SOCKET)
        winsock::throwError("accept", WSAGetLastError());
    Socket conn(static_cast<int>(s));
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    winsock::setNonBlocking(s);
    return conn;
}

namespace {
IPv4 addressOf(const Socket& sock, bool peer)
{
    sockaddr_in sa{};
    int len = sizeof sa;
    const SOCKET s = winsock::handle(sock.fd());
    const int rc = peer ? ::getpeername(s, reinterpret_cast<sockaddr*>(&sa), &len)
                        : ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len);
    if (rc != 0)
        winsock::throwError(peer ? "getpeername" : "getsockname", WSAGetLastError());
    if (sa.sin_family != AF_INET)
        throw NetError(NetError::Kind::Socket, "La conexión no es IPv4");
    return IPv4{ntohl(sa.sin_addr.s_addr)};
}
} // namespace

IPv4 localAddress(const Socket& sock)
{
    return addressOf(sock, false);
}

IPv4 peerAddress(const Socket& sock)
{
    return addressOf(sock, true);
}

} // namespace pordane::platform

#endif
