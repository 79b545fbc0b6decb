// Bounded, pumping socket I/O for protocol clients: the window gets a turn
// (pump()) every PumpInterval during every wait, whether data flows or not,
// and every wait ends with a NetError at its limit. A Socket closed from
// inside pump() (an abort) is noticed right after the turn.
#pragma once

#include "platform/Socket.h"
#include "platform/TcpConnect.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace pordane::platform {

// Reads what is available, at most `size` bytes, waiting at most `limit` for
// the first byte. Returns 0 when the peer closed the connection in order.
// Throws NetError: ReadTimeout at the limit, Closed on a reset or aborted
// connection (or when the socket was closed locally during the wait), Socket
// for any other error.
size_t receiveSome(Socket& sock, char* buffer, size_t size, std::chrono::milliseconds limit);

// Writes all bytes; each wait for room in the send buffer lasts at most
// `limit` (NetError ReadTimeout). A peer that is gone gives NetError Closed.
void sendAll(Socket& sock, const char* data, size_t size, std::chrono::milliseconds limit);

// True when input (or the peer's close) is pending within `limit`; no pumping,
// meant for short waits of a few milliseconds.
bool readableWithin(const Socket& sock, std::chrono::milliseconds limit);

// True when the peer has closed or reset the connection and no data is left to
// read. Never blocks and consumes nothing.
bool peerHasClosed(const Socket& sock);

// Ends our sending direction, so the peer reads end-of-file.
void shutdownSend(const Socket& sock);

// Ends an upload: shuts down our sending direction after the last byte, then
// waits, pumping every PumpInterval, until the peer shows it has everything:
// it closes or resets the connection, input arrives on `replyChannel` (the
// server's final reply), or every byte is acknowledged. The send queue is
// looked at only to tell a slow link from a stuck peer: a wait of
// `stallLimit` without any progress ends it (NetError ReadTimeout). Returns at
// once where the system cannot tell how much is still queued. NetError Closed
// when the socket is closed locally during the wait (an abort).
void finishSending(Socket& sock, const Socket& replyChannel, std::chrono::milliseconds stallLimit);

// Closes with a reset instead of an orderly end, dropping what is still
// queued, so the peer cannot take a cut-off stream for a complete one.
void closeWithReset(Socket& sock);

struct TcpListener {
    Socket sock;
    uint16_t port = 0;
};

// Listens on address:port (port 0: chosen by the system), backlog 1.
TcpListener listenTcp(IPv4 address, uint16_t port = 0);

// Accepts one connection, waiting at most `limit` with pump() between slices.
// With `onlyFrom`, connections from any other address are closed at once
// (reported to `refused`) and the wait goes on. Throws NetError
// ConnectTimeout at the limit, Closed when the listener was closed during
// the wait.
Socket acceptTcp(Socket& listener, std::chrono::milliseconds limit, std::optional<IPv4> onlyFrom = std::nullopt,
                 const std::function<void(IPv4)>& refused = {});

// Addresses of a connected socket. Throw NetError Socket on failure.
IPv4 localAddress(const Socket& sock);
IPv4 peerAddress(const Socket& sock);

} // namespace pordane::platform
