#include "catalogue/ConnectionSource.h"

namespace pordane::catalogue {

std::string cadenaConexion(const std::string& CarpetaDatos)
{
    return std::string("Provider=") + ProveedorOleDb + ";Data Source=" + CarpetaDatos + "\\" + NombreBaseDatos +
           ";Persist Security Info=False;";
}

std::vector<ConexionRow> ConnectionSource::readConexiones(const std::filesystem::path& database)
{
    const std::unique_ptr<CursorConexiones> tabla = abrirConexiones(database);
    std::vector<ConexionRow> rows;
    while (tabla->siguiente()) {
        ConexionRow row;
        row.NombreConexion = tabla->texto(CampoNombre);
        row.ftpRemoteAdress = tabla->texto(CampoHost);
        row.ftpUserName = tabla->texto(CampoUser);
        row.ftpPassword = tabla->texto(CampoPass);
        row.ftpRemoteDirectory = tabla->texto(CampoRemoto);
        row.CodigoOperadorConexion = tabla->entero(CampoCodigo);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace pordane::catalogue
