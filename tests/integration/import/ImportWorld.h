// The world an import runs in, for the import tests: a Wine prefix holding a
// Talvane installation and its VTES_DAT.MDB, the maker's main FTP server
// (pyftpdlib on 127.0.4.1:21) with the portal account and its Estruc folders,
// the window's FTP client, and recording stand-ins for the window.
#pragma once

#include "JetWriter.h"
#include "catalogue/PortalImport.h"
#include "ftpservers/LocalFtpServer.h"
#include "prefix/WinePrefixFixture.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace importtest {

inline constexpr const char* MakerAddress = "127.0.4.1";
inline const std::string InstallDir = "C:\\Corvalix";
inline const std::string DataPath = "D:\\Datos Compañía";
inline const std::string CarpetaDatos = DataPath + "\\Empresas\\Empre01";

class RecordingDialogs : public pordane::views::Dialogs {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string&) override { return false; }
    std::vector<std::string> messages;
};

class RecordingView : public pordane::views::LinksView {
public:
    void setLabelNumEnlaces(const std::string& text) override { labels.push_back(text); }
    void rebuildCheckList(const std::vector<std::string>& names) override { lists.push_back(names); }
    std::vector<std::string> labels;
    std::vector<std::vector<std::string>> lists;
};

// One row of "Dat_Conexión" as written; nullopt is NULL.
struct Row {
    std::optional<std::string> name, host, user, pass, remoto;
    std::optional<std::int32_t> code;
};

// The plain values a connection file holds.
struct PortalConnection {
    std::string host, user, pass, remoto;
};

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The maker's server, shared by the tests of one binary (started once).
class MakerServer {
public:
    MakerServer();
    pordane::testsupport::LocalFtpServer& server() { return m_server; }
    // Writes Estruc<code>/1000.ini with these exact bytes.
    void putConnectionFile(const std::string& code, const std::string& bytes);
    // The scrambled file of four framed lines (CR LF, or LF), plus `extra` lines.
    static std::string connectionFile(const PortalConnection& c, bool crlf = true,
                                      const std::vector<std::string>& extra = {});
    // Commands received since the given count of commands().
    std::vector<std::string> commandsSince(std::size_t count) const;
    std::size_t commandCount() const { return m_server.commands().size(); }

private:
    pordane::testsupport::LocalFtpServer m_server;
};

// A Talvane installation in a fresh prefix, with the table's rows.
class Talvane {
public:
    Talvane();
    pordane::testsupport::WinePrefixFixture& prefix() { return m_prefix; }
    // Registry key, configuration file with RUTA, and the database.
    void install(const std::vector<Row>& portals);
    // Only the registry key and configuration file (these entries).
    void installWithoutDatabase(const std::vector<std::pair<std::string, std::string>>& config);
    void writeDatabase(const std::vector<pordane::testsupport::JetColumn>& columns,
                       const std::vector<std::vector<pordane::testsupport::JetCell>>& rows);
    static std::vector<pordane::testsupport::JetColumn> columns();

private:
    pordane::testsupport::WinePrefixFixture m_prefix;
};

} // namespace importtest
