// The host environment served from a Wine prefix: HKLM from system.reg, HKCR
// as HKLM\Software\Classes, drive letters from the dosdevices links, Windows
// paths mapped onto the Linux file system.
#pragma once

#include "platform/HostEnvironment.h"
#include "platform/posix/WineHive.h"

#include <filesystem>

namespace pordane::platform {

class WinePrefix final : public HostEnvironment {
public:
    // Reads the prefix at `prefix` once; a missing or unreadable system.reg
    // leaves every key missing.
    explicit WinePrefix(std::filesystem::path prefix);

    // $WINEPREFIX when set and not empty, else $HOME/.wine, as Wine does.
    static std::filesystem::path defaultPath();

    const std::filesystem::path& path() const { return m_prefix; }

    const RegistryReader& registry() const override { return m_hive; }
    const WineHive& hive() const { return m_hive; }

    // dosdevices/x: missing, dangling or not a directory: NoRootDir.
    // Otherwise the type Wine keeps in HKLM\Software\Wine\Drives ("floppy",
    // "cdrom", "network", "ramdisk", "hd"), Fixed when it keeps none.
    DriveType driveType(char letter) const override;

    // "X:\a\b" -> dosdevices/x:/a/b, each existing component matched in any
    // letter case as Windows would (an exact match wins over a case-folded
    // one). Both '\' and '/' separate; "." and ".." are resolved within the
    // drive. Relative and UNC paths cannot be mapped.
    std::optional<std::filesystem::path> nativePath(std::string_view windowsPath) const override;

    // SystemDrive "C:", windir/SystemRoot "C:\windows" (names in any case).
    std::optional<std::string> environmentVariable(std::string_view name) const override;

    bool isNtFamily() const override { return true; }

private:
    std::filesystem::path driveLink(char letter) const;

    std::filesystem::path m_prefix;
    WineHive m_hive;
};

} // namespace pordane::platform
