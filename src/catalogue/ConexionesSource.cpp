#include "catalogue/ConexionesSource.h"

namespace pordane::catalogue {

std::string cadenaConexion(const std::string& CarpetaDatos)
{
    return std::string("Provider=") + ProveedorOleDb + ";Data Source=" + CarpetaDatos + "\\" + NombreBaseDatos +
           ";Persist Security Info=False;";
}

} // namespace pordane::catalogue
