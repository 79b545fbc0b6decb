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

inline constexpr const char* FetchingText = "Obteniendo...";
inline constexpr const char* NoInstallationMessage = "No se ha encontrado la instalación de Talvane";
inline constexpr const char* NoConnectionsMessage = "No se han podido obtener las conexiones disponibles de Talvane";
// The maker's connection file, remote and local name.
inline constexpr const char* ConnectionFileName = "1000.ini";

// "No se han podido listar N conexiones de Talvane: ..." for N rows past the
// 20-entry table.
std::string unlistedConnectionsMessage(int n);
// The personal server that no longer fits after the portal entries.
std::string noRoomForPersonalMessage();

// A connection file that cannot be used; what() is a Spanish text for the user.
class ConnectionFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What an import did, for the window and the tests.
struct ImportResult {
    // Running: asked for while an import was already running (from a turn of
    // the message pump); nothing was done.
    enum class Status { Complete, NoInstallation, Error, Running };
    Status status = Status::Complete;
    int links = 0;        // portal entries listed (the counter)
    int unlisted = 0;      // usable rows left out for want of room
    std::string error;      // the error's own text (Status::Error)
};

// The window owns one importer next to its client and table, and forwards to it:
//
//   PortalImport portalImport(FTPClient, Servidor, [this] { return personalFields(); },
//                         dialogs, enlacesView);
//   portalImport.ObtenerEnlacesWeb();   // AfterCreate and "Obtener Datos Enlaces"
class PortalImport {
public:
    using HostFactory = std::function<std::unique_ptr<platform::HostEnvironment>()>;
    using PersonalSource = std::function<PersonalFields()>;

    struct Options {
        // The maker's main FTP server, where the connection files live.
        std::string ConnectionsHost;
        std::uint16_t ConnectionsPort = 21;
        std::string User;
        std::string Password;
        std::int32_t FactorEncriptacion;
        // Where "1000.ini" is downloaded; empty: the process's working directory.
        std::filesystem::path WorkFolder;
        // Opened afresh on each import, so a changed installation is seen.
        HostFactory openHost;
        // The database reader; null: the build's (libmdb, ADO on Windows).
        std::shared_ptr<ConnectionSource> database;

        Options();
    };

    // Every reference must outlive the importer. The client is the window's
    // single client: the import sets its host, port and login and keeps its
    // other settings (passive mode among them) as they are.
    PortalImport(ftp::FTPClient& FTPClient, ServerTable& Servidor, PersonalSource personalFields,
               views::Dialogs& dialogs, views::LinksView& view, Options options = Options());

    // The whole import, as "Obtener Datos Enlaces" and the start-up run it.
    // Every failure ends in a message and the counter "0"; only the window's
    // stop (ftp::RunStopped, thrown by a pump turn) leaves, with nothing
    // more written or sent.
    ImportResult ObtenerEnlacesWeb();
    bool running() const { return m_running; }

    // Fetches Estruc<nestructura>/1000.ini and descrambles its first four
    // lines into Host, User, Pass and Remoto of server (all four or none).
    // A session the client still holds is closed before the connect.
    // Throws ftp::FtpError (the client is disconnected first) or
    // ConnectionFileError; the local file is deleted only after a good read.
    void ObtenerDatosConexion(const std::string& nestructura, TSERVIDOR& server);

    const Options& options() const { return m_optionsPage; }

private:
    std::filesystem::path localFile() const;
    int importRows(ConnectionCursor& table, int& unlisted);

    ftp::FTPClient& m_client;
    ServerTable& m_servers;
    PersonalSource m_personalFields;
    views::Dialogs& m_dialogs;
    views::LinksView& m_view;
    Options m_optionsPage;
    bool m_running = false;
};

} // namespace pordane::catalogue
