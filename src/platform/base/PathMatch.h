// Names of existing files matched the way Windows matches them: without
// regard to letter case. Shared by the Wine-prefix mapping and the updater,
// whose control files name Windows paths.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pordane::platform {

// The entry of `dir` named `name` in any letter case; an exact match first,
// then the first case-folded match in byte order.
std::optional<std::filesystem::path> findEntryIgnoreCase(const std::filesystem::path& dir, const std::string& name);

// `base` followed by `parts`: each part that exists is matched in any letter
// case; from the first that does not exist on, the parts are appended as given.
std::filesystem::path resolveIgnoreCase(std::filesystem::path base, const std::vector<std::string>& parts);

// The text split at any of `separators`, empty parts dropped.
std::vector<std::string> splitAt(std::string_view text, std::string_view separators);

// A path split at "\" and "/", empty parts dropped; ".." and "." kept.
inline std::vector<std::string> splitWindowsPath(std::string_view path)
{
    return splitAt(path, "\\/");
}

} // namespace pordane::platform

namespace pordane::platform {

// A path as the updater's control file writes it ("\" between folders) as a
// path of this system. On Windows the text itself; elsewhere "\" and "/"
// both separate and existing parts are matched in any letter case, starting
// at the root for an absolute path, else at the current folder. ".." is kept.
std::filesystem::path controlPathToNative(std::string_view path);

} // namespace pordane::platform
