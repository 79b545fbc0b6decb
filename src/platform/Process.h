// Starting a program that outlives its starter, and waiting for a process
// that is not our child (the restarter waits for the program that started it).
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pordane::platform {

using ProcessId = std::int64_t;

ProcessId currentProcessId();

// Starts `program` with `arguments` in a session of its own, stdin from the
// null device and no other handles inherited, in `folder` (the current one
// when empty). The starter does not wait for it; on POSIX it stays the
// parent, so a starter that goes on running reaps it or leaves a zombie until
// it ends. nullopt when it could not be started.
std::optional<ProcessId> startDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                                       const std::filesystem::path& folder = {});

// Waits until process `pid` has ended (a process that does not exist has
// ended; so has an id of zero or less, which names no single process).
// Without a limit it waits as long as it takes. False when the limit passed.
bool waitForProcessEnd(ProcessId pid, std::optional<std::chrono::milliseconds> limit = std::nullopt);

} // namespace pordane::platform
