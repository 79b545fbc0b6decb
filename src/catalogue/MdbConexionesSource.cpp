#include "catalogue/MdbConexionesSource.h"

// mdbtools.h includes glib inside extern "C"; glib must come first for C++.
#include <glib.h>
#include <mdbtools.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

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

std::vector<ConexionRow> readTable(const std::string& name)
{
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

// The rows travel from the reading process as length-prefixed fields.
void putText(std::string& out, const std::string& text)
{
    const auto size = static_cast<std::uint32_t>(text.size());
    out.append(reinterpret_cast<const char*>(&size), sizeof size);
    out += text;
}

bool takeText(std::string_view& in, std::string& text)
{
    std::uint32_t size = 0;
    if (in.size() < sizeof size)
        return false;
    std::memcpy(&size, in.data(), sizeof size);
    in.remove_prefix(sizeof size);
    if (in.size() < size)
        return false;
    text.assign(in.substr(0, size));
    in.remove_prefix(size);
    return true;
}

std::string encodeRows(const std::vector<ConexionRow>& rows)
{
    std::string out = "R";
    for (const auto& r : rows) {
        for (const std::string* field : {&r.NombreConexion, &r.ftpRemoteAdress, &r.ftpUserName, &r.ftpPassword,
                                         &r.ftpRemoteDirectory})
            putText(out, *field);
        putText(out, std::to_string(r.CodigoOperadorConexion));
    }
    return out;
}

std::optional<std::vector<ConexionRow>> decodeRows(std::string_view in)
{
    std::vector<ConexionRow> rows;
    while (!in.empty()) {
        ConexionRow r;
        std::string code;
        for (std::string* field : {&r.NombreConexion, &r.ftpRemoteAdress, &r.ftpUserName, &r.ftpPassword,
                                   &r.ftpRemoteDirectory, &code})
            if (!takeText(in, *field))
                return std::nullopt;
        r.CodigoOperadorConexion = std::atoi(code.c_str());
        rows.push_back(std::move(r));
    }
    return rows;
}

void writeAll(int fd, const std::string& data)
{
    for (std::size_t done = 0; done < data.size();) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

// The child's side: libmdb reads with its standard output and error on
// /dev/null (it prints "offset ... is beyond EOF" and similar on damaged
// files; the user gets our message instead), and a crash inside it on a
// hostile file ends only the child.
[[noreturn]] void readInChild(const std::string& name, int out)
{
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
    }
    std::string reply;
    try {
        reply = encodeRows(readTable(name));
    } catch (const DatabaseError& e) {
        reply = std::string("E") + e.what();
    } catch (...) {
        reply = "X";
    }
    writeAll(out, reply);
    ::_exit(0);
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

    const std::string invalid = "La base de datos " + quoted(name) + " no es una base de datos de Access válida";
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw DatabaseError("No se puede abrir la base de datos " + quoted(name));
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        readInChild(name, fds[1]);
    }
    ::close(fds[1]);
    if (child < 0) {
        ::close(fds[0]);
        throw DatabaseError("No se puede abrir la base de datos " + quoted(name));
    }

    // A company database is a few megabytes; a reader stuck on a damaged one
    // is ended after a bounded wait.
    std::string reply;
    bool stuck = false;
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(ReadLimit.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            stuck = true;
            break;
        }
        char buffer[16384];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    if (stuck)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    if (!reply.empty() && reply[0] == 'E')
        throw DatabaseError(reply.substr(1));
    if (!reply.empty() && reply[0] == 'R')
        if (auto rows = decodeRows(std::string_view(reply).substr(1)))
            return std::move(*rows);
    throw DatabaseError(invalid);
}

} // namespace pordane::catalogue
