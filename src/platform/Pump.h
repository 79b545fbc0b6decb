// The message-pump hook: code that waits on the network calls pump() between
// slices so the window keeps painting and handling input. The app installs
// QCoreApplication::processEvents; tests install nothing or a counter.
#pragma once

#include <functional>

namespace pordane::platform {

using PumpHook = std::function<void()>;

// Installs the hook and returns the previous one (empty when none was set).
PumpHook setPumpHook(PumpHook hook);

// Runs the installed hook once; does nothing when no hook is installed.
void pump();

} // namespace pordane::platform
