// The portal connections kept in a Talvane company database, read through a
// small interface: libmdb here, ADO with the OLE DB provider on Windows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace pordane::catalogue {

inline constexpr const char* NombreBaseDatos = "VTES_DAT.MDB";
inline constexpr const char* TablaConexiones = "Dat_Conexión";
inline constexpr const char* ProveedorOleDb = "Microsoft.ACE.OLEDB.12.0";

// The identity of the database as Talvane's own tools open it: the OLE DB
// connection string for the company folder (a Windows path).
std::string cadenaConexion(const std::string& CarpetaDatos);

// One row of "Dat_Conexión"; empty or NULL texts read as "", an empty or NULL
// code as 0.
struct ConexionRow {
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

class ConexionesSource {
public:
    virtual ~ConexionesSource() = default;

    // The whole table "Dat_Conexión" in the table's own order. Throws
    // DatabaseError naming the missing file, table or field.
    virtual std::vector<ConexionRow> readConexiones(const std::filesystem::path& database) = 0;
};

} // namespace pordane::catalogue
