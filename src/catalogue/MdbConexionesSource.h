// Reads "Dat_Conexión" from an Access (Jet) file with libmdb (mdbtools).
#pragma once

#include "catalogue/ConexionesSource.h"

namespace pordane::catalogue {

class MdbConexionesSource : public ConexionesSource {
public:
    std::unique_ptr<CursorConexiones> abrirConexiones(const std::filesystem::path& database) override;
};

} // namespace pordane::catalogue
