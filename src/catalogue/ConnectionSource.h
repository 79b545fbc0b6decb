// The portal connections kept in a Talvane company database, read through a
// small interface: libmdb on Linux, ADO with the OLE DB provider on Windows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pordane::catalogue {

inline constexpr const char* DatabaseName = "VTES_DAT.MDB";
inline constexpr const char* ConnectionsTable = "Dat_Conexión";
inline constexpr const char* OleDbProvider = "Microsoft.ACE.OLEDB.12.0";

// The identity of the database as Talvane's own tools open it: the OLE DB
// connection string for the company folder (a Windows path).
std::string connectionString(const std::string& CarpetaDatos);
// The same for the database file itself, as its Data Source.
std::string connectionStringForFile(const std::string& database);

// The fields of "Dat_Conexión" that the import reads.
inline constexpr const char* NameField = "NombreConexión";
inline constexpr const char* HostField = "ftpRemoteAdress";
inline constexpr const char* UserField = "ftpUserName";
inline constexpr const char* PassField = "ftpPassword";
inline constexpr const char* RemoteField = "ftpRemoteDirectory";
inline constexpr const char* CodeField = "CódigoOperadorConexión";

// One row of "Dat_Conexión"; empty or NULL texts read as "", an empty or NULL
// code as 0.
struct ConnectionRow {
    std::string NombreConexion;      // "NombreConexión"
    std::string ftpRemoteAdress;
    std::string ftpUserName;
    std::string ftpPassword;
    std::string ftpRemoteDirectory;
    std::int32_t CodigoOperadorConexion = 0;  // "CódigoOperadorConexión"
};

// A database that cannot be read; what() is a Spanish text for the user.
class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The texts both readers give for the same fault, so the user reads the same
// message whichever system the program runs on.
std::string quoted(const std::string& text);
DatabaseError missingFieldError(const char* field);
// A code field's text form as a 32-bit whole number (blanks around it
// allowed; empty reads as 0); `row` counts from 1, for the message.
std::int32_t wholeNumber(const char* field, std::string_view text, std::size_t row);

// The open table "Dat_Conexión", read row by row and field by field as a
// recordset is: a field the table lacks fails only when it is read.
class ConnectionCursor {
public:
    virtual ~ConnectionCursor() = default;
    // Moves to the next row (the first one on the first call); false past the last.
    virtual bool next() = 0;
    // A text field of the current row; empty or NULL reads as "". Throws
    // DatabaseError naming a field the table does not have.
    virtual std::string text(const char* field) = 0;
    // A whole-number field; empty or NULL reads as 0. Throws DatabaseError for
    // a missing field or a value that is not a 32-bit whole number.
    virtual std::int32_t integer(const char* field) = 0;
};

class ConnectionSource {
public:
    virtual ~ConnectionSource() = default;

    // Opens the database and its table "Dat_Conexión". Throws DatabaseError
    // naming the missing or unreadable file or table.
    virtual std::unique_ptr<ConnectionCursor> openConnections(const std::filesystem::path& database) = 0;

    // The whole table in the table's own order, every field of every row.
    std::vector<ConnectionRow> readConnections(const std::filesystem::path& database);
};

// The build's reader: libmdb on Linux, ADO on Windows (chosen by CMake).
std::shared_ptr<ConnectionSource> makeConnectionSource();

} // namespace pordane::catalogue
