// The pumping wait of the peer check, built on readableWithin() of each
// platform's socket backend.
#include "platform/PeerCheck.h"
#include "platform/base/Pump.h"
#include "platform/SocketIO.h"
#include "platform/TcpConnect.h"

#include <algorithm>

namespace pordane::platform {

bool waitReadable(const Socket& sock, std::chrono::milliseconds limit)
{
    using Clock = std::chrono::steady_clock;
    if (!sock.valid())
        return false;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const auto left = std::max(std::chrono::milliseconds{0},
                                   std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
        if (readableWithin(sock, std::min(left, ConnectPumpSlice)))
            return true;
        if (left.count() == 0)
            return false;
        pump();
    }
}

} // namespace pordane::platform
