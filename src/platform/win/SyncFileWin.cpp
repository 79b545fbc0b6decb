#ifdef _WIN32

#include "platform/SyncFile.h"

#include <windows.h>

namespace pordane::platform {

bool syncFile(const std::filesystem::path& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = FlushFileBuffers(h) != 0;
    CloseHandle(h);
    return ok;
}

} // namespace pordane::platform

#endif
