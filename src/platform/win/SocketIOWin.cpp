#ifdef _WIN32

#include "platform/NetError.h"
#include "platform/base/Pump.h"
#include "platform/SocketIO.h"
#include "platform/win/Winsock.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <optional>
#include <string>

namespace pordane::platform {

namespace {

using Clock = std::chrono::steady_clock;
using winsock::Readiness;

[[noreturn]] void throwClosedLocally()
{
    throw NetError(NetError::Kind::Closed, "Conexión cerrada");
}

// Waits for the readiness until `deadline`. The window gets its turn every
// PumpInterval whatever happens on the socket: a peer sending one byte at a
// time must not starve it. Returns false at the deadline.
bool waitPumping(Socket& sock, Readiness what, Clock::time_point deadline)
{
    for (;;) {
        if (!sock.valid())
            throwClosedLocally();
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        const bool ready = winsock::waitFor(winsock::handle(sock.fd()), what, std::min(left, untilPumpDue()));
        pumpIfDue();
        if (ready)
            return true;
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
        if (n >= 0) {
            // A peer that always has a byte ready never lets the wait below run.
            pumpIfDue();
            return static_cast<size_t>(n);
        }
        const int err = WSAGetLastError();
        if (err != WSAEWOULDBLOCK)
            winsock::throwError("recv", err);
        if (!waitPumping(sock, Readiness::Read, deadline))
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
            pumpIfDue();
            continue;
        }
        const int err = n < 0 ? WSAGetLastError() : WSAEWOULDBLOCK;
        if (err != WSAEWOULDBLOCK)
            winsock::throwError("send", err);
        if (!waitPumping(sock, Readiness::Write, Clock::now() + limit))
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

namespace {

// Waits up to `limit` until `a` or `b` (when valid) is readable; tells which.
struct Readable {
    bool a = false;
    bool b = false;
};
Readable waitReadable(const Socket& a, const Socket& b, std::chrono::milliseconds limit)
{
    const long long ms = std::max<long long>(0, limit.count());
    timeval tv{static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(winsock::handle(a.fd()), &ready);
    if (b.valid())
        FD_SET(winsock::handle(b.fd()), &ready);
    if (::select(0, &ready, nullptr, nullptr, &tv) == SOCKET_ERROR)
        winsock::throwError("select", WSAGetLastError());
    return {FD_ISSET(winsock::handle(a.fd()), &ready) != 0, b.valid() && FD_ISSET(winsock::handle(b.fd()), &ready) != 0};
}

} // namespace

void finishSending(Socket& sock, const Socket& replyChannel, std::chrono::milliseconds stallLimit)
{
    if (!sock.valid())
        throwClosedLocally();
    // The peer reads end-of-file after the last byte; it then closes its side
    // or answers on the reply channel. Winsock does not tell how much is still
    // unacknowledged (SIO_TCP_INFO is missing before Windows 10 and under
    // Wine), so a slow link cannot be told from a stuck peer: the whole wait
    // gets `stallLimit`, which only the send buffer's last bytes need.
    ::shutdown(winsock::handle(sock.fd()), SD_SEND);
    const auto deadline = Clock::now() + stallLimit;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const Readable r = waitReadable(sock, replyChannel, std::clamp(std::min(left, untilPumpDue()),
                                                                       std::chrono::milliseconds{0}, PumpInterval));
        if (r.b)
            return;
        if (r.a) {
            // Closed, reset or failed: all the peer will ever take is taken.
            // Bytes sent back (no FTP server does) are read and dropped.
            char scrap[512];
            const int n = ::recv(winsock::handle(sock.fd()), scrap, sizeof scrap, 0);
            if (n == 0 || (n < 0 && WSAGetLastError() != WSAEWOULDBLOCK))
                return;
        }
        pumpIfDue();
        if (!sock.valid())
            throwClosedLocally();
        if (Clock::now() >= deadline)
            throw NetError(NetError::Kind::ReadTimeout, "Tiempo de espera agotado: el otro extremo no recibe los datos");
    }
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

Socket acceptTcp(Socket& listener, std::chrono::milliseconds limit, std::optional<IPv4> onlyFrom,
                 const std::function<void(IPv4)>& refused)
{
    const auto deadline = Clock::now() + limit;
    for (;;) {
        if (!waitPumping(listener, Readiness::Read, deadline))
            throw NetError(NetError::Kind::ConnectTimeout, "Tiempo de espera agotado esperando la conexión de datos");
        if (!listener.valid())
            throwClosedLocally();
        sockaddr_in from{};
        int len = sizeof from;
        const SOCKET s = ::accept(winsock::handle(listener.fd()), reinterpret_cast<sockaddr*>(&from), &len);
        if (s == INVALID_SOCKET) {
            // The connection went away between the wake-up and the accept.
            const int err = WSAGetLastError();
            if (err == WSAEWOULDBLOCK || err == WSAECONNRESET || err == WSAEINTR)
                continue;
            winsock::throwError("accept", err);
        }
        Socket conn(static_cast<int>(s));
        SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
        winsock::setNonBlocking(s);
        const IPv4 origin{ntohl(from.sin_addr.s_addr)};
        if (!onlyFrom || (from.sin_family == AF_INET && origin == *onlyFrom))
            return conn;
        conn.close();
        if (refused)
            refused(origin);
    }
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
