#ifdef _WIN32

#include "platform/NetError.h"
#include "platform/PeerCheck.h"
#include "platform/Pump.h"
#include "platform/SocketIO.h"
#include "platform/TcpConnect.h"
#include "platform/win/Winsock.h"

#include <winsock2.h>

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

bool waitReadable(const Socket& sock, std::chrono::milliseconds limit)
{
    using Clock = std::chrono::steady_clock;
    if (!sock.valid())
        return false;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const auto left = std::max(std::chrono::milliseconds{0},
                                   std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
        try {
            if (winsock::waitFor(winsock::handle(sock.fd()), winsock::Readiness::Read, std::min(left, ConnectPumpSlice)))
                return true;
        } catch (const NetError&) {
            return false;
        }
        if (left.count() == 0)
            return false;
        pump();
    }
}

} // namespace pordane::platform

#endif
