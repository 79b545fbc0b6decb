// What the FTP progress events drive: the permissions gauge and its Cancel
// button, and the speed page's gauge, live labels, round gauge and chart.
#pragma once

#include <cstdint>
#include <string>

namespace pordane::views {

class TransferProgressView {
public:
    virtual ~TransferProgressView() = default;

    // Permissions page. The gauge clamps its progress into 0..maximum itself.
    virtual void setProgressBar1Max(std::int32_t maximum) = 0;
    virtual void setProgressBar1Progress(std::int32_t progress) = 0;
    virtual void repaintProgressBar1() = 0;
    virtual void setBotonCancelarFTPEnabled(bool enabled) = 0;

    // Speed page.
    virtual void setProgressBar2Max(std::int32_t maximum) = 0;
    virtual void setProgressBar2Progress(std::int32_t progress) = 0;
    virtual void repaintProgressBar2() = 0;
    virtual void setLabelDownload(const std::string& text) = 0;
    virtual void setLabelUpload(const std::string& text) = 0;
    // Megabits per second; values above the 0..50 scale are passed unchanged.
    virtual void setSpeedMeter(double mbps) = 0;
    // KB/s, rounded; the chart itself limits samples to 0..2000.
    virtual void addScopeSample(std::int64_t kbs) = 0;
};

} // namespace pordane::views
