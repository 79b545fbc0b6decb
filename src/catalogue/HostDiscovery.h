// Host environment discovery: finds the agency's Talvane installation, its
// data root and the Access 2010 runtime Talvane's database needs. Reads only.
#pragma once

#include "platform/HostEnvironment.h"
#include "platform/base/NumberFormat.h"
#include "views/Dialogs.h"

#include <string>
#include <string_view>

namespace pordane::catalogue {

using platform::FormatearMiles;

// The folder part of the Access open command (the default value of
// HKCR\Access.Application.14\shell\Open\command), lower-cased, quoted or not:
//   "c:\program files\microsoft office\office14\msaccess.exe" /nostartup "%1"
//   c:\office14\msaccess.exe /nostartup "%1"
// both give the folder before "msaccess.exe" without its trailing backslash.
// Empty when the command does not name msaccess.exe.
std::string accessCommandFolder(std::string_view command);

// The discovery's state (the folders it finds) and its operations, served by
// one host environment, which must outlive it. The import uses it so:
//
//   auto host = platform::openHostEnvironment();
//   HostDiscovery environment(*host);
//   environment.PrepararEntorno(dialogs, true);               // at start
//   if (environment.BuscarInstalacion(environment.CarpetaInstalacion)) {
//       std::string path;
//       environment.LeerRutaDatos(environment.CarpetaInstalacion, path);
//       auto mdb = environment.host().nativePath(environment.CarpetaDatos + "\\VTES_DAT.MDB");
//   }
class HostDiscovery {
public:
    explicit HostDiscovery(const platform::HostEnvironment& host);

    const platform::HostEnvironment& host() const { return m_host; }

    // The system drive such as "C:", no trailing backslash.
    std::string UnidadSistema;
    // The Talvane installation folder, no trailing backslash.
    std::string CarpetaInstalacion;
    // The company data folder: RUTA + "\Empresas\Empre01".
    std::string CarpetaDatos;

    // Start-up discovery: sets UnidadSistema and checks for an Access 2010
    // runtime; when none is found and showMessage is set, shows
    // "No se ha encontrado Runtime de Access 2010" once. Never fails.
    void PrepararEntorno(views::Dialogs& dialogs, bool showMessage);

    // Finds the Talvane installation folder from the registry (checked for
    // "\Sistema\Corvalix.config") or, failing that, a Corvalix folder in the
    // root of a fixed drive A: to Z:. folder is emptied when nothing is found.
    bool BuscarInstalacion(std::string& folder) const;

    // path := RUTA of the installation's configuration file ("Error" when
    // missing); CarpetaDatos := path + "\Empresas\Empre01".
    void LeerRutaDatos(const std::string& installFolder, std::string& path);

    // value := the entry `id` of the configuration file, read as
    // Windows-1252 text and returned as UTF-8; "Error" when the file is
    // missing or has no line for the entry.
    void LeerValorConfig(const std::string& fichero, const std::string& id, std::string& value) const;

    // The three Access runtime probes; folder is the folder found.
    bool BuscarRuntimeTalvane(std::string& folder) const;
    bool BuscarAccessDesinstalar(std::string& folder) const;
    bool BuscarAccessRuntime(std::string& folder) const;

private:
    const platform::HostEnvironment& m_host;
};

} // namespace pordane::catalogue
