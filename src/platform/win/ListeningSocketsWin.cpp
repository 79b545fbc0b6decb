// Windows source of listListeningSockets(): the IP Helper tables of listening
// TCP and bound UDP endpoints (IPv4 and IPv6) with their owning process ids,
// each id named by the image file of its process.
#ifdef _WIN32

#include "platform/ListeningSockets.h"
#include "platform/base/TextEncoding.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>

#include <map>

namespace pordane::platform {

namespace {

// Calls an IP Helper table function until its buffer is big enough (the
// table may grow between the two calls). Empty on any other failure.
template <typename Call>
std::vector<unsigned char> readTable(Call call)
{
    std::vector<unsigned char> buffer;
    DWORD size = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const DWORD rc = call(buffer.empty() ? nullptr : buffer.data(), &size);
        if (rc == NO_ERROR)
            return buffer;
        if (rc != ERROR_INSUFFICIENT_BUFFER)
            break;
        buffer.assign(size + 1024, 0);
        size = static_cast<DWORD>(buffer.size());
    }
    return {};
}

// The file name of the process's image ("pordane.exe"); empty when the
// process cannot be opened (gone, or of another user without rights).
std::string processName(DWORD pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return {};
    wchar_t path[MAX_PATH * 2];
    DWORD length = static_cast<DWORD>(std::size(path));
    const BOOL ok = QueryFullProcessImageNameW(process, 0, path, &length);
    CloseHandle(process);
    if (!ok)
        return {};
    std::u16string full(path, path + length);
    const auto slash = full.find_last_of(u"\\/");
    return utf16ToUtf8(slash == std::u16string::npos ? full : full.substr(slash + 1));
}

template <typename Table>
void addRows(std::vector<ListeningSocket>& out, const std::vector<unsigned char>& buffer, SocketProtocol protocol)
{
    if (buffer.size() < sizeof(DWORD))
        return;
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const auto& row = table->table[i];
        ListeningSocket entry;
        entry.protocol = protocol;
        entry.port = ntohs(static_cast<u_short>(row.dwLocalPort));
        // Id 0 (the idle process) owns nothing: it stands for an owner the
        // system could not tell (Wine, for a socket only its server holds).
        if (row.dwOwningPid != 0)
            entry.pid = static_cast<int>(row.dwOwningPid);
        out.push_back(entry);
    }
}

} // namespace

std::vector<ListeningSocket> listListeningSockets()
{
    std::vector<ListeningSocket> out;
    for (const ULONG family : {AF_INET, AF_INET6}) {
        const auto tcp = readTable([family](void* data, DWORD* size) {
            return GetExtendedTcpTable(data, size, FALSE, family, TCP_TABLE_OWNER_PID_LISTENER, 0);
        });
        const auto udp = readTable([family](void* data, DWORD* size) {
            return GetExtendedUdpTable(data, size, FALSE, family, UDP_TABLE_OWNER_PID, 0);
        });
        if (family == AF_INET) {
            addRows<MIB_TCPTABLE_OWNER_PID>(out, tcp, SocketProtocol::TCP);
            addRows<MIB_UDPTABLE_OWNER_PID>(out, udp, SocketProtocol::UDP);
        } else {
            addRows<MIB_TCP6TABLE_OWNER_PID>(out, tcp, SocketProtocol::TCP);
            addRows<MIB_UDP6TABLE_OWNER_PID>(out, udp, SocketProtocol::UDP);
        }
    }
    // Name each process once; one that cannot be opened keeps its id only.
    std::map<int, std::string> names;
    for (auto& entry : out) {
        if (!entry.pid)
            continue;
        auto it = names.find(*entry.pid);
        if (it == names.end())
            it = names.emplace(*entry.pid, processName(static_cast<DWORD>(*entry.pid))).first;
        entry.process = it->second;
    }
    return out;
}

} // namespace pordane::platform

#endif
