#include "platform/SpecialFolders.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace pordane::platform {

namespace {

std::optional<std::filesystem::path> home()
{
    const char* h = std::getenv("HOME");
    if (!h || !*h)
        return std::nullopt;
    return std::filesystem::path(h);
}

// An absolute XDG variable, else $HOME/<fallback>.
std::optional<std::filesystem::path> xdgBase(const char* variable, const char* fallback)
{
    if (const char* v = std::getenv(variable); v && *v == '/')
        return std::filesystem::path(v);
    if (auto h = home())
        return *h / fallback;
    return std::nullopt;
}

// XDG_DOCUMENTS_DIR="$HOME/Documentos" from user-dirs.dirs, as xdg-user-dir reads it.
std::optional<std::filesystem::path> xdgDocuments()
{
    const auto config = xdgBase("XDG_CONFIG_HOME", ".config");
    const auto h = home();
    if (!config || !h)
        return h;
    std::ifstream in(*config / "user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        static const std::string key = "XDG_DOCUMENTS_DIR=\"";
        if (!line.starts_with(key) || line.back() != '"')
            continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.starts_with("$HOME"))
            value = h->string() + value.substr(5);
        // "$HOME/" alone means the documents folder is switched off: $HOME.
        if (value.empty() || value.front() != '/')
            return h;
        std::error_code ec;
        if (std::filesystem::is_directory(value, ec))
            return std::filesystem::path(value);
        return h;
    }
    return h;
}

} // namespace

std::optional<std::filesystem::path> specialFolder(SpecialFolder which)
{
    switch (which) {
    case SpecialFolder::Program: {
        std::error_code ec;
        const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec)
            return std::nullopt;
        return exe.parent_path();
    }
    case SpecialFolder::Documents:
        return xdgDocuments();
    case SpecialFolder::LocalAppData:
        return xdgBase("XDG_DATA_HOME", ".local/share");
    case SpecialFolder::RoamingAppData:
        return xdgBase("XDG_CONFIG_HOME", ".config");
    case SpecialFolder::Windows:
    case SpecialFolder::System:
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace pordane::platform
