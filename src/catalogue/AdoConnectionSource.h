// Reads "Dat_Conexión" on Windows through ADO (msado15) and the OLE DB
// provider of the Access database engine that Talvane installs, with the
// connection string Talvane's own tools use. Built for Windows only.
#pragma once

#include "catalogue/ConnectionSource.h"

#include <string>

namespace pordane::catalogue {

class AdoConnectionSource : public ConnectionSource {
public:
    // progId: ADO's connection class; another name only shows how a system
    // without ADO fails.
    explicit AdoConnectionSource(std::string progId = "ADODB.Connection");

    // The cursor keeps COM initialised on the calling thread until it is
    // destroyed, and must be used and destroyed on that thread.
    std::unique_ptr<ConnectionCursor> openConnections(const std::filesystem::path& database) override;

private:
    std::string m_progId;
};

} // namespace pordane::catalogue
