// The eight endpoints of the maker that the port test probes, one per line
// of its task list, taken from the build configuration.
#pragma once

#include <string>
#include <vector>

namespace pordane::netdiag {

struct PortProbe {
    std::string text; // the task-list line: "Test <label>: Puerto <port shown>"
    std::string host; // name or literal IPv4 address
    int port = 0;     // port actually probed (line 6 shows 5500, probes 7800)
    int line = 0;     // task-list line marked with the result
    bool operator==(const PortProbe&) const = default;
};

// Lines 0-5: web (80) and FTP (21) host of the Tessalysis, Tessaly24 and Mirel
// domains; 6: remote support; 7: beta remote support.
std::vector<PortProbe> defaultProbeTable();

} // namespace pordane::netdiag
