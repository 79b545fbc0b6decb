// A minimal Jet 4 (.mdb) writer for test fixtures: user tables of TEXT and
// LONG columns, with NULLs, laid out so that libmdb and the mdbtools CLI read
// them. It writes whole files from scratch; it cannot update a database.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pordane::testsupport {

enum class JetType { Text, Long };

struct JetColumn {
    std::string name;  // UTF-8
    JetType type = JetType::Text;
    int textChars = 255;  // TEXT only: the declared size, 1..255 characters
};

// One cell: NULL, a UTF-8 text or a 32-bit integer, matching its column.
using JetValue = std::variant<std::monostate, std::string, std::int32_t>;

class JetCell {
public:
    JetCell() = default;
    JetCell(std::nullopt_t) {}
    JetCell(const char* text) : m_value(std::string(text)) {}
    JetCell(std::string text) : m_value(std::move(text)) {}
    JetCell(std::int32_t number) : m_value(number) {}
    JetCell(std::optional<std::string> text)
    {
        if (text)
            m_value = std::move(*text);
    }
    JetCell(std::optional<std::int32_t> number)
    {
        if (number)
            m_value = *number;
    }
    const JetValue& value() const { return m_value; }

private:
    JetValue m_value;
};

class JetTable {
public:
    JetTable(std::string name, std::vector<JetColumn> columns);

    // Throws std::invalid_argument when the row does not fit the columns.
    void addRow(std::vector<JetCell> row);

    const std::string& name() const { return m_name; }
    const std::vector<JetColumn>& columns() const { return m_columns; }
    const std::vector<std::vector<JetCell>>& rows() const { return m_rows; }

private:
    std::string m_name;
    std::vector<JetColumn> m_columns;
    std::vector<std::vector<JetCell>> m_rows;
};

// Writes a complete database holding the given user tables (in catalog
// order). Throws std::invalid_argument for values the format cannot hold and
// std::runtime_error when the file cannot be written.
void writeJet4(const std::filesystem::path& path, const std::vector<JetTable>& tables);
inline void writeJet4(const std::filesystem::path& path, const JetTable& table)
{
    writeJet4(path, std::vector<JetTable>{table});
}

// UTF-8 <-> UTF-16 helpers shared by the fixture code (invalid UTF-8 throws).
std::u16string utf8ToUtf16(const std::string& text);

} // namespace pordane::testsupport
