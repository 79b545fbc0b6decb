#include "netdiag/PortTester.h"

#include "platform/NetError.h"
#include "platform/PeerCheck.h"
#include "platform/base/Pump.h"

#include <exception>

namespace pordane::netdiag {

namespace image = views::image;

PortTester::PortTester(views::TaskListView& tareasPuertos, PortTestOptions options)
    : m_view(tareasPuertos), m_options(std::move(options))
{
}

void PortTester::TestConnectionPorts()
{
    const int lines = m_view.count();
    for (int line = 0; line < lines; ++line)
        m_view.mark(line, image::Waiting, true);
    for (const PortProbe& probe : m_options.probes)
        TestPort(probe.host, probe.port, probe.line);
}

void PortTester::TestPort(const std::string& tpHost, int tpPort, int tpTarea)
{
    platform::pump();
    m_view.mark(tpTarea, image::Probing, true);
    m_view.repaint();
    m_client.close();
    {
        // Closed after the mark, and also when marking or an abort throws.
        struct CloseOnExit {
            platform::Socket& client;
            ~CloseOnExit() { client.close(); }
        } closeOnExit{m_client};

        int result = image::Failed;
        try {
            result = connectedAfterOpen(tpHost, tpPort) ? image::Passed : image::Warning;
        } catch (const std::exception&) {
            // A probe's failure is its icon: no message, no log, no retry.
        }
        m_view.mark(tpTarea, result, true);
    }
    platform::pump();
}

bool PortTester::connectedAfterOpen(const std::string& host, int port)
{
    using platform::NetError;
    if (port < 1 || port > 65535)
        throw NetError(NetError::Kind::Socket, "Puerto no válido: " + std::to_string(port));
    const platform::IPv4 address = platform::resolveIPv4(host, m_options.resolver);
    m_client = platform::connectTcp(address, static_cast<uint16_t>(port), m_options.connectLimit);
    platform::waitReadable(m_client, m_options.answerWait);
    return platform::readWithoutWaiting(m_client).connected();
}

} // namespace pordane::netdiag
