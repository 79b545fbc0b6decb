// A small reader of Windows initialisation files for the restarter
// (PUPDATE.INI, the ".INF" lists): section and key names without regard to
// case, the first match wins, blanks around names and values dropped, one
// pair of surrounding double quotes dropped, lines starting with ";" ignored.
// The restarter stays free of the updater's libraries, so it has its own.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pordane::restarter {

class ProfileFile {
public:
    static ProfileFile parse(std::string_view text);
    // A missing or unreadable file reads as an empty one.
    static ProfileFile load(const std::filesystem::path& path);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string value(std::string_view section, std::string_view key, std::string_view fallback) const;
    // A decimal value; `fallback` when missing or not a number.
    long long number(std::string_view section, std::string_view key, long long fallback) const;

private:
    struct Entry {
        std::string section, key, value;
    };
    std::vector<Entry> m_entries;
};

bool equalsAscii(std::string_view a, std::string_view b);
bool endsWithAscii(std::string_view text, std::string_view suffix);

} // namespace pordane::restarter
