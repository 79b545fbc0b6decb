#include "platform/WinePrefix.h"

#include "platform/TextEncoding.h"

#include <cstdlib>
#include <system_error>
#include <vector>

namespace pordane::platform {

namespace {

char lowerLetter(char letter)
{
    if (letter >= 'A' && letter <= 'Z')
        return static_cast<char>(letter - 'A' + 'a');
    return letter;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The entry of `dir` named `name` in any letter case; an exact match first.
std::optional<std::filesystem::path> findEntry(const std::filesystem::path& dir, const std::string& name)
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

} // namespace

WinePrefix::WinePrefix(std::filesystem::path prefix)
    : m_prefix(std::move(prefix)), m_hive(WineHive::load(m_prefix / "system.reg"))
{
}

std::filesystem::path WinePrefix::defaultPath()
{
    if (const char* env = std::getenv("WINEPREFIX"); env && *env)
        return env;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "") / ".wine";
}

std::filesystem::path WinePrefix::driveLink(char letter) const
{
    return m_prefix / "dosdevices" / (std::string(1, lowerLetter(letter)) + ":");
}

DriveType WinePrefix::driveType(char letter) const
{
    if (!isLetter(letter))
        return DriveType::NoRootDir;
    std::error_code ec;
    if (!std::filesystem::is_directory(driveLink(letter), ec))
        return DriveType::NoRootDir;
    if (auto drives = m_hive.openMachineKey("Software\\Wine\\Drives")) {
        if (auto kind = drives->readString(std::string(1, lowerLetter(letter)) + ":")) {
            const std::string k = foldCase(*kind);
            if (k == "floppy")
                return DriveType::Removable;
            if (k == "cdrom")
                return DriveType::CdRom;
            if (k == "network")
                return DriveType::Remote;
            if (k == "ramdisk")
                return DriveType::RamDisk;
        }
    }
    return DriveType::Fixed;
}

std::optional<std::filesystem::path> WinePrefix::nativePath(std::string_view windowsPath) const
{
    if (windowsPath.size() < 2 || !isLetter(windowsPath[0]) || windowsPath[1] != ':')
        return std::nullopt;
    std::vector<std::string> parts;
    std::size_t start = 2;
    while (start <= windowsPath.size()) {
        std::size_t stop = windowsPath.find_first_of("\\/", start);
        if (stop == std::string_view::npos)
            stop = windowsPath.size();
        const std::string_view part = windowsPath.substr(start, stop - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        start = stop + 1;
    }

    std::filesystem::path native = driveLink(windowsPath[0]);
    std::error_code ec;
    if (!std::filesystem::is_directory(native, ec))
        return std::nullopt;
    bool resolving = true;
    for (const auto& part : parts) {
        if (resolving) {
            if (auto entry = findEntry(native, part)) {
                native = *entry;
                continue;
            }
            resolving = false;
        }
        native /= part;
    }
    return native;
}

std::optional<std::string> WinePrefix::environmentVariable(std::string_view name) const
{
    const std::string n = foldCase(name);
    if (n == "systemdrive")
        return std::string("C:");
    if (n == "windir" || n == "systemroot")
        return std::string("C:\\windows");
    return std::nullopt;
}

} // namespace pordane::platform
