// The message-pump hook: code that waits on the network calls pump() between
// slices so the window keeps painting and handling input. The app installs
// QCoreApplication::processEvents; tests install nothing or a counter.
#pragma once

#include <chrono>
#include <functional>
#include <utility>

namespace pordane::platform {

using PumpHook = std::function<void()>;

// How often the window gets a turn while the network keeps a wait busy,
// whether the peer is silent, trickles or floods.
inline constexpr std::chrono::milliseconds PumpInterval{50};

// Installs the hook and returns the previous one (empty when none was set).
PumpHook setPumpHook(PumpHook hook);

// Installs a hook for its own lifetime and puts the previous one back, also
// when the scope is left by an exception (a failed test assertion, a run
// ended by Ctrl-C).
class ScopedPumpHook {
public:
    explicit ScopedPumpHook(PumpHook hook) : m_previous(setPumpHook(std::move(hook))) {}
    ~ScopedPumpHook() { setPumpHook(std::move(m_previous)); }
    ScopedPumpHook(const ScopedPumpHook&) = delete;
    ScopedPumpHook& operator=(const ScopedPumpHook&) = delete;

private:
    PumpHook m_previous;
};

// Runs the installed hook once; does nothing when no hook is installed.
void pump();

// Runs pump() when PumpInterval has passed since the last turn ended.
void pumpIfDue();

// Time left until the next turn is due (zero when it is due now).
std::chrono::milliseconds untilPumpDue();

} // namespace pordane::platform
