#include "platform/NetError.h"
#include "platform/base/Pump.h"
#include "platform/SocketIO.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/sockios.h>
#endif

#include <algorithm>
#include <optional>
#include <string>

namespace pordane::platform {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void throwErrno(const char* what, int err)
{
    const std::string text = std::string(what) + ": " + std::strerror(err);
    if (err == ECONNRESET || err == ECONNABORTED || err == EPIPE || err == ESHUTDOWN || err == ENOTCONN)
        throw NetError(NetError::Kind::Closed, "Conexión cerrada por el otro extremo (" + text + ")", err);
    throw NetError(NetError::Kind::Socket, text, err);
}

[[noreturn]] void throwClosedLocally()
{
    throw NetError(NetError::Kind::Closed, "Conexión cerrada");
}

// Waits for `events` on the socket until `deadline`. The window gets its turn
// every PumpInterval whatever happens on the socket: a peer sending one byte
// at a time must not starve it. Returns false at the deadline.
bool waitPumping(Socket& sock, short events, Clock::time_point deadline)
{
    for (;;) {
        if (!sock.valid())
            throwClosedLocally();
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd pfd{sock.fd(), events, 0};
        const int rc = ::poll(&pfd, 1, static_cast<int>(std::min(left, untilPumpDue()).count()));
        if (rc < 0 && errno != EINTR)
            throwErrno("poll", errno);
        pumpIfDue();
        if (rc > 0)
            return true;
    }
}

} // namespace

