#include "platform/Pump.h"

#include <utility>

namespace pordane::platform {

namespace {
PumpHook& currentHook()
{
    static PumpHook hook;
    return hook;
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
}

} // namespace pordane::platform
