#include "catalogue/PortalImport.h"

#include "catalogue/Desencriptar.h"
#include "catalogue/HostDiscovery.h"
#include "ftp/RunState.h"
#include "platform/base/TextEncoding.h"
#include "pordane/BuildConfig.h"

#include <array>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace pordane::catalogue {

namespace {

constexpr int ConnectionLines = 4;

// The file's lines as Windows reads text: CR LF, LF or a lone CR ends a line.
std::vector<std::string> splitLines(const std::string& bytes)
{
    std::vector<std::string> out;
    std::string actual;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            out.push_back(std::move(actual));
            actual.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            actual += c;
        }
    }
    if (!actual.empty())
        out.push_back(std::move(actual));
    return out;
}

// The file holds four short lines; a server could send gigabytes.
constexpr std::size_t MaxConnectionBytes = 64 * 1024;

// At most MaxConnectionBytes bytes of the file; `truncated` tells whether more followed.
std::string readFile(const std::filesystem::path& path, bool& truncated)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ConnectionFileError("No se puede abrir el archivo local \"" + path.string() + "\"");
    std::string bytes(MaxConnectionBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    truncated = bytes.size() > MaxConnectionBytes;
    if (truncated) {
        // Only the lines that end within the cap are whole.
        bytes.resize(MaxConnectionBytes);
        const auto end = bytes.find_last_of("\r\n");
        bytes.resize(end == std::string::npos ? 0 : end + 1);
    }
    return bytes;
}

void disconnectQuietly(ftp::FTPClient& client) noexcept
{
    try {
        client.Disconnect();
    } catch (...) {
        // The connection is being dropped after another error; that one is reported.
    }
}

} // namespace

std::string unlistedConnectionsMessage(int n)
{
    const std::string howMany = n == 1 ? "No se ha podido listar 1 conexión de Talvane"
                                       : "No se han podido listar " + std::to_string(n) + " conexiones de Talvane";
    return howMany + ": la lista admite un máximo de " + std::to_string(ServerTable::Capacity) + " servidores.";
}

std::string noRoomForPersonalMessage()
{
    return "No se ha podido añadir el servidor personal: la lista admite un máximo de " +
           std::to_string(ServerTable::Capacity) + " servidores.";
}

PortalImport::Options::Options()
    : ConnectionsHost(config::HostFtpTessalysis),
      User(config::PortalUser),
      Password(config::PortalPassword),
      FactorEncriptacion(config::FactorEncriptacion),
      openHost(platform::openHostEnvironment)
{
}

PortalImport::PortalImport(ftp::FTPClient& FTPClient, ServerTable& Servidor, PersonalSource personalFields,
                       views::Dialogs& dialogs, views::LinksView& view, Options options)
    : m_client(FTPClient),
      m_servers(Servidor),
      m_personalFields(std::move(personalFields)),
      m_dialogs(dialogs),
      m_view(view),
      m_optionsPage(std::move(options))
{
    if (!m_optionsPage.database)
        m_optionsPage.database = makeConnectionSource();
    if (!m_optionsPage.openHost)
        m_optionsPage.openHost = platform::openHostEnvironment;
}

std::filesystem::path PortalImport::localFile() const
{
    const auto folder =
        m_optionsPage.WorkFolder.empty() ? std::filesystem::current_path() : m_optionsPage.WorkFolder;
    return folder / ConnectionFileName;
}

