#include "catalogue/ConnectionSource.h"

namespace pordane::catalogue {

std::string connectionString(const std::string& CarpetaDatos)
{
    return std::string("Provider=") + OleDbProvider + ";Data Source=" + CarpetaDatos + "\\" + DatabaseName +
           ";Persist Security Info=False;";
}

std::vector<ConnectionRow> ConnectionSource::readConnections(const std::filesystem::path& database)
{
    const std::unique_ptr<ConnectionCursor> table = openConnections(database);
    std::vector<ConnectionRow> rows;
    while (table->next()) {
        ConnectionRow row;
        row.NombreConexion = table->text(NameField);
        row.ftpRemoteAdress = table->text(HostField);
        row.ftpUserName = table->text(UserField);
        row.ftpPassword = table->text(PassField);
        row.ftpRemoteDirectory = table->text(RemoteField);
        row.CodigoOperadorConexion = table->integer(CodeField);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace pordane::catalogue
