// The folders the updater's control file names by prefix ({APP}, {DOC}, ...).
// Windows: the shell's known folders. Linux: the executable's folder and the
// XDG base and user directories.
#pragma once

#include <filesystem>
#include <optional>

namespace pordane::platform {

enum class SpecialFolder {
    Program,        // folder of the running executable
    Documents,      // Windows: My Documents; Linux: XDG_DOCUMENTS_DIR, else $HOME
    LocalAppData,   // Windows: Local AppData; Linux: $XDG_DATA_HOME or ~/.local/share
    RoamingAppData, // Windows: AppData; Linux: $XDG_CONFIG_HOME or ~/.config
    Windows,        // Windows: the Windows folder; Linux: none
    System,         // Windows: the system folder; Linux: none
};

std::optional<std::filesystem::path> specialFolder(SpecialFolder which);

// Whether paths of this system are Windows paths (drive letters, "\").
#ifdef _WIN32
inline constexpr bool WindowsPaths = true;
#else
inline constexpr bool WindowsPaths = false;
#endif

} // namespace pordane::platform
