#ifdef _WIN32

#include "platform/FileOps.h"

#include <windows.h>

namespace pordane::platform {

std::optional<std::filesystem::path> createUniqueFile(const std::filesystem::path& folder, const std::string& prefix)
{
    wchar_t name[MAX_PATH] = {};
    const std::wstring widePrefix(prefix.begin(), prefix.end());
    if (GetTempFileNameW(folder.c_str(), widePrefix.c_str(), 0, name) == 0)
        return std::nullopt;
    return std::filesystem::path(name);
}

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES && !DeleteFileW(to.c_str())) {
        SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(to.c_str()))
            return false;
    }
    return MoveFileW(from.c_str(), to.c_str()) != 0;
}

} // namespace pordane::platform

#endif
