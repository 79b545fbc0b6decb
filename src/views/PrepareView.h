// The panel shown while the local test files are written before a run
// (PanelPrepararTest with its gauge GaugePrepararTest, 0 to 4).
#pragma once

namespace pordane::views {

class PrepareView {
public:
    virtual ~PrepareView() = default;
    virtual void setPanelVisible(bool visible) = 0;
    // Gauge position, 0..4 (4 is its maximum).
    virtual void setGauge(int position) = 0;
    // Paints the panel now, before the writers block the thread.
    virtual void repaint() = 0;
};

} // namespace pordane::views
