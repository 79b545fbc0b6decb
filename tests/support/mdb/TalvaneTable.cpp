#include "support/mdb/TalvaneTable.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>

namespace pordane::testsupport {

using pordane::testsupport::JetColumn;
using pordane::testsupport::JetTable;
using pordane::testsupport::JetType;

std::string shellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

CommandResult run(const std::string& commandLine)
{
    CommandResult result;
    FILE* pipe = popen(commandLine.c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::array<char, 4096> chunk{};
    std::size_t n = 0;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        result.output.append(chunk.data(), n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<Row> sampleRows()
{
    std::vector<Row> rows;
    // Hand-picked edge rows first.
    rows.push_back({"Idealista Ñandú", "ftp.idealista.com", "usuário", "clave$ñ", "/fotos/año", 0});
    rows.push_back({std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt});
    rows.push_back({"", "", "", "", "", 0});
    rows.push_back({"Portal €uro", "127.0.4.1", "", "pw", "", -3});
    rows.push_back({"Fotocasa", "ftp.fotocasa.es", "agencia", "", std::nullopt, 15});
    rows.push_back({"Código mínimo", std::nullopt, "x", "y", "z", -2147483647 - 1});
    rows.push_back({"Código máximo", "h", "u", "p", "r", 2147483647});
    // Bulk rows with long values, some of them needing UCS-2.
    for (int i = 7; i < 30; ++i) {
        const std::string n = std::to_string(i);
        Row row;
        row.name = "Conexión " + n + (i % 3 == 0 ? " — ÀÉÎÕÜ" : " àéîõü");
        row.host = "ftp" + n + ".portal.example";
        row.user = i % 5 == 0 ? std::optional<std::string>() : std::optional<std::string>("usuario" + n);
        row.pass = std::string(40, static_cast<char>('a' + i % 26));
        row.remoto = "/carpeta€/" + std::string(150, 'x') + n;
        row.code = i % 4 == 0 ? std::optional<std::int32_t>() : std::optional<std::int32_t>(i * (i % 2 ? -1 : 1));
        rows.push_back(row);
    }
    return rows;
}

std::vector<JetColumn> connectionColumns()
{
    return {{"NombreConexión", JetType::Text, 50}, {"ftpRemoteAdress", JetType::Text},
            {"ftpUserName", JetType::Text, 100},   {"ftpPassword", JetType::Text},
            {"ftpRemoteDirectory", JetType::Text}, {"CódigoOperadorConexión", JetType::Long}};
}

JetTable connectionTable(const std::vector<Row>& rows)
{
    JetTable table("Dat_Conexión", connectionColumns());
    for (const Row& r : rows)
        table.addRow({r.name, r.host, r.user, r.pass, r.remoto, r.code});
    return table;
}

} // namespace pordane::testsupport
