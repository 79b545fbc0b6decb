// A pump hook for tests of code that waits on the network: installed for the
// object's lifetime, it counts the window's turns and the largest gap between
// them, and may run an extra action on each turn (an abort, for instance).
#pragma once

#include "platform/base/Pump.h"

#include <algorithm>
#include <chrono>
#include <functional>

namespace pordane::testsupport {

class PumpGauge {
public:
    using Clock = std::chrono::steady_clock;
    explicit PumpGauge(std::function<void()> extra = {}) : m_extra(std::move(extra)) {}
    PumpGauge(const PumpGauge&) = delete;
    PumpGauge& operator=(const PumpGauge&) = delete;

    int calls = 0;
    Clock::duration largestGap{};
    long largestGapMs() const { return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(largestGap).count()); }
    // The largest gap counting the stretch since the last turn too.
    Clock::duration largestGapUntilNow() const { return std::max(largestGap, Clock::now() - m_last); }

private:
    void tick()
    {
        const auto now = Clock::now();
        largestGap = std::max(largestGap, now - m_last);
        m_last = now;
        ++calls;
        if (m_extra)
            m_extra();
    }
    std::function<void()> m_extra;
    Clock::time_point m_last = Clock::now();
    pordane::platform::ScopedPumpHook m_hook{[this] { tick(); }};
};

} // namespace pordane::testsupport
