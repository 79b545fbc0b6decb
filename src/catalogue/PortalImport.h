// The portal connections import: the rows of Talvane's "Dat_Conexión" become
// server entries 4 onward, with the FTP data of operator-coded portals fetched
// from the maker's main FTP server and descrambled.
#pragma once

#include "catalogue/ConnectionSource.h"
#include "catalogue/ServerTable.h"
#include "ftp/FTPClient.h"
#include "platform/HostEnvironment.h"
#include "views/Dialogs.h"
#include "views/LinksView.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace pordane::catalogue {

inline constexpr const char* TextoObteniendo = "Obteniendo...";
inline constexpr const char* MensajeSinInstalacion = "No se ha encontrado la instalación de Talvane";
inline constexpr const char* MensajeSinConexiones = "No se han podido obtener las conexiones disponibles de Talvane";
// The maker's connection file, remote and local name.
inline constexpr const char* ArchivoConexion = "1000.ini";

// "No se han podido listar N conexiones de Talvane: ..." for N rows past the
// 20-entry table.
std::string mensajeConexionesSinListar(int n);
// The personal server that no longer fits after the portal entries.
std::string mensajeSinSitioPersonal();

// A connection file that cannot be used; what() is a Spanish text for the user.
class ConnectionFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What an import did, for the window and the tests.
struct ResultadoImportacion {
    // EnCurso: asked for while an import was already running (from a turn of
    // the message pump); nothing was done.
    enum class Estado { Completa, SinInstalacion, Error, EnCurso };
    Estado estado = Estado::Completa;
    int enlaces = 0;        // portal entries listed (the counter)
    int sinListar = 0;      // usable rows left out for want of room
    std::string error;      // the error's own text (Estado::Error)
};

// The window owns one importer next to its client and table, and forwards to it:
//
//   PortalImport importador(FTPClient, Servidor, [this] { return personalFields(); },
//                         dialogs, enlacesView);
//   importador.ObtenerEnlacesWeb();   // AfterCreate and "Obtener Datos Enlaces"
class PortalImport {
public:
    using HostFactory = std::function<std::unique_ptr<platform::HostEnvironment>()>;
    using PersonalSource = std::function<PersonalFields()>;

    struct Options {
        // The maker's main FTP server, where the connection files live.
        std::string HostConexiones;
        std::uint16_t PuertoConexiones = 21;
        std::string Usuario;
        std::string Password;
        std::int32_t FactorEncriptacion;
        // Where "1000.ini" is downloaded; empty: the process's working directory.
        std::filesystem::path CarpetaTrabajo;
        // Opened afresh on each import, so a changed installation is seen.
        HostFactory abrirEntorno;
        // The database reader; null: libmdb.
        std::shared_ptr<ConnectionSource> baseDatos;

        Options();
    };

    // Every reference must outlive the importer. The client is the window's
    // single client: the import sets its host, port and login and keeps its
    // other settings (passive mode among them) as they are.
    PortalImport(ftp::FTPClient& FTPClient, ServerTable& Servidor, PersonalSource camposPersonales,
               views::Dialogs& dialogs, views::LinksView& view, Options opciones = Options());

    // The whole import, as "Obtener Datos Enlaces" and the start-up run it.
    // Every failure ends in a message and the counter "0"; only the window's
    // stop (ftp::RunStopped, thrown by a pump turn) leaves, with nothing
    // more written or sent.
    ResultadoImportacion ObtenerEnlacesWeb();
    bool enCurso() const { return m_enCurso; }

    // Fetches Estruc<nestructura>/1000.ini and descrambles its first four
    // lines into Host, User, Pass and Remoto of eServidor (all four or none).
    // A session the client still holds is closed before the connect.
    // Throws ftp::FtpError (the client is disconnected first) or
    // ConnectionFileError; the local file is deleted only after a good read.
    void ObtenerDatosConexion(const std::string& nestructura, TSERVIDOR& eServidor);

    const Options& opciones() const { return m_opciones; }

private:
    std::filesystem::path archivoLocal() const;
    int importarFilas(CursorConexiones& tabla, int& sinListar);

    ftp::FTPClient& m_client;
    ServerTable& m_servidor;
    PersonalSource m_camposPersonales;
    views::Dialogs& m_dialogs;
    views::LinksView& m_view;
    Options m_opciones;
    bool m_enCurso = false;
};

} // namespace pordane::catalogue
