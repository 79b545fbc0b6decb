#include "platform/PeerCheck.h"
#include "platform/Pump.h"
#include "platform/TcpConnect.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>

namespace pordane::platform {

PeerRead readWithoutWaiting(const Socket& sock)
{
    PeerRead out;
    if (!sock.valid()) {
        out.closedByPeer = true;
        return out;
    }
    constexpr size_t Cap = 64 * 1024;
    char buf[4096];
    // Draining what is there (not just peeking) lets a later close() end the
    // connection with FIN rather than a reset for unread data.
    while (out.received.size() < Cap) {
        const ssize_t n = ::recv(sock.fd(), buf, sizeof buf, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            out.received.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n == 0) {
            out.closedByPeer = true;
            break;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            out.closedByPeer = true;
        break;
    }
    return out;
}

bool waitReadable(const Socket& sock, std::chrono::milliseconds limit)
{
    using Clock = std::chrono::steady_clock;
    if (!sock.valid())
        return false;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const auto left = std::max(std::chrono::milliseconds{0},
                                   std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
        const auto slice = std::min(left, ConnectPumpSlice);
        pollfd pfd{sock.fd(), POLLIN, 0};
        const int rc = ::poll(&pfd, 1, static_cast<int>(slice.count()));
        if (rc > 0)
            return true;
        if (rc < 0 && errno != EINTR)
            return false;
        if (left.count() == 0)
            return false;
        pump();
    }
}

} // namespace pordane::platform
