// Reads "Dat_Conexión" from an Access (Jet) file with libmdb (mdbtools).
// libmdb runs in a child process that streams the rows to the cursor: what
// it prints on a damaged file never reaches the terminal, and a crash or
// endless loop of it on a hostile file becomes our DatabaseError.
#pragma once

#include "catalogue/ConnectionSource.h"

#include <chrono>

namespace pordane::catalogue {

class MdbConnectionSource : public ConnectionSource {
public:
    // The longest silence of the reading process before it counts as stuck:
    // libmdb reads a page or two per row, and even a large database on a slow
    // share gives the catalogue or the next row in well under a second.
    static constexpr std::chrono::milliseconds MaxWait{30000};

    explicit MdbConnectionSource(std::chrono::milliseconds wait = MaxWait);

    // Destroying the cursor ends its reading process.
    std::unique_ptr<ConnectionCursor> openConnections(const std::filesystem::path& database) override;

private:
    std::chrono::milliseconds m_wait;
};

} // namespace pordane::catalogue
