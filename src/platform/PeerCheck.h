// Asking an open TCP connection whether the peer is still there, the way a
// blocking client answers "connected?": bytes the peer already sent count as
// connected; an orderly close or a reset with nothing received does not.
#pragma once

#include "platform/Socket.h"

#include <chrono>
#include <string>

namespace pordane::platform {

struct PeerRead {
    std::string received;      // bytes the peer had already sent, now taken in
    bool closedByPeer = false; // the read met end of stream or an error
    bool connected() const { return !received.empty() || !closedByPeer; }
};

// One read attempt that never waits: takes in whatever has arrived (at most
// 64 KiB) and notes whether the peer closed or reset the connection. An
// invalid socket reads as closed.
PeerRead readWithoutWaiting(const Socket& sock);

// Waits until `sock` has something to read (data, end of stream or an error)
// or `limit` runs out, calling pump() after every slice of at most
// ConnectPumpSlice. True when readable; a zero limit only looks once.
bool waitReadable(const Socket& sock, std::chrono::milliseconds limit);

} // namespace pordane::platform
