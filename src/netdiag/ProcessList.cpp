#include "netdiag/ProcessList.h"

#include <algorithm>
#include <climits>
#include <tuple>

namespace pordane::netdiag {

using platform::ListeningSocket;
using platform::SocketProtocol;

namespace {

void appendColumn(std::string& line, const std::string& field)
{
    line += field;
    // A field as wide as its column still gets one blank before the next.
    line.append(field.size() < ProcessesColumnWidth ? ProcessesColumnWidth - field.size() : 1, ' ');
}

auto sortKey(const ListeningSocket& s)
{
    return std::make_tuple(s.port, s.protocol == SocketProtocol::UDP, s.pid.value_or(INT_MAX), !s.pid.has_value(),
                           std::cref(s.process));
}

} // namespace

std::string formatProcesses(std::vector<ListeningSocket> sockets)
{
    std::sort(sockets.begin(), sockets.end(),
              [](const ListeningSocket& a, const ListeningSocket& b) { return sortKey(a) < sortKey(b); });
    sockets.erase(std::unique(sockets.begin(), sockets.end()), sockets.end());

    std::string text;
    for (const ListeningSocket& s : sockets) {
        std::string line;
        appendColumn(line, s.pid ? std::to_string(*s.pid) : "-");
        appendColumn(line, std::to_string(s.port));
        appendColumn(line, s.protocol == SocketProtocol::TCP ? "TCP" : "UDP");
        // A process may name itself anything; control characters would break the rows.
        for (char c : s.process)
            line += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}

std::string ShowProcesesPorts()
{
    return formatProcesses(platform::listListeningSockets());
}

} // namespace pordane::netdiag
