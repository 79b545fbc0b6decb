// Pure helpers for the PASV reply: parsing the announced endpoint and the
// correction applied when a server behind NAT announces its private address.
#pragma once

#include "platform/TcpConnect.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pordane::ftp {

struct PassiveEndpoint {
    platform::IPv4 address;
    uint16_t port = 0;
    bool operator==(const PassiveEndpoint&) const = default;
};

// Parses the first line of a 227 reply (with or without its code), e.g.
// "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)". nullopt unless there are
// exactly six numbers from 0 to 255 and the port is not 0.
std::optional<PassiveEndpoint> parsePasvReply(const std::string& line);

// 127/8, 10/8, 169.254/16, 192.168/16 and 172.16/12.
bool isPrivateOrLocal(platform::IPv4 address);

// The address to connect to for an announced passive endpoint: the control
// connection's peer instead of a private/local announcement when the peer
// itself is public, and instead of 0.0.0.0.
platform::IPv4 passiveTarget(platform::IPv4 announced, platform::IPv4 controlPeer);

} // namespace pordane::ftp
