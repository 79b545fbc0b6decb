// Shared pieces of the Winsock 2 backends: start-up, error texts and the
// single-socket readiness wait. Every socket we make is non-blocking; waits
// go through select() with a bounded time-out.
#pragma once

#ifdef _WIN32

#include <winsock2.h>

#include <chrono>
#include <string>

namespace pordane::platform::winsock {

// WSAStartup once per process (the library is never unloaded before exit).
void ensureStarted();

inline SOCKET handle(int fd) { return static_cast<SOCKET>(static_cast<unsigned>(fd)); }

// The system's text for a Winsock error code, in UTF-8.
std::string errorText(int code);

// Throws NetError: Closed for a reset, aborted or shut-down connection,
// Socket for anything else. The text is "what: <system text>".
[[noreturn]] void throwError(const char* what, int code);

void setNonBlocking(SOCKET s);

// Every connection's send buffer. Winsock cannot tell how much of it is still
// unacknowledged, so at the end of an upload all of it must drain within the
// stall limit (finishSending); a system that grows it to megabytes (Linux
// under Wine does) would need longer than that on a slow uplink.
inline constexpr int SendBufferBytes = 256 * 1024;

// A new connection: not inherited by child processes, non-blocking, and a
// send buffer of SendBufferBytes.
void prepareConnection(SOCKET s);

enum class Readiness { Read, Write, Connect };

// Waits at most `limit` for the readiness; Connect waits for a finished
// connect (writable, or failed). True when ready, false at the limit.
// Throws NetError Socket when select itself fails.
bool waitFor(SOCKET s, Readiness what, std::chrono::milliseconds limit);

} // namespace pordane::platform::winsock

#endif
