#include "ftp/PassiveAddress.h"

#include <vector>

namespace pordane::ftp {

namespace {

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

} // namespace

std::optional<PassiveEndpoint> parsePasvReply(const std::string& line)
{
    // "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)". Some servers drop the
    // parentheses ("227 Entering Passive Mode h1,h2,h3,h4,p1,p2"), so without
    // "(" the numbers are the last word; without ")" they run to the end.
    std::string inner;
    const auto open = line.find('(');
    if (open != std::string::npos) {
        const auto close = line.find(')', open + 1);
        inner = line.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
    } else {
        const std::string text = trimmed(line);
        const auto blank = text.find_last_of(" \t");
        inner = blank == std::string::npos ? text : text.substr(blank + 1);
    }

    std::vector<unsigned> numbers;
    size_t pos = 0;
    for (;;) {
        const auto comma = inner.find(',', pos);
        const std::string field = trimmed(inner.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos));
        if (field.empty() || field.size() > 3)
            return std::nullopt;
        unsigned n = 0;
        for (char c : field) {
            if (c < '0' || c > '9')
                return std::nullopt;
            n = n * 10 + static_cast<unsigned>(c - '0');
        }
        if (n > 255)
            return std::nullopt;
        numbers.push_back(n);
        if (comma == std::string::npos)
            break;
        pos = comma + 1;
    }
    if (numbers.size() != 6)
        return std::nullopt;
    PassiveEndpoint out;
    out.address.value = (numbers[0] << 24) | (numbers[1] << 16) | (numbers[2] << 8) | numbers[3];
    out.port = static_cast<uint16_t>(numbers[4] * 256 + numbers[5]);
    if (out.port == 0)
        return std::nullopt;
    return out;
}

bool isPrivateOrLocal(platform::IPv4 address)
{
    const unsigned a = (address.value >> 24) & 0xFF;
    const unsigned b = (address.value >> 16) & 0xFF;
    return a == 127 || a == 10 || (a == 169 && b == 254) || (a == 192 && b == 168) || (a == 172 && b >= 16 && b <= 31);
}

PassiveTarget passiveTarget(platform::IPv4 announced, platform::IPv4 controlPeer)
{
    return {controlPeer, announced.value != 0 && announced != controlPeer};
}

std::string passiveNotice(platform::IPv4 announced, platform::IPv4 controlPeer)
{
    return "El servidor anuncia la dirección " + std::string(isPrivateOrLocal(announced) ? "privada " : "") +
           announced.text() + " para los datos; se usa la del servidor, " + controlPeer.text();
}

} // namespace pordane::ftp
