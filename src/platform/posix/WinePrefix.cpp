#include "platform/WinePrefix.h"

#include "platform/base/PathMatch.h"
#include "platform/base/TextEncoding.h"

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
    for (auto& part : splitWindowsPath(windowsPath.substr(2))) {
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (part != ".") {
            parts.push_back(std::move(part));
        }
    }

    std::filesystem::path native = driveLink(windowsPath[0]);
    std::error_code ec;
    if (!std::filesystem::is_directory(native, ec))
        return std::nullopt;
    return resolveIgnoreCase(native, parts);
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
