#include "platform/SyncFile.h"

#include <fcntl.h>
#include <unistd.h>

namespace pordane::platform {

bool syncFile(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace pordane::platform
