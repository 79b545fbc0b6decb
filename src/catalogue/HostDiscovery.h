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
std::string carpetaComandoAccess(std::string_view comando);

// The discovery's state (the folders it finds) and its operations, served by
// one host environment, which must outlive it. The import uses it so:
//
//   auto host = platform::openHostEnvironment();
//   Entorno entorno(*host);
//   entorno.PrepararEntorno(dialogs, true);               // at start
//   if (entorno.BuscarInstalacion(entorno.CarpetaInstalacion)) {
//       std::string ruta;
//       entorno.LeerRutaDatos(entorno.CarpetaInstalacion, ruta);
//       auto mdb = entorno.host().nativePath(entorno.CarpetaDatos + "\\VTES_DAT.MDB");
//   }
class Entorno {
public:
    explicit Entorno(const platform::HostEnvironment& host);

    const platform::HostEnvironment& host() const { return m_host; }

    // The system drive such as "C:", no trailing backslash.
    std::string UnidadSistema;
    // The Talvane installation folder, no trailing backslash.
    std::string CarpetaInstalacion;
    // The company data folder: RUTA + "\Empresas\Empre01".
    std::string CarpetaDatos;

    // Start-up discovery: sets UnidadSistema and checks for an Access 2010
    // runtime; when none is found and mostrarMensaje is set, shows
    // "No se ha encontrado Runtime de Access 2010" once. Never fails.
    void PrepararEntorno(views::Dialogs& dialogs, bool mostrarMensaje);

    // Finds the Talvane installation folder from the registry (checked for
    // "\Sistema\Corvalix.config") or, failing that, a Corvalix folder in the
    // root of a fixed drive A: to Z:. carpeta is emptied when nothing is found.
    bool BuscarInstalacion(std::string& carpeta) const;

    // ruta := RUTA of the installation's configuration file ("Error" when
    // missing); CarpetaDatos := ruta + "\Empresas\Empre01".
    void LeerRutaDatos(const std::string& carpetaInstalacion, std::string& ruta);

    // valor := the entry `id` of the configuration file, read as
    // Windows-1252 text and returned as UTF-8; "Error" when the file is
    // missing or has no line for the entry.
    void LeerValorConfig(const std::string& fichero, const std::string& id, std::string& valor) const;

    // The three Access runtime probes; carpeta is the folder found.
    bool BuscarRuntimeTalvane(std::string& carpeta) const;
    bool BuscarAccessDesinstalar(std::string& carpeta) const;
    bool BuscarAccessRuntime(std::string& carpeta) const;

private:
    const platform::HostEnvironment& m_host;
};

} // namespace pordane::catalogue
