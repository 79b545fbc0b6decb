// The host environment served by Win32: the registry API, GetDriveType, the
// process environment. Only built for Windows.
#pragma once

#ifdef _WIN32

#include "platform/HostEnvironment.h"

namespace pordane::platform {

class WindowsRegistry final : public RegistryReader {
public:
    // Opens without creating, with KEY_ALL_ACCESS (0xF003F) as Talvane's
    // tools always have; a key that cannot be opened so counts as missing.
    std::unique_ptr<RegistryKey> openKey(RegistryRoot root, std::string_view path) const override;
};

class WindowsHost final : public HostEnvironment {
public:
    const RegistryReader& registry() const override { return m_registry; }
    DriveType driveType(char letter) const override;
    std::optional<std::filesystem::path> nativePath(std::string_view windowsPath) const override;
    std::optional<std::string> environmentVariable(std::string_view name) const override;
    bool isNtFamily() const override;

private:
    WindowsRegistry m_registry;
};

} // namespace pordane::platform

#endif
