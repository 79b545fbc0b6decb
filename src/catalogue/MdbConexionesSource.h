// Reads "Dat_Conexión" from an Access (Jet) file with libmdb (mdbtools).
// libmdb runs in a child process: what it prints on a damaged file never
// reaches the terminal, and a crash or endless loop of it on a hostile file
// becomes our DatabaseError instead of ending the program.
#pragma once

#include "catalogue/ConexionesSource.h"

#include <chrono>

namespace pordane::catalogue {

class MdbConexionesSource : public ConexionesSource {
public:
    // The longest wait for the reading process's next output.
    static constexpr std::chrono::milliseconds ReadLimit{30000};

    std::vector<ConexionRow> readConexiones(const std::filesystem::path& database) override;
};

} // namespace pordane::catalogue
