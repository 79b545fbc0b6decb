#include "platform/PeerCheck.h"

#include <cerrno>
#include <sys/socket.h>

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

} // namespace pordane::platform
