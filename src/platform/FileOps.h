// File operations whose details differ between systems: the updater's
// uniquely named temporary files and the replacement of a local file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace pordane::platform {

// Creates a new empty file with a unique name starting with `prefix` in
// `folder` (Windows: GetTempFileName, "PUPDxxxx.tmp"; elsewhere mkstemp,
// "PUPDxxxxxx"); nullopt when it cannot.
std::optional<std::filesystem::path> createUniqueFile(const std::filesystem::path& folder, const std::string& prefix);

// Puts `from` in the place of `to`. Windows: delete `to` (clearing its
// read-only and hidden attributes and trying once more when that fails),
// then move. Elsewhere one atomic rename, so there is no moment without the
// file; across file systems a copy beside `to` renamed over it.
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace pordane::platform
