#include "catalogue/HostDiscovery.h"

#include "catalogue/TEasyReg.h"
#include "platform/base/TextEncoding.h"

#include <array>
#include <fstream>
#include <iterator>

namespace pordane::catalogue {

namespace {

constexpr std::string_view TalvaneKey = "Software\\Corvalix\\Tessaly Soft Run Time 2.0";
constexpr std::string_view CorvalixUninstallKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalix";
constexpr std::string_view UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\UnInstall";
constexpr std::string_view AccessCommandKey = "\\Access.Application.14\\shell\\Open\\command";
constexpr std::string_view ConfigFile = "\\Sistema\\Corvalix.config";
constexpr std::string_view NotFound = "No";

void stripTrailingSlash(std::string& s)
{
    if (!s.empty() && s.back() == '\\')
        s.pop_back();
}

bool startsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

bool contains(std::string_view s, std::string_view part)
{
    return s.find(part) != std::string_view::npos;
}

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Text lines as Delphi's text files split them: at CR LF, LF or CR.
std::vector<std::string_view> lines(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t stop = text.find_first_of("\r\n", start);
        if (stop == std::string_view::npos) {
            out.push_back(text.substr(start));
            break;
        }
        out.push_back(text.substr(start, stop - start));
        start = stop + ((text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n') ? 2 : 1);
    }
    return out;
}

} // namespace

std::string accessCommandFolder(std::string_view command)
{
    const std::string text = lower(command);
    const std::size_t p = text.find("msaccess.exe");
    if (p == std::string::npos)
        return {};
    std::string_view folder = std::string_view(text).substr(0, p);
    while (!folder.empty() && (folder.front() == ' ' || folder.front() == '\t'))
        folder.remove_prefix(1);
    if (!folder.empty() && folder.front() == '"')
        folder.remove_prefix(1);
    std::string result(folder);
    stripTrailingSlash(result);
    return result;
}

HostDiscovery::HostDiscovery(const platform::HostEnvironment& host) : m_host(host) {}

void HostDiscovery::PrepararEntorno(views::Dialogs& dialogs, bool showMessage)
{
    if (m_host.isNtFamily()) {
        UnidadSistema = m_host.environmentVariable("SystemDrive").value_or("");
    } else {
        UnidadSistema = m_host.environmentVariable("Windir").value_or("").substr(0, 2);
    }
    // The folder found is not used: the check only warns.
    std::string folder;
    if (!BuscarRuntimeTalvane(folder) && !BuscarAccessRuntime(folder) && showMessage)
        dialogs.showMessage("No se ha encontrado Runtime de Access 2010");
}

bool HostDiscovery::BuscarInstalacion(std::string& folder) const
{
    TEasyReg reg(m_host.registry());
    bool found = false;
    std::string value;

    reg.ReadString(TalvaneKey, "InstallDir", value, NotFound);
    stripTrailingSlash(value);
    if (value != NotFound) {
        folder = value;
        found = true;
    }

    if (!found || folder.empty()) {
        reg.ReadString(CorvalixUninstallKey, "InstallDir", value, NotFound);
        found = value != NotFound;
        if (found) {
            folder = value;
            if (folder.empty())
                folder = UnidadSistema + "\\Corvalix";
        }
    }

    if (found && !folder.empty() && m_host.fileExists(folder + std::string(ConfigFile)))
        return true;

    // A folder found by the drive scan is taken without the configuration check.
    folder.clear();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        try {
            const std::string candidate = std::string(1, letter) + ":\\Corvalix";
            if (m_host.driveType(letter) == platform::DriveType::Fixed && m_host.directoryExists(candidate)) {
                folder = candidate;
                break;
            }
        } catch (...) {
            // A drive that cannot be probed is skipped.
        }
    }
    return !folder.empty();
}

void HostDiscovery::LeerRutaDatos(const std::string& installFolder, std::string& path)
{
    LeerValorConfig(installFolder + std::string(ConfigFile), "RUTA", path);
    CarpetaDatos = path + "\\Empresas\\Empre01";
}

void HostDiscovery::LeerValorConfig(const std::string& fichero, const std::string& id, std::string& value) const
{
    value = "Error";
    if (!m_host.fileExists(fichero))
        return;
    std::string content;
    try {
        std::ifstream in(*m_host.nativePath(fichero), std::ios::binary);
        if (!in)
            return;
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad())
            return;
    } catch (...) {
        return;
    }

