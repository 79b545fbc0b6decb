// Pure helpers for the PASV reply: parsing the announced endpoint and the
// rule for where the data connection goes.
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

// The data connection always goes to the control connection's peer, with the
// announced port: a hostile server must not point the client at another host
// (a PASV bounce), and a server behind NAT announces an address of its LAN.
// The announced address is only compared: `differs` when it names another
// host (0.0.0.0, sent by some misconfigured servers, names none).
struct PassiveTarget {
    platform::IPv4 address;
    bool differs = false;
};
PassiveTarget passiveTarget(platform::IPv4 announced, platform::IPv4 controlPeer);

// The log line for an announcement that names another host.
std::string passiveNotice(platform::IPv4 announced, platform::IPv4 controlPeer);

} // namespace pordane::ftp
