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
std::int32_t codeFrom(const char* campo, const char* text, std::size_t row)
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
        throw DatabaseError("El campo " + quoted(campo) + " de la fila " + std::to_string(row) +
                            " de la tabla " + quoted(TablaConexiones) + " no es un número entero: " +
                            quoted(std::string(value)));
    return code;
}

// The fields are bound by name when the table opens (the column order is not
// relied on); one the table lacks stays unbound and fails when it is read.
class MdbTabla final : public CursorConexiones {
public:
    MdbTabla(std::unique_ptr<MdbHandle, CloseMdb> mdb, std::unique_ptr<MdbTableDef, FreeTable> table)
        : m_mdb(std::move(mdb)), m_table(std::move(table))
    {
        for (std::size_t i = 0; i < Campos.size(); ++i) {
            m_values[i] = std::make_unique<char[]>(BindSize);
            std::string field = Campos[i];
            m_bound[i] = mdb_bind_column_by_name(m_table.get(), field.data(), m_values[i].get(), nullptr) != -1;
        }
        mdb_rewind_table(m_table.get());
    }

    bool siguiente() override
    {
        if (!mdb_fetch_row(m_table.get()))
            return false;
        ++m_row;
        return true;
    }

    std::string texto(const char* campo) override { return valor(campo); }

    std::int32_t entero(const char* campo) override { return codeFrom(campo, valor(campo), m_row); }

private:
    static constexpr std::array<const char*, 6> Campos{CampoNombre, CampoHost, CampoUser,
                                                        CampoPass,   CampoRemoto, CampoCodigo};

    const char* valor(const char* campo) const
    {
        for (std::size_t i = 0; i < Campos.size(); ++i)
            if (std::strcmp(Campos[i], campo) == 0 && m_bound[i])
                return m_values[i].get();
        throw DatabaseError("No se encuentra el campo " + quoted(campo) + " en la tabla " +
                            quoted(TablaConexiones));
    }

    std::unique_ptr<MdbHandle, CloseMdb> m_mdb;
    std::unique_ptr<MdbTableDef, FreeTable> m_table;
    std::array<std::unique_ptr<char[]>, Campos.size()> m_values;
    std::array<bool, Campos.size()> m_bound{};
    std::size_t m_row = 0;
};

} // namespace

std::unique_ptr<CursorConexiones> MdbConexionesSource::abrirConexiones(const std::filesystem::path& database)
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
    return std::make_unique<MdbTabla>(std::move(mdb), std::move(table));
}

} // namespace pordane::catalogue
