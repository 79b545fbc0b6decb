#include "catalogue/HostDiscovery.h"

#include "catalogue/TEasyReg.h"
#include "platform/base/TextEncoding.h"

#include <array>
#include <fstream>
#include <iterator>

namespace pordane::catalogue {

namespace {

constexpr std::string_view ClaveTalvane = "Software\\Corvalix\\Tessaly Soft Run Time 2.0";
constexpr std::string_view ClaveDesinstalarCorvalix = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvalix";
constexpr std::string_view ClaveDesinstalar = "Software\\Microsoft\\Windows\\CurrentVersion\\UnInstall";
constexpr std::string_view ClaveComandoAccess = "\\Access.Application.14\\shell\\Open\\command";
constexpr std::string_view FicheroConfig = "\\Sistema\\Corvalix.config";
constexpr std::string_view NoEncontrado = "No";

void quitarBarraFinal(std::string& s)
{
    if (!s.empty() && s.back() == '\\')
        s.pop_back();
}

bool empiezaPor(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

bool contiene(std::string_view s, std::string_view part)
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
std::vector<std::string_view> lineas(std::string_view text)
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

std::string carpetaComandoAccess(std::string_view comando)
{
    const std::string texto = lower(comando);
    const std::size_t p = texto.find("msaccess.exe");
    if (p == std::string::npos)
        return {};
    std::string_view carpeta = std::string_view(texto).substr(0, p);
    while (!carpeta.empty() && (carpeta.front() == ' ' || carpeta.front() == '\t'))
        carpeta.remove_prefix(1);
    if (!carpeta.empty() && carpeta.front() == '"')
        carpeta.remove_prefix(1);
    std::string result(carpeta);
    quitarBarraFinal(result);
    return result;
}

Entorno::Entorno(const platform::HostEnvironment& host) : m_host(host) {}

void Entorno::PrepararEntorno(views::Dialogs& dialogs, bool mostrarMensaje)
{
    if (m_host.isNtFamily()) {
        UnidadSistema = m_host.environmentVariable("SystemDrive").value_or("");
    } else {
        UnidadSistema = m_host.environmentVariable("Windir").value_or("").substr(0, 2);
    }
    // The folder found is not used: the check only warns.
    std::string carpeta;
    if (!BuscarRuntimeTalvane(carpeta) && !BuscarAccessRuntime(carpeta) && mostrarMensaje)
        dialogs.showMessage("No se ha encontrado Runtime de Access 2010");
}

bool Entorno::BuscarInstalacion(std::string& carpeta) const
{
    TEasyReg reg(m_host.registry());
    bool encontrado = false;
    std::string valor;

    reg.ReadString(ClaveTalvane, "InstallDir", valor, NoEncontrado);
    quitarBarraFinal(valor);
    if (valor != NoEncontrado) {
        carpeta = valor;
        encontrado = true;
    }

    if (!encontrado || carpeta.empty()) {
        reg.ReadString(ClaveDesinstalarCorvalix, "InstallDir", valor, NoEncontrado);
        encontrado = valor != NoEncontrado;
        if (encontrado) {
            carpeta = valor;
            if (carpeta.empty())
                carpeta = UnidadSistema + "\\Corvalix";
        }
    }

    if (encontrado && !carpeta.empty() && m_host.fileExists(carpeta + std::string(FicheroConfig)))
        return true;

    // A folder found by the drive scan is taken without the configuration check.
    carpeta.clear();
    for (char letra = 'A'; letra <= 'Z'; ++letra) {
        try {
            const std::string candidata = std::string(1, letra) + ":\\Corvalix";
            if (m_host.driveType(letra) == platform::DriveType::Fixed && m_host.directoryExists(candidata)) {
                carpeta = candidata;
                break;
            }
        } catch (...) {
            // A drive that cannot be probed is skipped.
        }
    }
    return !carpeta.empty();
}

void Entorno::LeerRutaDatos(const std::string& carpetaInstalacion, std::string& ruta)
{
    LeerValorConfig(carpetaInstalacion + std::string(FicheroConfig), "RUTA", ruta);
    CarpetaDatos = ruta + "\\Empresas\\Empre01";
}

void Entorno::LeerValorConfig(const std::string& fichero, const std::string& id, std::string& valor) const
{
    valor = "Error";
    if (!m_host.fileExists(fichero))
        return;
    std::string contenido;
    try {
        std::ifstream in(*m_host.nativePath(fichero), std::ios::binary);
        if (!in)
            return;
        contenido.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
    const std::string clave = platform::windows1252ToUpper("ID='" + *idAnsi + "'");
    for (std::string_view linea : lineas(contenido)) {
        const std::string mayusculas = platform::windows1252ToUpper(linea);
        if (mayusculas.find(clave) == std::string::npos)
            continue;
        const std::size_t marca = mayusculas.find("VALUE='");
        const std::size_t p = marca == std::string::npos ? 0 : marca + 1;
        // Drops "VALUE='" and what precedes it; a line without the marker
        // loses its first six characters.
        const std::string_view resto = linea.substr(std::min(p + 6, linea.size()));
        const std::size_t cierre = resto.find('\'');
        valor = cierre == std::string_view::npos ? std::string() : platform::windows1252ToUtf8(resto.substr(0, cierre));
        return;
    }
}

bool Entorno::BuscarRuntimeTalvane(std::string& carpeta) const
{
    TEasyReg reg(m_host.registry());
    std::string valor;
    reg.ReadString(ClaveTalvane, "RuntimeDir", valor, NoEncontrado);
    if (valor == NoEncontrado)
        return false;
    quitarBarraFinal(valor);
    if (m_host.fileExists(valor + "\\msaccess.exe") || m_host.fileExists(valor + "\\VexorRuntime.exe")) {
        carpeta = valor;
        return true;
    }
    return false;
}

bool Entorno::BuscarAccessDesinstalar(std::string& carpeta) const
{
    carpeta.clear();
    TEasyReg reg(m_host.registry());
    if (!reg.OpenKey(ClaveDesinstalar))
        return false;
    const std::vector<std::string> subclaves = reg.GetKeyNames();
    reg.CloseKey();

    static constexpr std::array<std::string_view, 4> Productos = {
        "Microsoft Office Professional", "Microsoft Office System", "Microsoft Office Enterprise",
        "Microsoft Office Access"};
    for (const std::string& subclave : subclaves) {
        const std::string ruta = std::string(ClaveDesinstalar) + "\\" + subclave;
        if (!reg.OpenKey(ruta))
            continue;
        reg.CloseKey();
        std::string nombre, version;
        reg.ReadString(ruta, "DisplayName", nombre, "");
        reg.ReadString(ruta, "DisplayVersion", version, "");

        if (contiene(nombre, "Access Runtime 2010") || contiene(nombre, "Office Access Runtime"))
            continue;
        bool producto = false;
        for (auto prefijo : Productos)
            producto = producto || empiezaPor(nombre, prefijo);
        if (!producto || !contiene(nombre, "2010") || !empiezaPor(version, "14."))
            continue;

        TEasyReg clases(m_host.registry());
        clases.setRootKey(platform::RegistryRoot::ClassesRoot);
        std::string comando;
        clases.ReadString(ClaveComandoAccess, "", comando, NoEncontrado);
        if (comando != NoEncontrado)
            carpeta = carpetaComandoAccess(comando);
        return !carpeta.empty() && m_host.fileExists(carpeta + "\\msaccess.exe");
    }
    return false;
}

bool Entorno::BuscarAccessRuntime(std::string& carpeta) const
{
    carpeta.clear();
    try {
        std::string f;
        if (BuscarAccessDesinstalar(f)) {
            quitarBarraFinal(f);
            if (m_host.fileExists(f + "\\msaccess.exe")) {
                carpeta = f;
                return true;
            }
        }
    } catch (...) {
    }

    try {
        std::string runtime;
        if (!BuscarRuntimeTalvane(runtime)) {
            TEasyReg clases(m_host.registry());
            clases.setRootKey(platform::RegistryRoot::ClassesRoot);
            std::string comando;
            clases.ReadString(ClaveComandoAccess, "", comando, NoEncontrado);
            if (comando != NoEncontrado) {
                const std::string f = carpetaComandoAccess(comando);
                if (!f.empty() && m_host.fileExists(f + "\\msaccess.exe")) {
                    carpeta = f;
                    return true;
                }
            }
        }
    } catch (...) {
    }
    return false;
}

} // namespace pordane::catalogue