ImportResult PortalImport::ObtenerEnlacesWeb()
{
    using Status = ImportResult::Status;
    // The client pumps the window's messages while it waits; a second import
    // started from there would take over the client in the middle of this one.
    if (m_running)
        return {Status::Running, 0, 0, {}};
    struct ScopedFlag {
        bool& running;
        explicit ScopedFlag(bool& b) : running(b) { running = true; }
        ~ScopedFlag() { running = false; }
    } mark(m_running);

    ImportResult outcome;
    m_view.setLabelNumEnlaces(FetchingText);

    bool failed = false;
    std::string error;
    try {
        const auto host = m_optionsPage.openHost();
        HostDiscovery environment(*host);
        // UnidadSistema, which BuscarInstalacion may need, as the start-up
        // discovery sets it; the Access warning belongs to the start only.
        environment.PrepararEntorno(m_dialogs, false);
        if (!environment.BuscarInstalacion(environment.CarpetaInstalacion)) {
            m_dialogs.showMessage(NoInstallationMessage);
            m_view.setLabelNumEnlaces("0");
            outcome.status = Status::NoInstallation;
            return outcome;
        }

        std::string path;
        environment.LeerRutaDatos(environment.CarpetaInstalacion, path);
        const std::string database = environment.CarpetaDatos + "\\" + DatabaseName;
        const auto native = host->nativePath(database);
        if (!native)
            throw DatabaseError("No se encuentra la base de datos \"" + database + "\"");
        const std::unique_ptr<ConnectionCursor> table = m_optionsPage.database->openConnections(*native);

        // Reset before any field is read: a row that fails later leaves the
        // entries filled so far, never those of an earlier import.
        m_servers.setNumServidores(3);
        outcome.links = importRows(*table, outcome.unlisted);
    } catch (const ftp::RunStopped&) {
        // The window is closing: nothing more is written, not even the counter.
        throw;
    } catch (const std::exception& e) {
        failed = true;
        error = e.what();
    } catch (...) {
        failed = true;
        error = "Error desconocido";
    }

    if (failed) {
        // Entries filled so far stay in the table, but the list is not rebuilt.
        m_dialogs.showMessage(std::string(NoConnectionsMessage) + "\r" + error);
        m_view.setLabelNumEnlaces("0");
        return {Status::Error, 0, 0, error};
    }

    const bool personalFits = m_servers.SetServidores(m_personalFields());
    m_view.rebuildCheckList(m_servers.names());
    m_view.setLabelNumEnlaces(std::to_string(outcome.links));

    std::string warning;
    if (outcome.unlisted > 0)
        warning = unlistedConnectionsMessage(outcome.unlisted);
    if (!personalFits)
        warning += (warning.empty() ? "" : "\r") + noRoomForPersonalMessage();
    if (!warning.empty())
        m_dialogs.showMessage(warning);
    return outcome;
}

int PortalImport::importRows(ConnectionCursor& table, int& unlisted)
{
    int count = 0;
    unlisted = 0;
    while (table.next()) {
        // Field by field, as a recordset is read: a missing field fails at
        // its first read, with what came before it already in place.
        const std::string user = table.text(UserField);
        if (user.empty() && table.integer(CodeField) == 0)
            continue;
        // The table has 20 slots: usable rows past the last are only counted.
        if (m_servers.NumServidores() >= ServerTable::Capacity) {
            ++unlisted;
            continue;
        }
        m_servers.setNumServidores(m_servers.NumServidores() + 1);
        ++count;
        TSERVIDOR& entry = m_servers.entry(m_servers.NumServidores());
        entry.Name = table.text(NameField);
        entry.Host = table.text(HostField);
        entry.User = user;
        entry.Pass = table.text(PassField);
        entry.Remoto = table.text(RemoteField);
        entry.IsEnlace = true;
        const std::int32_t code = table.integer(CodeField);
        if (code > 0)
            ObtenerDatosConexion(std::to_string(code), entry);
    }
    return count;
}

void PortalImport::ObtenerDatosConexion(const std::string& nestructura, TSERVIDOR& server)
{
    const std::string folder = "Estruc" + nestructura;
    const std::filesystem::path local = localFile();

    m_client.Username = m_optionsPage.User;
    m_client.Password = m_optionsPage.Password;
    m_client.Host = m_optionsPage.ConnectionsHost;
    m_client.Port = m_optionsPage.ConnectionsPort;
    // A session left open elsewhere (the connectivity test keeps its last
    // one) would make the connect fail; close it as every test's connect does.
    disconnectQuietly(m_client);
    try {
        m_client.Connect();
        m_client.ChangeDir(folder);
        m_client.Get(ConnectionFileName, local.string());
        m_client.Disconnect();
    } catch (const ftp::RunStopped&) {
        // The window is closing: not a word more to the server.
        throw;
    } catch (...) {
        // Left open, the session would make the next import's connect fail.
        disconnectQuietly(m_client);
        throw;
    }

    bool truncated = false;
    const std::vector<std::string> lines = splitLines(readFile(local, truncated));
    std::array<std::string, ConnectionLines> values;
    for (int i = 0; i < ConnectionLines; ++i) {
        const std::string where = "La línea " + std::to_string(i + 1) + " del archivo " + ConnectionFileName +
                                  " de " + folder;
        if (static_cast<std::size_t>(i) >= lines.size() && truncated)
            throw ConnectionFileError(where + " es demasiado larga");
        if (static_cast<std::size_t>(i) >= lines.size())
            throw ConnectionFileError(where + " no existe");
        try {
            values[static_cast<std::size_t>(i)] =
                Desencriptar(platform::windows1252ToUtf8(lines[static_cast<std::size_t>(i)]),
                             m_optionsPage.FactorEncriptacion);
        } catch (const DescrambleError& e) {
            throw ConnectionFileError(where + " no es válida: " + e.what());
        }
    }
    server.Host = values[0];
    server.User = values[1];
    server.Pass = values[2];
    server.Remoto = values[3];

    std::error_code ignored;
    std::filesystem::remove(local, ignored);
}

} // namespace pordane::catalogue