size_t receiveSome(Socket& sock, char* buffer, size_t size, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    for (;;) {
        if (!sock.valid())
            throwClosedLocally();
        // Try first: under load the data is usually there, which saves a poll.
        const ssize_t n = ::recv(sock.fd(), buffer, size, MSG_DONTWAIT);
        if (n >= 0) {
            // A peer that always has a byte ready never lets the wait below run.
            pumpIfDue();
            return static_cast<size_t>(n);
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            throwErrno("recv", errno);
        if (!waitPumping(sock, POLLIN, deadline))
            throw NetError(NetError::Kind::ReadTimeout, "Tiempo de espera agotado esperando datos");
    }
}

void sendAll(Socket& sock, const char* data, size_t size, std::chrono::milliseconds limit)
{
    while (size > 0) {
        if (!sock.valid())
            throwClosedLocally();
        const ssize_t n = ::send(sock.fd(), data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
            pumpIfDue();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            throwErrno("send", errno);
        if (!waitPumping(sock, POLLOUT, Clock::now() + limit))
            throw NetError(NetError::Kind::ReadTimeout, "Tiempo de espera agotado enviando datos");
    }
}

bool readableWithin(const Socket& sock, std::chrono::milliseconds limit)
{
    if (!sock.valid())
        return false;
    pollfd pfd{sock.fd(), POLLIN, 0};
    int rc;
    do {
        rc = ::poll(&pfd, 1, static_cast<int>(limit.count()));
    } while (rc < 0 && errno == EINTR);
    return rc > 0;
}

bool peerHasClosed(const Socket& sock)
{
    if (!sock.valid())
        return true;
    pollfd pfd{sock.fd(), POLLIN, 0};
    if (::poll(&pfd, 1, 0) <= 0)
        return false;
    char byte;
    const ssize_t n = ::recv(sock.fd(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

void shutdownSend(const Socket& sock)
{
    if (sock.valid())
        ::shutdown(sock.fd(), SHUT_WR);
}

namespace {

// Bytes written but not yet acknowledged by the peer; nullopt where unknown.
std::optional<int> sendQueued(const Socket& sock)
{
#ifdef SIOCOUTQ
    int queued = 0;
    if (::ioctl(sock.fd(), SIOCOUTQ, &queued) == 0)
        return queued;
#else
    (void)sock;
#endif
    return std::nullopt;
}

} // namespace

void finishSending(Socket& sock, const Socket& replyChannel, std::chrono::milliseconds stallLimit)
{
    if (!sock.valid())
        throwClosedLocally();
    // The peer reads end-of-file after the last byte; it then closes its side
    // or answers on the reply channel, and either wakes the poll below at once.
    ::shutdown(sock.fd(), SHUT_WR);
    std::optional<int> last = sendQueued(sock);
    if (!last)
        return; // nothing to watch a stall with: the close and the reply will tell
    auto stallDeadline = Clock::now() + stallLimit;
    for (;;) {
        if (!sock.valid())
            throwClosedLocally();
        pollfd fds[2] = {{sock.fd(), POLLIN | POLLRDHUP, 0}, {replyChannel.fd(), POLLIN, 0}};
        const nfds_t count = replyChannel.valid() ? 2 : 1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(stallDeadline - Clock::now());
        const int rc = ::poll(fds, count, static_cast<int>(std::clamp(std::min(left, untilPumpDue()),
                                                                        std::chrono::milliseconds{0}, PumpInterval).count()));
        if (rc < 0 && errno != EINTR)
            throwErrno("poll", errno);
        if (count == 2 && fds[1].revents != 0)
            return;
        if (fds[0].revents != 0) {
            // Closed, reset or failed: all the peer will ever take is taken.
            // Bytes sent back (no FTP server does) are read and dropped.
            char scrap[512];
            const ssize_t n = ::recv(sock.fd(), scrap, sizeof scrap, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                return;
        }
        pumpIfDue();
        if (!sock.valid())
            throwClosedLocally();
        // The queue only tells a slow link (it shrinks) from a stuck peer.
        const std::optional<int> queued = sendQueued(sock);
        if (!queued || *queued <= 0)
            return;
        const auto now = Clock::now();
        if (*queued < *last)
            stallDeadline = now + stallLimit;
        last = queued;
        if (now >= stallDeadline)
            throw NetError(NetError::Kind::ReadTimeout, "Tiempo de espera agotado: el otro extremo no recibe los datos");
    }
}

void closeWithReset(Socket& sock)
{
    if (!sock.valid())
        return;
    const linger hard{1, 0};
    ::setsockopt(sock.fd(), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    sock.close();
}

TcpListener listenTcp(IPv4 address, uint16_t port)
{
    TcpListener out;
    out.sock = Socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!out.sock.valid())
        throwErrno("socket", errno);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(address.value);
    if (::bind(out.sock.fd(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0)
        throwErrno("bind", errno);
    if (::listen(out.sock.fd(), 1) != 0)
        throwErrno("listen", errno);
    socklen_t len = sizeof sa;
    if (::getsockname(out.sock.fd(), reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        throwErrno("getsockname", errno);
    out.port = ntohs(sa.sin_port);
    return out;
}

Socket acceptTcp(Socket& listener, std::chrono::milliseconds limit, std::optional<IPv4> onlyFrom,
                 const std::function<void(IPv4)>& refused)
{
    const auto deadline = Clock::now() + limit;
    for (;;) {
        if (!waitPumping(listener, POLLIN, deadline))
            throw NetError(NetError::Kind::ConnectTimeout, "Tiempo de espera agotado esperando la conexión de datos");
        if (!listener.valid())
            throwClosedLocally();
        sockaddr_in from{};
        socklen_t len = sizeof from;
        Socket conn(::accept4(listener.fd(), reinterpret_cast<sockaddr*>(&from), &len, SOCK_CLOEXEC));
        if (!conn.valid()) {
            // The connection went away between the wake-up and the accept.
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED || errno == EINTR)
                continue;
            throwErrno("accept", errno);
        }
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
    socklen_t len = sizeof sa;
    const int rc = peer ? ::getpeername(sock.fd(), reinterpret_cast<sockaddr*>(&sa), &len)
                        : ::getsockname(sock.fd(), reinterpret_cast<sockaddr*>(&sa), &len);
    if (rc != 0)
        throwErrno(peer ? "getpeername" : "getsockname", errno);
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
