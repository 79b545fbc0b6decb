#ifdef _WIN32

#include "platform/PeerCheck.h"
#include "platform/win/Winsock.h"

#include <winsock2.h>

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
    // Our sockets are non-blocking, so recv never waits. Draining what is
    // there lets a later close end the connection with FIN, not a reset.
    while (out.received.size() < Cap) {
        const int n = ::recv(winsock::handle(sock.fd()), buf, sizeof buf, 0);
        if (n > 0) {
            out.received.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK)
            out.closedByPeer = true;
        break;
    }
    return out;
}

} // namespace pordane::platform

#endif
