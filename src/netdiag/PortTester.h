// The port reachability test: probes the endpoints of a probe table one after
// the other with a bare TCP connect and marks each task-list line with the
// outcome. Nothing is sent, logged or shown besides the icons.
#pragma once

#include "netdiag/PortProbes.h"
#include "platform/Socket.h"
#include "platform/TcpConnect.h"
#include "views/TaskListView.h"

#include <chrono>
#include <string>
#include <vector>

namespace pordane::netdiag {

struct PortTestOptions {
    std::vector<PortProbe> probes = defaultProbeTable();
    platform::Resolver resolver = platform::systemResolve;
    // The whole connect, name resolution not included.
    std::chrono::milliseconds connectLimit = platform::DefaultConnectTimeout;
    // How long after the connect the peer may take to send its first byte or
    // close before we ask whether it is still there. The connect completes
    // one round trip before a peer that closes at once can say so; a client
    // that notices its connect only at the end of a 125 ms pump slice sees
    // that close, so we give the peer the same slice (ended early by any
    // byte, close or reset).
    std::chrono::milliseconds answerWait = platform::ConnectPumpSlice;
};

class PortTester {
public:
    explicit PortTester(views::TaskListView& tareasPuertos, PortTestOptions options = {});

    // One run: every line of the list to "waiting", bold; then each probe of
    // the table in order. Errors of a probe never end the run; an error of the
    // view, or one not derived from std::exception (the pump hook's way to
    // abort a run), does.
    void TestConnectionPorts();

    // Probes tpHost:tpPort and marks line tpTarea: 1 connected and still
    // there, 4 connected but closed at once with nothing sent, 3 any failure.
    void TestPort(const std::string& tpHost, int tpPort, int tpTarea);

    const PortTestOptions& options() const { return m_options; }

private:
    bool connectedAfterOpen(const std::string& host, int port);

    views::TaskListView& m_view;
    PortTestOptions m_options;
    platform::Socket m_client; // TCPClient1: closed before and after every probe
};

} // namespace pordane::netdiag
