// Starting what an update control file names: a program with its parameters
// or a document (the system's "open") and an address in the browser.
// Nothing here waits for what it started.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pordane::platform {

// True for "http://" and "https://" addresses (scheme in any case).
inline bool isWebAddress(std::string_view address)
{
    const auto startsWith = [address](std::string_view scheme) {
        if (address.size() <= scheme.size())
            return false;
        for (std::size_t i = 0; i < scheme.size(); ++i) {
            const char c = address[i];
            if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != scheme[i])
                return false;
        }
        return true;
    };
    return startsWith("http://") || startsWith("https://");
}

// Windows: the shell's "open", shown normally; on systems before Vista
// (kernel32 without GetLocaleInfoEx) the command line "file parameters".
// Linux: an executable file is started directly, never through a shell, its
// parameters split as a Windows command line; any other existing file, and a
// web address, goes to the desktop's default handler (xdg-open).
bool shellOpen(const std::filesystem::path& file, const std::string& parameters);

// http and https only. Windows: "iexplore.exe" with "-new " and the address,
// else the default handler. Linux: the desktop's browser (xdg-open).
bool openInBrowser(const std::string& address);

} // namespace pordane::platform
