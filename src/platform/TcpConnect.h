// Outgoing IPv4 TCP connections that keep the window alive: name resolution
// blocks (as the callers expect), the connect itself is waited for in slices
// with the message pump called between them, and is bounded by a time limit.
#pragma once

#include "platform/Socket.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pordane::platform {

// IPv4 address in host byte order.
struct IPv4 {
    uint32_t value = 0;
    std::string text() const;
    static std::optional<IPv4> parse(const std::string& dotted); // strict a.b.c.d
    bool operator==(const IPv4&) const = default;
};

// Resolves a host name to one IPv4 address, or nullopt. Injectable so tests
// never send a DNS query.
using Resolver = std::function<std::optional<IPv4>(const std::string& host)>;

// getaddrinfo with AF_INET.
std::optional<IPv4> systemResolve(const std::string& host);

// A literal address is used unchanged; anything else goes through the resolver.
// Throws NetError(Resolve) when nothing is found.
IPv4 resolveIPv4(const std::string& host, const Resolver& resolver = systemResolve);

inline constexpr std::chrono::milliseconds DefaultConnectTimeout{120000};
inline constexpr std::chrono::milliseconds ConnectPumpSlice{125};

// Connects to address:port, waiting at most `timeout`, calling pump() after
// every slice of at most ConnectPumpSlice. Throws NetError(Socket) on refusal
// or any socket error, NetError(ConnectTimeout) when the limit runs out.
Socket connectTcp(IPv4 address, uint16_t port,
                  std::chrono::milliseconds timeout = DefaultConnectTimeout);

// connectTcp's shape, so protocol clients can be given another one in tests
// (one that refuses anything off loopback, and records what was asked).
using Connector = std::function<Socket(IPv4 address, uint16_t port, std::chrono::milliseconds timeout)>;

} // namespace pordane::platform
