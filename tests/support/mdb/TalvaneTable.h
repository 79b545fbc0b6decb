// The Talvane portal-connections table ("Dat_Conexión") as the tests write
// and read it back, and running a command line.
#pragma once

#include "support/files/TempDir.h"
#include "support/mdb/JetWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pordane::testsupport {

struct CommandResult {
    int exitCode = -1;
    std::string output; // standard output only
};

// Runs a shell command line; arguments must already be quoted (see shellQuote).
CommandResult run(const std::string& commandLine);
std::string shellQuote(const std::string& text);

// One row of "Dat_Conexión" as written; nullopt is NULL.
struct Row {
    std::optional<std::string> name, host, user, pass, remoto;
    std::optional<std::int32_t> code;
};

// 30 rows: accented names and values, NULLs and empty texts in every text
// column, NULL, zero and negative codes, and values long enough (some outside
// Latin-1, so stored as UCS-2) that the rows fill several data pages.
std::vector<Row> sampleRows();

std::vector<pordane::testsupport::JetColumn> connectionColumns();
pordane::testsupport::JetTable connectionTable(const std::vector<Row>& rows);

} // namespace pordane::testsupport
