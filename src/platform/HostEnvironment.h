// What the discovery needs from the host: registry, drives, Windows paths and
// environment. The Windows build serves it from Win32; the Linux build from a
// Wine prefix. openHostEnvironment() picks the build's backend.
#pragma once

#include "platform/Registry.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pordane::platform {

// The kinds GetDriveType distinguishes.
enum class DriveType { Unknown, NoRootDir, Removable, Fixed, Remote, CdRom, RamDisk };

class HostEnvironment {
public:
    virtual ~HostEnvironment() = default;

    virtual const RegistryReader& registry() const = 0;

    // Type of the drive letter's root (A-Z, any case).
    virtual DriveType driveType(char letter) const = 0;

    // The native path for a Windows path such as "C:\Corvalix\Sistema".
    // Existing components are matched as the host's file system would match
    // them (case-insensitively under Wine); components that do not exist yet
    // are appended as given. nullopt when the path cannot be mapped (unknown
    // drive, relative or UNC path under Wine).
    virtual std::optional<std::filesystem::path> nativePath(std::string_view windowsPath) const = 0;

    // An environment variable as Windows programs see it; nullopt when unset.
    virtual std::optional<std::string> environmentVariable(std::string_view name) const = 0;

    // Whether the host is of the Windows NT family (Wine counts as one).
    virtual bool isNtFamily() const = 0;

    // A regular file / a directory at the Windows path; false on any error.
    bool fileExists(std::string_view windowsPath) const;
    bool directoryExists(std::string_view windowsPath) const;
};

// The environment of the build's platform: the Win32 host on Windows, the
// Wine prefix named by WINEPREFIX (default ~/.wine) elsewhere.
std::unique_ptr<HostEnvironment> openHostEnvironment();

} // namespace pordane::platform
