// The world an import runs in, for the import tests: a Wine prefix holding a
// Talvane installation and its VTES_DAT.MDB, the maker's main FTP server
// (pyftpdlib on 127.0.4.1:21) with the portal account and its Estruc folders,
// the window's FTP client, and recording stand-ins for the window.
#pragma once

#include "catalogue/PortalImport.h"
#include "support/ftpservers/LocalFtpServer.h"
#include "support/mdb/TalvaneTable.h"
#include "support/prefix/WinePrefixFixture.h"
#include "support/views/RecordingViews.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pordane::testsupport {

inline constexpr const char* MakerAddress = "127.0.4.1";
inline const std::string InstallDir = "C:\\Corvalix";
inline const std::string DataPath = "D:\\Datos Compañía";
inline const std::string CarpetaDatos = DataPath + "\\Empresas\\Empre01";

// The plain values a connection file holds.
struct PortalConnection {
    std::string host, user, pass, remoto;
};

// The maker's server, shared by the tests of one binary (started once).
class MakerServer {
public:
    MakerServer();
    LocalFtpServer& server() { return m_server; }
    // Writes Estruc<code>/1000.ini with these exact bytes.
    void putConnectionFile(const std::string& code, const std::string& bytes);
    // The scrambled file of four framed lines (CR LF, or LF), plus `extra` lines.
    static std::string connectionFile(const PortalConnection& c, bool crlf = true,
                                      const std::vector<std::string>& extra = {});
    // Commands received since the given count of commands().
    std::vector<std::string> commandsSince(std::size_t count) const;
    std::size_t commandCount() const { return m_server.commands().size(); }

private:
    LocalFtpServer m_server;
};

// A Talvane installation in a fresh prefix, with the table's rows.
class Talvane {
public:
    Talvane();
    WinePrefixFixture& prefix() { return m_prefix; }
    // Registry key, configuration file with RUTA, and the database.
    void install(const std::vector<Row>& rows);
    // Only the registry key and configuration file (these entries).
    void installWithoutDatabase(const std::vector<std::pair<std::string, std::string>>& config);
    void writeDatabase(const std::vector<JetColumn>& columns, const std::vector<std::vector<JetCell>>& rows);

private:
    WinePrefixFixture m_prefix;
};

} // namespace pordane::testsupport
