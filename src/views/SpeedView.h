// The speed page (TabTestSpeed) as the speed run sees it; the live display
// during a transfer goes through TransferProgressView.
#pragma once

#include "views/ResultListView.h"

#include <string>

namespace pordane::views {

class SpeedView {
public:
    virtual ~SpeedView() = default;
    virtual void showPage() = 0;
    // Cells: 0 "Num", 1 "Estado", 2 "Descarga", 3 "Subida".
    virtual ResultListView& ListaServidoresSpeed() = 0;
    virtual void setLabelInfoSpeed(const std::string& text) = 0;
    virtual void setLabelDownload(const std::string& text) = 0;
    virtual void setLabelUpload(const std::string& text) = 0;
    virtual void setLabelTimeDownload(const std::string& text) = 0;
    virtual void setLabelTimeUpload(const std::string& text) = 0;
    // The strip chart Scope1: running or stopped, and its trace emptied.
    virtual void setScopeActive(bool active) = 0;
    virtual void clearScope() = 0;
    // Timer1, which feeds the chart every 100 ms during a run.
    virtual void setTimer1Enabled(bool enabled) = 0;
};

} // namespace pordane::views
