#include "platform/HostEnvironment.h"

#ifdef _WIN32
#include "platform/win/WindowsHost.h"
#else
#include "platform/WinePrefix.h"
#endif

#include <system_error>

namespace pordane::platform {

bool HostEnvironment::fileExists(std::string_view windowsPath) const
{
    try {
        auto native = nativePath(windowsPath);
        std::error_code ec;
        return native && std::filesystem::is_regular_file(*native, ec);
    } catch (...) {
        return false;
    }
}

bool HostEnvironment::directoryExists(std::string_view windowsPath) const
{
    try {
        auto native = nativePath(windowsPath);
        std::error_code ec;
        return native && std::filesystem::is_directory(*native, ec);
    } catch (...) {
        return false;
    }
}

// The single place where the build's backend is chosen.
std::unique_ptr<HostEnvironment> openHostEnvironment()
{
#ifdef _WIN32
    return std::make_unique<WindowsHost>();
#else
    return std::make_unique<WinePrefix>(WinePrefix::defaultPath());
#endif
}

} // namespace pordane::platform
