#include "catalogue/ConnectionSource.h"

#include <charconv>

namespace pordane::catalogue {

std::string connectionString(const std::string& CarpetaDatos)
{
    return connectionStringForFile(CarpetaDatos + "\\" + DatabaseName);
}

std::string connectionStringForFile(const std::string& database)
{
    return std::string("Provider=") + OleDbProvider + ";Data Source=" + database + ";Persist Security Info=False;";
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

DatabaseError missingFieldError(const char* field)
{
    return DatabaseError("No se encuentra el campo " + quoted(field) + " en la tabla " + quoted(ConnectionsTable));
}

std::int32_t wholeNumber(const char* field, std::string_view text, std::size_t row)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return 0;
    std::int32_t code = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (ec != std::errc() || end != text.data() + text.size())
        throw DatabaseError("El campo " + quoted(field) + " de la fila " + std::to_string(row) + " de la tabla "
                            + quoted(ConnectionsTable) + " no es un número entero: " + quoted(std::string(text)));
    return code;
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
