#include "catalogue/MdbConnectionSource.h"

#include "platform/ChildStream.h"

// mdbtools.h includes glib inside extern "C"; glib must come first for C++.
#include <glib.h>
#include <mdbtools.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>

namespace pordane::catalogue {

namespace {

// Every bound buffer must hold libmdb's bind size; texts here are short.
constexpr std::size_t BindSize = 16384;
// The longest error message the reading process sends.
constexpr std::size_t MaxMessage = 4096;

struct CloseMdb {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct FreeTable {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

// libmdb picks its output charset from MDBICONV when a file is opened; a
// user's setting must not turn the names into another encoding. Set in the
// reading process only: the program's own environment stays as it was.
void useUtf8Output()
{
    const char* current = std::getenv("MDBICONV");
    if (current == nullptr || std::strcmp(current, "UTF-8") != 0)
        setenv("MDBICONV", "UTF-8", 1);
}

constexpr std::array<const char*, 6> Fields{NameField, HostField, UserField, PassField, RemoteField, CodeField};

// What the reading process sends: 'E' and a message when the table cannot
// be opened; else 'C' and one byte per field (1: the table has it), then per
// row 'R' and each present field as a 32-bit length and its bytes, then 'F'
// after the last row. A stream that ends without 'F' lost the child.
constexpr char TagError = 'E', TagOpened = 'C', TagRow = 'R', TagEnd = 'F';

using platform::ChildStream;

void putText(std::string& out, const char* text, std::size_t size)
{
    const auto length = static_cast<std::uint32_t>(size);
    out.append(reinterpret_cast<const char*>(&length), sizeof length);
    out.append(text, size);
}

bool sendFailure(int fd, const std::string& message)
{
    std::string out(1, TagError);
    putText(out, message.data(), message.size());
    return ChildStream::writeAll(fd, out.data(), out.size());
}

// The child's side: libmdb opens the table and reads it row by row; the pipe
// holds only so much, so the child reads ahead of the cursor by a few rows
// at most. No exceptions are thrown here (see ChildStream on the fork).
void readTable(const std::string& name, int fd)
{
    useUtf8Output();
    std::unique_ptr<MdbHandle, CloseMdb> mdb(mdb_open(name.c_str(), MDB_NOFLAGS));
    if (!mdb) {
        sendFailure(fd, "No se puede abrir la base de datos " + quoted(name));
        return;
    }
    mdb_set_bind_size(mdb.get(), BindSize);
    if (mdb_read_catalog(mdb.get(), MDB_ANY) == nullptr) {
        sendFailure(fd, "La base de datos " + quoted(name) + " no es una base de datos de Access válida");
        return;
    }
    std::string tableName = ConnectionsTable;
    std::unique_ptr<MdbTableDef, FreeTable> table(mdb_read_table_by_name(mdb.get(), tableName.data(), MDB_TABLE));
    if (!table) {
        sendFailure(fd, "No se encuentra la tabla " + quoted(ConnectionsTable) + " en la base de datos " + quoted(name));
        return;
    }
    if (mdb_read_columns(table.get()) == nullptr) {
        sendFailure(fd, "No se pueden leer los campos de la tabla " + quoted(ConnectionsTable));
        return;
    }

    // The fields are bound by name (the column order is not relied on).
    std::array<std::unique_ptr<char[]>, Fields.size()> values;
    std::array<char, Fields.size()> bound{};
    for (std::size_t i = 0; i < Fields.size(); ++i) {
        values[i] = std::make_unique<char[]>(BindSize);
        std::string field = Fields[i];
        bound[i] = mdb_bind_column_by_name(table.get(), field.data(), values[i].get(), nullptr) != -1;
    }
    if (!ChildStream::writeAll(fd, &TagOpened, 1) || !ChildStream::writeAll(fd, bound.data(), bound.size()))
        return;
    mdb_rewind_table(table.get());
    // One write per row: the stream costs little beside libmdb's own work.
    std::string row;
    while (mdb_fetch_row(table.get())) {
        row.assign(1, TagRow);
        for (std::size_t i = 0; i < Fields.size(); ++i)
            if (bound[i])
                putText(row, values[i].get(), strnlen(values[i].get(), BindSize));
        if (!ChildStream::writeAll(fd, row.data(), row.size()))
            return;
    }
    ChildStream::writeAll(fd, &TagEnd, 1);
}

// The parent's side: one row per step, read from the child's stream.
class MdbTableCursor final : public ConnectionCursor {
public:
    MdbTableCursor(const std::string& name, std::chrono::milliseconds wait)
        : m_name(name), m_wait(wait), m_child([&name](int fd) { readTable(name, fd); })
    {
        char tag = 0;
        if (!receive(&tag, 1))
            throw DatabaseError("No se puede abrir la base de datos " + quoted(m_name));
        if (tag == TagError)
            throw DatabaseError(receiveText(MaxMessage, "No se puede abrir la base de datos " + quoted(m_name)));
        if (tag != TagOpened || !receive(m_bound.data(), m_bound.size()))
            throw DatabaseError("No se puede abrir la base de datos " + quoted(m_name));
    }

