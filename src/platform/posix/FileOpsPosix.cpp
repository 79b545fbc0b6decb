#include "platform/FileOps.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>
#include <system_error>
#include <vector>

namespace pordane::platform {

std::optional<std::filesystem::path> createUniqueFile(const std::filesystem::path& folder, const std::string& prefix)
{
    std::string pattern = (folder / (prefix + "XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0)
        return std::nullopt;
    ::close(fd);
    return std::filesystem::path(buffer.data());
}

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code ec;
    if (std::filesystem::is_directory(to, ec))
        return false;
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    const auto beside = createUniqueFile(to.parent_path().empty() ? "." : to.parent_path(), ".PUPD");
    if (!beside)
        return false;
    if (!std::filesystem::copy_file(from, *beside, std::filesystem::copy_options::overwrite_existing, ec)
        || std::rename(beside->c_str(), to.c_str()) != 0) {
        std::filesystem::remove(*beside, ec);
        return false;
    }
    std::filesystem::remove(from, ec);
    return true;
}

} // namespace pordane::platform
