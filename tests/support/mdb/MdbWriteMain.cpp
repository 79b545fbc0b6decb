// mdbwrite: writes a one-table Jet 4 database from a TSV description.
//   mdbwrite OUTPUT.mdb TABLE [INPUT.tsv]      (standard input without INPUT)
// Line 1: the columns, "Name:text", "Name:text(50)" or "Name:long".
// Further lines: one row each; "\N" alone is NULL; "\t", "\n", "\\" escape.
#include "support/mdb/JetWriter.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace pordane::testsupport;

namespace {

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

std::string unescape(const std::string& field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char next = field[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
    }
    return out;
}

JetColumn parseColumn(const std::string& spec)
{
    const auto colon = spec.rfind(':');
    if (colon == std::string::npos)
        throw std::invalid_argument("column without type: " + spec);
    const std::string name = spec.substr(0, colon);
    const std::string type = spec.substr(colon + 1);
    if (type == "long")
        return {name, JetType::Long};
    if (type == "text")
        return {name, JetType::Text};
    if (type.rfind("text(", 0) == 0 && type.back() == ')') {
        int chars = 0;
        const char* first = type.data() + 5;
        const char* last = type.data() + type.size() - 1;
        if (std::from_chars(first, last, chars).ptr == last)
            return {name, JetType::Text, chars};
    }
    throw std::invalid_argument("unknown column type: " + spec);
}

JetCell parseValue(const std::string& field, const JetColumn& column)
{
    if (field == "\\N")
        return std::nullopt;
    const std::string text = unescape(field);
    if (column.type == JetType::Text)
        return text;
    std::int32_t number = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc() || ptr != text.data() + text.size())
        throw std::invalid_argument("not a 32-bit integer for " + column.name + ": " + text);
    return number;
}

int run(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: mdbwrite OUTPUT.mdb TABLE [INPUT.tsv]\n";
        return 2;
    }
    std::ifstream file;
    if (argc == 4) {
        file.open(argv[3]);
        if (!file)
            throw std::runtime_error(std::string("cannot read ") + argv[3]);
    }
    std::istream& in = argc == 4 ? file : std::cin;

    std::string line;
    if (!std::getline(in, line))
        throw std::invalid_argument("missing column line");
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    std::vector<JetColumn> columns;
    for (const std::string& spec : splitTabs(line))
        columns.push_back(parseColumn(spec));

    JetTable table(argv[2], columns);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const std::vector<std::string> fields = splitTabs(line);
        if (fields.size() != columns.size())
            throw std::invalid_argument("row with " + std::to_string(fields.size()) + " fields: " + line);
        std::vector<JetCell> row;
        for (std::size_t i = 0; i < fields.size(); ++i)
            row.push_back(parseValue(fields[i], columns[i]));
        table.addRow(std::move(row));
    }
    writeJet4(argv[1], table);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "mdbwrite: " << e.what() << '\n';
        return 1;
    }
}
