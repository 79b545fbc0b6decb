// Shared pieces of the .mdb tests: a temporary folder, running a command,
// and the portal-connections table the tests write and read back.
#pragma once

#include "JetWriter.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mdbtest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

struct CommandResult {
    int exitCode = -1;
    std::string output;  // standard output only
};

// Runs a shell command line; arguments must already be quoted (see shellQuote).
CommandResult run(const std::string& commandLine);
std::string shellQuote(const std::string& text);

// One row of the sample table, as written.
struct SampleRow {
    std::optional<std::string> name, host, user, pass, remoto;
    std::optional<std::int32_t> code;
};

// 30 rows: accented names and values, NULLs and empty texts in every text
// column, NULL, zero and negative codes, and values long enough (some outside
// Latin-1, so stored as UCS-2) that the rows fill several data pages.
std::vector<SampleRow> sampleRows();

std::vector<pordane::testsupport::JetColumn> connectionColumns();
pordane::testsupport::JetTable connectionTable(const std::vector<SampleRow>& rows);

} // namespace mdbtest
