// IPv4 addresses and name resolution, the same on every platform.
#include "platform/NetError.h"
#include "platform/TcpConnect.h"

#ifdef _WIN32
#include "platform/win/Winsock.h"
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace pordane::platform {

std::string IPv4::text() const
{
    return std::to_string((value >> 24) & 0xFF) + "." + std::to_string((value >> 16) & 0xFF) + "." +
           std::to_string((value >> 8) & 0xFF) + "." + std::to_string(value & 0xFF);
}

std::optional<IPv4> IPv4::parse(const std::string& dotted)
{
    uint32_t out = 0;
    int parts = 0;
    size_t i = 0;
    while (parts < 4) {
        if (i >= dotted.size() || dotted[i] < '0' || dotted[i] > '9')
            return std::nullopt;
        unsigned n = 0;
        size_t digits = 0;
        while (i < dotted.size() && dotted[i] >= '0' && dotted[i] <= '9') {
            n = n * 10 + static_cast<unsigned>(dotted[i] - '0');
            if (++digits > 3 || n > 255)
                return std::nullopt;
            ++i;
        }
        out = (out << 8) | n;
        ++parts;
        if (parts < 4) {
            if (i >= dotted.size() || dotted[i] != '.')
                return std::nullopt;
            ++i;
        }
    }
    if (i != dotted.size())
        return std::nullopt;
    return IPv4{out};
}

std::optional<IPv4> systemResolve(const std::string& host)
{
#ifdef _WIN32
    winsock::ensureStarted();
#endif
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0 || !res)
        return std::nullopt;
    const auto* sin = reinterpret_cast<const sockaddr_in*>(res->ai_addr);
    IPv4 addr{ntohl(sin->sin_addr.s_addr)};
    freeaddrinfo(res);
    return addr;
}

IPv4 resolveIPv4(const std::string& host, const Resolver& resolver)
{
    if (auto literal = IPv4::parse(host))
        return *literal;
    if (!host.empty() && resolver) {
        if (auto found = resolver(host))
            return *found;
    }
    throw NetError(NetError::Kind::Resolve, "No se ha podido resolver el nombre \"" + host + "\"");
}

} // namespace pordane::platform