    bool next() override
    {
        if (m_end)
            return false;
        char tag = 0;
        if (receive(&tag, 1) && tag == TagEnd) {
            m_end = true;
            m_child.close();
            return false;
        }
        if (tag != TagRow)
            throw lost();
        for (std::size_t i = 0; i < Fields.size(); ++i)
            if (m_bound[i])
                m_values[i] = receiveText(BindSize, {});
        ++m_row;
        return true;
    }

    std::string text(const char* field) override { return value(field); }

    // libmdb hands LONG values over as decimal text; NULL and empty come as "".
    std::int32_t integer(const char* field) override { return wholeNumber(field, value(field), m_row); }

private:
    bool receive(void* data, std::size_t size)
    {
        return m_child.read(data, size, m_wait) == ChildStream::Read::Done;
    }

    // A length-prefixed text of at most `limit` bytes.
    std::string receiveText(std::size_t limit, const std::string& otherwise)
    {
        std::uint32_t size = 0;
        std::string text;
        if (receive(&size, sizeof size) && size <= limit) {
            text.resize(size);
            if (receive(text.data(), size))
                return text;
        }
        if (!otherwise.empty())
            throw DatabaseError(otherwise);
        throw lost();
    }

    // The child died, stopped answering or sent what it never sends.
    DatabaseError lost() const
    {
        return DatabaseError("No se puede leer la tabla " + quoted(ConnectionsTable) + " de la base de datos " +
                             quoted(m_name) + (m_row ? " después de la fila " + std::to_string(m_row) : ""));
    }

    const std::string& value(const char* field) const
    {
        for (std::size_t i = 0; i < Fields.size(); ++i)
            if (std::strcmp(Fields[i], field) == 0 && m_bound[i])
                return m_values[i];
        throw missingFieldError(field);
    }

    const std::string m_name;
    std::chrono::milliseconds m_wait;
    ChildStream m_child;
    std::array<char, Fields.size()> m_bound{};
    std::array<std::string, Fields.size()> m_values;
    std::size_t m_row = 0;
    bool m_end = false;
};

} // namespace

std::shared_ptr<ConnectionSource> makeConnectionSource()
{
    return std::make_shared<MdbConnectionSource>();
}

MdbConnectionSource::MdbConnectionSource(std::chrono::milliseconds wait) : m_wait(wait) {}

std::unique_ptr<ConnectionCursor> MdbConnectionSource::openConnections(const std::filesystem::path& database)
{
    const std::string name = database.string();
    std::error_code ec;
    if (!std::filesystem::exists(database, ec))
        throw DatabaseError("No se encuentra la base de datos " + quoted(name));
    if (!std::filesystem::is_regular_file(database, ec))
        throw DatabaseError("No se puede abrir la base de datos " + quoted(name));
    try {
        return std::make_unique<MdbTableCursor>(name, m_wait);
    } catch (const std::system_error&) {
        throw DatabaseError("No se puede abrir la base de datos " + quoted(name));
    }
}

} // namespace pordane::catalogue
