#include "support/import/ImportWorld.h"

#include "pordane/BuildConfig.h"
#include "support/mdb/Encrypt.h"

#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;
using namespace pordane::testsupport;

namespace pordane::testsupport {

MakerServer::MakerServer()
    : m_server(FtpServerKind::Pyftpdlib, MakerAddress,
               {{pordane::config::PortalUser, pordane::config::PortalPassword, "elr"}})
{
}

void MakerServer::putConnectionFile(const std::string& code, const std::string& bytes)
{
    const fs::path folder = fs::path(m_server.homeOf(pordane::config::PortalUser)) / ("Estruc" + code);
    fs::create_directories(folder);
    std::ofstream(folder / "1000.ini", std::ios::binary) << bytes;
}

std::string MakerServer::connectionFile(const PortalConnection& c, bool crlf, const std::vector<std::string>& extra)
{
    const int factor = pordane::config::FactorEncriptacion;
    const std::string eol = crlf ? "\r\n" : "\n";
    // The frames carry text around the value, as the maker's files do.
    std::string out = encryptValue(c.host, factor, "H", "fin") + eol + encryptValue(c.user, factor, "U") + eol
                      + encryptValue(c.pass, factor, "P", "x") + eol + encryptValue(c.remoto, factor, "R") + eol;
    for (const std::string& line : extra)
        out += line + eol;
    return out;
}

std::vector<std::string> MakerServer::commandsSince(std::size_t count) const
{
    const std::vector<std::string> all = m_server.commands();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(count, all.size())), all.end()};
}

Talvane::Talvane()
{
    m_prefix.addDrive('d');
}

void Talvane::installWithoutDatabase(const std::vector<std::pair<std::string, std::string>>& config)
{
    m_prefix.setRegString("Software\\Corvalix\\Tessaly Soft Run Time 2.0", "InstallDir", InstallDir + "\\");
    m_prefix.writeConfigFile(InstallDir + "\\Sistema\\Corvalix.config", config);
}

void Talvane::writeDatabase(const std::vector<JetColumn>& cols, const std::vector<std::vector<JetCell>>& rows)
{
    JetTable table("Dat_Conexión", cols);
    for (const auto& row : rows)
        table.addRow(row);
    const fs::path folder = m_prefix.makeDirectory(CarpetaDatos);
    writeJet4(folder / "VTES_DAT.MDB", table);
}

void Talvane::install(const std::vector<Row>& portals)
{
    installWithoutDatabase({{"EMPRESA", "01"}, {"RUTA", DataPath}});
    std::vector<std::vector<JetCell>> rows;
    for (const Row& f : portals)
        rows.push_back({f.name, f.host, f.user, f.pass, f.remoto, f.code});
    writeDatabase(connectionColumns(), rows);
}

} // namespace pordane::testsupport
