#include "platform/ProcNet.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <system_error>

namespace pordane::platform {

namespace procnet {

namespace {

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

template <typename T>
bool parseNumber(std::string_view text, int base, T& out)
{
    if (text.empty())
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc{} && end == text.data() + text.size();
}

bool isHex(std::string_view text)
{
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

std::string readWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "socket:[12345]" -> 12345
bool socketInode(const std::string& link, uint64_t& inode)
{
    constexpr std::string_view Prefix = "socket:[";
    if (link.size() <= Prefix.size() + 1 || link.compare(0, Prefix.size(), Prefix) != 0 || link.back() != ']')
        return false;
    return parseNumber(std::string_view(link).substr(Prefix.size(), link.size() - Prefix.size() - 1), 10, inode);
}

} // namespace

std::vector<BoundSocket> parseTable(std::string_view text, SocketProtocol protocol)
{
    // "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode ..."
    // "   0: 0100007F:0277 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 21934 1 ..."
    // tcp6/udp6 write the address as 32 hex digits; the port is always 4.
    constexpr unsigned TcpListen = 0x0A;
    constexpr unsigned UdpUnconnected = 0x07;
    std::vector<BoundSocket> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos)
            eol = text.size();
        const auto fields = splitFields(text.substr(pos, eol - pos));
        pos = eol + 1;

        if (fields.size() < 10)
            continue;
        unsigned slot = 0;
        if (fields[0].size() < 2 || fields[0].back() != ':' ||
            !parseNumber(fields[0].substr(0, fields[0].size() - 1), 10, slot))
            continue; // the header line, or garbage
        const std::string_view local = fields[1];
        const size_t colon = local.find(':');
        if (colon == std::string_view::npos || (colon != 8 && colon != 32) || !isHex(local.substr(0, colon)))
            continue;
        const std::string_view portText = local.substr(colon + 1);
        unsigned port = 0;
        unsigned state = 0;
        uint64_t inode = 0;
        if (portText.size() != 4 || !parseNumber(portText, 16, port) || fields[3].size() != 2 ||
            !parseNumber(fields[3], 16, state) || !parseNumber(fields[9], 10, inode))
            continue;

        const bool keep = protocol == SocketProtocol::TCP ? state == TcpListen
                                                          : state == UdpUnconnected && port != 0;
        if (keep)
            out.push_back({protocol, static_cast<uint16_t>(port), inode});
    }
    return out;
}

std::unordered_map<uint64_t, std::vector<Owner>> readSocketOwners(const std::filesystem::path& procRoot)
{
    namespace fs = std::filesystem;
    std::unordered_map<uint64_t, std::vector<Owner>> owners;
    std::error_code ec;
    fs::directory_iterator procs(procRoot, ec);
    if (ec)
        return owners;
    // Processes come and go while we look: every step tolerates a vanished entry.
    for (const fs::directory_iterator end; procs != end; procs.increment(ec)) {
        if (ec)
            break;
        int pid = 0;
        const std::string name = procs->path().filename().string();
        if (!parseNumber(std::string_view(name), 10, pid) || pid <= 0)
            continue;
        std::error_code fdError;
        fs::directory_iterator fds(procs->path() / "fd", fdError);
        if (fdError)
            continue; // another user's process: its sockets stay ownerless
        std::vector<uint64_t> inodes;
        for (const fs::directory_iterator fdEnd; fds != fdEnd; fds.increment(fdError)) {
            if (fdError)
                break;
            std::error_code linkError;
            const fs::path target = fs::read_symlink(fds->path(), linkError);
            uint64_t inode = 0;
            if (!linkError && socketInode(target.string(), inode))
                inodes.push_back(inode);
        }
        if (inodes.empty())
            continue;
        std::string process = readWholeFile(procs->path() / "comm");
        while (!process.empty() && (process.back() == '\n' || process.back() == '\r'))
            process.pop_back();
        for (uint64_t inode : inodes) {
            auto& list = owners[inode];
            const Owner owner{pid, process};
            // Two descriptors of one process on the same socket: one owner.
            if (list.empty() || !(list.back() == owner))
                list.push_back(owner);
        }
    }
    return owners;
}

std::vector<ListeningSocket> listListeningSockets(const std::filesystem::path& procRoot)
{
    struct Table {
        const char* file;
        SocketProtocol protocol;
    };
    static constexpr Table Tables[] = {
        {"tcp", SocketProtocol::TCP},
        {"tcp6", SocketProtocol::TCP},
        {"udp", SocketProtocol::UDP},
        {"udp6", SocketProtocol::UDP},
    };
    std::vector<BoundSocket> sockets;
    for (const Table& table : Tables) {
        const auto found = parseTable(readWholeFile(procRoot / "net" / table.file), table.protocol);
        sockets.insert(sockets.end(), found.begin(), found.end());
    }
    if (sockets.empty())
        return {};

    const auto owners = readSocketOwners(procRoot);
    std::vector<ListeningSocket> out;
    for (const BoundSocket& s : sockets) {
        const auto it = s.inode != 0 ? owners.find(s.inode) : owners.end();
        if (it == owners.end()) {
            out.push_back({s.protocol, s.port, std::nullopt, {}});
            continue;
        }
        for (const Owner& owner : it->second)
            out.push_back({s.protocol, s.port, owner.pid, owner.process});
    }
    return out;
}

} // namespace procnet

std::vector<ListeningSocket> listListeningSockets()
{
    return procnet::listListeningSockets("/proc");
}

} // namespace pordane::platform