    // Matching happens on the ANSI bytes, so positions in the upper-case form
    // are positions in the line; only the value is converted to UTF-8.
    const auto idAnsi = platform::utf8ToWindows1252(id);
    if (!idAnsi)
        return;
    const std::string key = platform::windows1252ToUpper("ID='" + *idAnsi + "'");
    for (std::string_view line : lines(content)) {
        const std::string upper = platform::windows1252ToUpper(line);
        if (upper.find(key) == std::string::npos)
            continue;
        const std::size_t mark = upper.find("VALUE='");
        const std::size_t p = mark == std::string::npos ? 0 : mark + 1;
        // Drops "VALUE='" and what precedes it; a line without the marker
        // loses its first six characters.
        const std::string_view rest = line.substr(std::min(p + 6, line.size()));
        const std::size_t closing = rest.find('\'');
        value = closing == std::string_view::npos ? std::string() : platform::windows1252ToUtf8(rest.substr(0, closing));
        return;
    }
}

bool HostDiscovery::BuscarRuntimeTalvane(std::string& folder) const
{
    TEasyReg reg(m_host.registry());
    std::string value;
    reg.ReadString(TalvaneKey, "RuntimeDir", value, NotFound);
    if (value == NotFound)
        return false;
    stripTrailingSlash(value);
    if (m_host.fileExists(value + "\\msaccess.exe") || m_host.fileExists(value + "\\VexorRuntime.exe")) {
        folder = value;
        return true;
    }
    return false;
}

bool HostDiscovery::BuscarAccessDesinstalar(std::string& folder) const
{
    folder.clear();
    TEasyReg reg(m_host.registry());
    if (!reg.OpenKey(UninstallKey))
        return false;
    const std::vector<std::string> subkeys = reg.GetKeyNames();
    reg.CloseKey();

    static constexpr std::array<std::string_view, 4> Productos = {
        "Microsoft Office Professional", "Microsoft Office System", "Microsoft Office Enterprise",
        "Microsoft Office Access"};
    for (const std::string& subkey : subkeys) {
        const std::string path = std::string(UninstallKey) + "\\" + subkey;
        if (!reg.OpenKey(path))
            continue;
        reg.CloseKey();
        std::string name, version;
        reg.ReadString(path, "DisplayName", name, "");
        reg.ReadString(path, "DisplayVersion", version, "");

        if (contains(name, "Access Runtime 2010") || contains(name, "Office Access Runtime"))
            continue;
        bool producto = false;
        for (auto prefix : Productos)
            producto = producto || startsWith(name, prefix);
        if (!producto || !contains(name, "2010") || !startsWith(version, "14."))
            continue;

        TEasyReg classes(m_host.registry());
        classes.setRootKey(platform::RegistryRoot::ClassesRoot);
        std::string command;
        classes.ReadString(AccessCommandKey, "", command, NotFound);
        if (command != NotFound)
            folder = accessCommandFolder(command);
        return !folder.empty() && m_host.fileExists(folder + "\\msaccess.exe");
    }
    return false;
}

bool HostDiscovery::BuscarAccessRuntime(std::string& folder) const
{
    folder.clear();
    try {
        std::string f;
        if (BuscarAccessDesinstalar(f)) {
            stripTrailingSlash(f);
            if (m_host.fileExists(f + "\\msaccess.exe")) {
                folder = f;
                return true;
            }
        }
    } catch (...) {
    }

    try {
        std::string runtime;
        if (!BuscarRuntimeTalvane(runtime)) {
            TEasyReg classes(m_host.registry());
            classes.setRootKey(platform::RegistryRoot::ClassesRoot);
            std::string command;
            classes.ReadString(AccessCommandKey, "", command, NotFound);
            if (command != NotFound) {
                const std::string f = accessCommandFolder(command);
                if (!f.empty() && m_host.fileExists(f + "\\msaccess.exe")) {
                    folder = f;
                    return true;
                }
            }
        }
    } catch (...) {
    }
    return false;
}

} // namespace pordane::catalogue
