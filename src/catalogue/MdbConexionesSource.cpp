#include "catalogue/MdbConexionesSource.h"

// mdbtools.h includes glib inside extern "C"; glib must come first for C++.
#include <glib.h>
#include <mdbtools.h>

#include <array>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace pordane::catalogue {

namespace {

constexpr const char* CampoNombre = "NombreConexión";
constexpr const char* CampoHost = "ftpRemoteAdress";
constexpr const char* CampoUser = "ftpUserName";
constexpr const char* CampoPass = "ftpPassword";
constexpr const char* CampoRemoto = "ftpRemoteDirectory";
constexpr const char* CampoCodigo = "CódigoOperadorConexión";

// Every bound buffer must hold libmdb's bind size; texts here are short.
constexpr std::size_t BindSize = 16384;

struct CloseMdb {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct FreeTable {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// libmdb picks its output charset from MDBICONV when a file is opened; a
// user's setting must not turn the names into another encoding.
void useUtf8Output()
{
    const char* current = std::getenv("MDBICONV");
    if (current == nullptr || std::strcmp(current, "UTF-8") != 0)
        setenv("MDBICONV", "UTF-8", 1);
}

// libmdb hands LONG values over as decimal text; NULL and empty come as "".
std::int32_t codeFrom(const char* text, std::size_t row)
{
    std::string_view value(text);
    while (!value.empty() && value.front() == ' ')
        value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ')
        value.remove_suffix(1);
    if (value.empty())
        return 0;
    std::int32_t code = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), code);
    if (ec != std::errc() || end != value.data() + value.size())
        throw DatabaseError("El campo " + quoted(CampoCodigo) + " de la fila " + std::to_string(row) +
                            " de la tabla " + quoted(TablaConexiones) + " no es un número entero: " +
                            quoted(std::string(value)));
    return code;
}

} // namespace

std::vector<ConexionRow> MdbConexionesSource::readConexiones(const std::filesystem::path& database)
{
    const std::string name = database.string();
    std::error_code ec;
    if (!std::filesystem::exists(database, ec))
        throw DatabaseError("No se encuentra la base de datos " + quoted(name));
    if (!std::filesystem::is_regular_file(database, ec))
        throw DatabaseError("No se puede abrir la base de datos " + quoted(name));

    useUtf8Output();
    std::unique_ptr<MdbHandle, CloseMdb> mdb(mdb_open(name.c_str(), MDB_NOFLAGS));
    if (!mdb)
        throw DatabaseError("No se puede abrir la base de datos " + quoted(name));
    mdb_set_bind_size(mdb.get(), BindSize);

    if (mdb_read_catalog(mdb.get(), MDB_ANY) == nullptr)
        throw DatabaseError("La base de datos " + quoted(name) + " no es una base de datos de Access válida");

    std::string tableName = TablaConexiones;
    std::unique_ptr<MdbTableDef, FreeTable> table(
        mdb_read_table_by_name(mdb.get(), tableName.data(), MDB_TABLE));
    if (!table)
        throw DatabaseError("No se encuentra la tabla " + quoted(TablaConexiones) + " en la base de datos " +
                            quoted(name));
    if (mdb_read_columns(table.get()) == nullptr)
        throw DatabaseError("No se pueden leer los campos de la tabla " + quoted(TablaConexiones));

    // Fields are bound by name: the table's column order is not relied on.
    const std::array<const char*, 6> fields{CampoNombre, CampoHost, CampoUser, CampoPass, CampoRemoto, CampoCodigo};
    std::array<std::unique_ptr<char[]>, 6> values;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        values[i] = std::make_unique<char[]>(BindSize);
        std::string field = fields[i];
        if (mdb_bind_column_by_name(table.get(), field.data(), values[i].get(), nullptr) == -1)
            throw DatabaseError("No se encuentra el campo " + quoted(fields[i]) + " en la tabla " +
                                quoted(TablaConexiones));
    }

    std::vector<ConexionRow> rows;
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        ConexionRow row;
        row.NombreConexion = values[0].get();
        row.ftpRemoteAdress = values[1].get();
        row.ftpUserName = values[2].get();
        row.ftpPassword = values[3].get();
        row.ftpRemoteDirectory = values[4].get();
        row.CodigoOperadorConexion = codeFrom(values[5].get(), rows.size() + 1);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace pordane::catalogue
