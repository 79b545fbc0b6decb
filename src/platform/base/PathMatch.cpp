#include "platform/base/PathMatch.h"

#include "platform/base/TextEncoding.h"

#include <system_error>

namespace pordane::platform {

std::optional<std::filesystem::path> findEntryIgnoreCase(const std::filesystem::path& dir, const std::string& name)
{
    std::error_code ec;
    const std::filesystem::path exact = dir / name;
    if (std::filesystem::exists(std::filesystem::symlink_status(exact, ec)))
        return exact;
    const std::string wanted = foldCase(name);
    std::optional<std::filesystem::path> best;
    std::filesystem::directory_iterator it(dir, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        // Several spellings of one name can exist side by side on Linux;
        // take the first in byte order so the choice does not depend on the
        // directory's listing order.
        if (foldCase(entry) == wanted && (!best || entry < best->filename().string()))
            best = it->path();
    }
    return best;
}

std::filesystem::path resolveIgnoreCase(std::filesystem::path base, const std::vector<std::string>& parts)
{
    bool resolving = true;
    for (const auto& part : parts) {
        if (resolving && part != "." && part != "..") {
            if (auto entry = findEntryIgnoreCase(base, part)) {
                base = *entry;
                continue;
            }
            resolving = false;
        }
        base /= part;
    }
    return base;
}

std::vector<std::string> splitAt(std::string_view text, std::string_view separators)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t stop = text.find_first_of(separators, start);
        if (stop == std::string_view::npos)
            stop = text.size();
        if (stop > start)
            parts.emplace_back(text.substr(start, stop - start));
        start = stop + 1;
    }
    return parts;
}

} // namespace pordane::platform

namespace pordane::platform {

std::filesystem::path controlPathToNative(std::string_view path)
{
#ifdef _WIN32
    return std::filesystem::path(std::string(path));
#else
    if (path.empty())
        return {};
    const bool absolute = path.front() == '/' || path.front() == '\\';
    const std::vector<std::string> parts = splitWindowsPath(path);
    if (absolute)
        return resolveIgnoreCase("/", parts);
    std::filesystem::path resolved = resolveIgnoreCase(".", parts);
    // Keep relative paths relative: "./a" is "a".
    return resolved.lexically_relative(".").empty() ? resolved : resolved.lexically_relative(".");
#endif
}

} // namespace pordane::platform
