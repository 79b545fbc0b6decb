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

enum class Readiness { Read, Write, Connect };

// Waits at most `limit` for the readiness; Connect waits for a finished
// connect (writable, or failed). True when ready, false at the limit.
// Throws NetError Socket when select itself fails.
bool waitFor(SOCKET s, Readiness what, std::chrono::milliseconds limit);

} // namespace pordane::platform::winsock

#endif
