// The file version of an executable: the fixed file version of a PE file's
// VERSIONINFO resource (read on every system), or the version note Pordane's
// Linux build stamps into its ELF executables. Both readers take hostile
// files: every offset and size is checked against the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace pordane::platform {

// dwFileVersionMS / dwFileVersionLS.
struct FileVersion {
    uint32_t ms = 0;
    uint32_t ls = 0;
    bool operator==(const FileVersion&) const = default;
};

// The ELF note: owner "Pordane", type 1, two 32-bit words in the file's byte order.
inline constexpr const char* VersionNoteOwner = "Pordane";
inline constexpr uint32_t VersionNoteType = 1;

std::optional<FileVersion> readPeFileVersion(const std::filesystem::path& file);
std::optional<FileVersion> readElfVersionNote(const std::filesystem::path& file);

// The PE version, else the ELF note; nullopt for a file with neither.
std::optional<FileVersion> readFileVersion(const std::filesystem::path& file);

} // namespace pordane::platform
