// Flushing a written file to its disk before it replaces another by rename,
// so a power cut cannot leave an empty program behind the new name.
#pragma once

#include <filesystem>

namespace pordane::platform {

bool syncFile(const std::filesystem::path& path);

} // namespace pordane::platform
