#include "platform/base/Pump.h"

#include <algorithm>
#include <utility>

namespace pordane::platform {

namespace {

using Clock = std::chrono::steady_clock;

PumpHook& currentHook()
{
    static PumpHook hook;
    return hook;
}

// When the last turn ended; time spent inside the hook is no gap.
Clock::time_point& lastTurn()
{
    static Clock::time_point at;
    return at;
}

} // namespace

PumpHook setPumpHook(PumpHook hook)
{
    return std::exchange(currentHook(), std::move(hook));
}

void pump()
{
    // Copy first: the hook may run code that installs another hook.
    PumpHook hook = currentHook();
    if (hook)
        hook();
    lastTurn() = Clock::now();
}

void pumpIfDue()
{
    if (Clock::now() - lastTurn() >= PumpInterval)
        pump();
}

std::chrono::milliseconds untilPumpDue()
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(lastTurn() + PumpInterval - Clock::now());
    return std::clamp(left, std::chrono::milliseconds{0}, PumpInterval);
}

} // namespace pordane::platform
