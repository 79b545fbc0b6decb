#include "netdiag/PortProbes.h"

#include "pordane/BuildConfig.h"

namespace pordane::netdiag {

namespace {
std::string lineText(const std::string& label, int shownPort)
{
    return "Test " + label + ": Puerto " + std::to_string(shownPort);
}
} // namespace

std::vector<PortProbe> defaultProbeTable()
{
    using namespace pordane::config;
    return {
        {lineText(LabelTessalysis, 80), HostWebTessalysis, 80, 0},
        {lineText(LabelTessalysis, 21), HostFtpTessalysis, 21, 1},
        {lineText(LabelTessaly24, 80), HostWebTessaly24, 80, 2},
        {lineText(LabelTessaly24, 21), HostFtpTessaly24, 21, 3},
        {lineText(LabelMirel, 80), HostWebMirel, 80, 4},
        {lineText(LabelMirel, 21), HostFtpMirel, 21, 5},
        // Shown as 5500 on the page, probed on 7800.
        {lineText("Soporte Remoto", 5500), SupportIPv4, 7800, 6},
        {lineText("Soporte Remoto Beta", 80), SupportBetaIPv4, 80, 7},
    };
}

} // namespace pordane::netdiag
