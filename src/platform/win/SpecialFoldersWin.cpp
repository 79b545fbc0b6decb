#ifdef _WIN32

#include "platform/SpecialFolders.h"

#include <windows.h>
#include <shlobj.h>

namespace pordane::platform {

namespace {

std::optional<std::filesystem::path> shellFolder(int csidl)
{
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return std::nullopt;
    return std::filesystem::path(buffer);
}

} // namespace

std::optional<std::filesystem::path> specialFolder(SpecialFolder which)
{
    switch (which) {
    case SpecialFolder::Program: {
        wchar_t buffer[32768] = {};
        const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
        if (n == 0 || n >= std::size(buffer))
            return std::nullopt;
        return std::filesystem::path(buffer).parent_path();
    }
    case SpecialFolder::Documents:
        return shellFolder(CSIDL_PERSONAL);
    case SpecialFolder::LocalAppData:
        return shellFolder(CSIDL_LOCAL_APPDATA);
    case SpecialFolder::RoamingAppData:
        return shellFolder(CSIDL_APPDATA);
    case SpecialFolder::Windows:
        return shellFolder(CSIDL_WINDOWS);
    case SpecialFolder::System:
        return shellFolder(CSIDL_SYSTEM);
    }
    return std::nullopt;
}

} // namespace pordane::platform

#endif
