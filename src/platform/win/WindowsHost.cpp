#ifdef _WIN32

#include "platform/win/WindowsHost.h"

#include "platform/base/TextEncoding.h"

#include <windows.h>

#include <string>
#include <vector>

namespace pordane::platform {

namespace {

constexpr REGSAM KeyAllAccess = 0xF003F;

std::wstring wide(std::string_view utf8)
{
    const std::u16string units = utf8ToUtf16(utf8);
    return std::wstring(units.begin(), units.end());
}

std::string narrow(const wchar_t* text, std::size_t length)
{
    return utf16ToUtf8(std::u16string(text, text + length));
}

// Talvane and the Access runtime are 32-bit programs: on 64-bit Windows their
// keys live in the 32-bit view, which is what a 32-bit build sees anyway.
REGSAM accessMask()
{
#if defined(_WIN64)
    return KeyAllAccess | KEY_WOW64_32KEY;
#else
    return KeyAllAccess;
#endif
}

class WindowsKey final : public RegistryKey {
public:
    explicit WindowsKey(HKEY key) : m_key(key) {}
    ~WindowsKey() override { RegCloseKey(m_key); }
    WindowsKey(const WindowsKey&) = delete;
    WindowsKey& operator=(const WindowsKey&) = delete;

    std::optional<std::string> readString(std::string_view name) const override
    {
        const std::wstring wname = wide(name);
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(m_key, wname.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return std::nullopt;
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        if (RegQueryValueExW(m_key, wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes)
            != ERROR_SUCCESS)
            return std::nullopt;
        // The stored data need not end in a NUL; stop at the first one.
        std::size_t length = bytes / sizeof(wchar_t);
        for (std::size_t i = 0; i < length; ++i) {
            if (buffer[i] == L'\0') {
                length = i;
                break;
            }
        }
        return narrow(buffer.data(), length);
    }

    std::vector<std::string> subkeyNames() const override
    {
        std::vector<std::string> names;
        DWORD count = 0;
        DWORD longest = 0;
        if (RegQueryInfoKeyW(m_key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr)
            != ERROR_SUCCESS)
            return names;
        std::vector<wchar_t> buffer(longest + 2);
        for (DWORD i = 0;; ++i) {
            DWORD length = static_cast<DWORD>(buffer.size());
            const LONG rc = RegEnumKeyExW(m_key, i, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS)
                break;
            if (rc == ERROR_MORE_DATA) {
                buffer.resize(buffer.size() * 2);
                --i;
                continue;
            }
            if (rc != ERROR_SUCCESS)
                break;
            names.push_back(narrow(buffer.data(), length));
        }
        return names;
    }

private:
    HKEY m_key;
};

} // namespace

std::unique_ptr<RegistryKey> WindowsRegistry::openKey(RegistryRoot root, std::string_view path) const
{
    // RegOpenKeyEx wants no leading backslash and no empty components.
    std::string clean;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t stop = path.find('\\', start);
        if (stop == std::string_view::npos)
            stop = path.size();
        if (stop > start) {
            if (!clean.empty())
                clean += '\\';
            clean.append(path.substr(start, stop - start));
        }
        start = stop + 1;
    }
    HKEY base = root == RegistryRoot::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
    HKEY key = nullptr;
    if (RegOpenKeyExW(base, wide(clean).c_str(), 0, accessMask(), &key) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<WindowsKey>(key);
}

DriveType WindowsHost::driveType(char letter) const
{
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    switch (GetDriveTypeW(root)) {
    case DRIVE_NO_ROOT_DIR: return DriveType::NoRootDir;
    case DRIVE_REMOVABLE: return DriveType::Removable;
    case DRIVE_FIXED: return DriveType::Fixed;
    case DRIVE_REMOTE: return DriveType::Remote;
    case DRIVE_CDROM: return DriveType::CdRom;
    case DRIVE_RAMDISK: return DriveType::RamDisk;
    default: return DriveType::Unknown;
    }
}

std::optional<std::filesystem::path> WindowsHost::nativePath(std::string_view windowsPath) const
{
    return std::filesystem::path(wide(windowsPath));
}

std::optional<std::string> WindowsHost::environmentVariable(std::string_view name) const
{
    const std::wstring wname = wide(name);
    const DWORD needed = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
    if (needed == 0)
        return std::nullopt;
    std::vector<wchar_t> buffer(needed + 1);
    const DWORD length = GetEnvironmentVariableW(wname.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size())
        return std::nullopt;
    return narrow(buffer.data(), length);
}

bool WindowsHost::isNtFamily() const
{
    // Every Windows this build runs on is of the NT family.
    return true;
}

} // namespace pordane::platform

#endif
