// The Linux source of listListeningSockets(): the socket tables under
// /proc/net and the "socket:[inode]" links under /proc/<pid>/fd. The /proc
// root is a parameter so a test can hand in a tree of its own.
#pragma once

#include "platform/ListeningSockets.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pordane::platform::procnet {

struct BoundSocket {
    SocketProtocol protocol = SocketProtocol::TCP;
    uint16_t port = 0;
    uint64_t inode = 0;
    bool operator==(const BoundSocket&) const = default;
};

// Parses the text of /proc/net/tcp, tcp6, udp or udp6. TCP keeps sockets in
// state 0A (LISTEN); UDP keeps unconnected sockets (state 07) with a local
// port. The header line and any malformed line are skipped.
std::vector<BoundSocket> parseTable(std::string_view text, SocketProtocol protocol);

struct Owner {
    int pid = 0;
    std::string process; // /proc/<pid>/comm without its newline
    bool operator==(const Owner&) const = default;
};

// Socket inode -> the processes holding it, from every /proc/<pid>/fd that
// can be read. Processes that vanish or deny access are simply missing.
std::unordered_map<uint64_t, std::vector<Owner>> readSocketOwners(const std::filesystem::path& procRoot);

// Both together: the four tables under procRoot/net joined with the owners.
std::vector<ListeningSocket> listListeningSockets(const std::filesystem::path& procRoot);

} // namespace pordane::platform::procnet
