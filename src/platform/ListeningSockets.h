// What on this computer waits for connections: listening TCP sockets and
// bound UDP sockets, each with the process that holds it where that can be read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pordane::platform {

enum class SocketProtocol { TCP, UDP };

struct ListeningSocket {
    SocketProtocol protocol = SocketProtocol::TCP;
    uint16_t port = 0;
    std::optional<int> pid; // nullopt when the owner cannot be read
    std::string process;    // empty when the owner cannot be read
    bool operator==(const ListeningSocket&) const = default;
};

// One entry per socket and owning process (a socket shared by several
// processes appears once for each); unsorted. Never throws for unreadable
// system tables: what cannot be read is left out.
std::vector<ListeningSocket> listListeningSockets();

} // namespace pordane::platform
