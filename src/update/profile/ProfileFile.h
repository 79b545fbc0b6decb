// An initialisation file read as the Windows profile functions read it (the
// update control file, the restarter's PUPDATE.INI and ".INF" lists). Names without regard to case, the first match wins,
// blanks around names and values dropped, one pair of surrounding quotes
// dropped, ";" lines ignored, no inline comments. UTF-8 when valid (BOM
// dropped), else Windows-1252; values are handed out as UTF-8.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace pordane::profile {

class ProfileFile {
public:
    // Larger files, files holding a NUL byte and unreadable files read as
    // no keys: a control file is a few kilobytes of text.
    static constexpr std::uintmax_t MaxBytes = 1 << 20;

    ProfileFile() = default;
    static ProfileFile load(const std::filesystem::path& file);
    static ProfileFile parse(std::string_view bytes);

    bool hasSection(std::string_view section) const;
    // The largest N for which a section named `prefix` followed by the
    // decimal N (no leading zero) exists; 0 when there is none.
    long long highestNumberedSection(std::string_view prefix) const;
    bool empty() const { return m_sections.empty(); }

    // The value, or nothing when the key is missing.
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    // The value, or `def` when the key is missing.
    std::string readString(std::string_view section, std::string_view key, std::string_view def = {}) const;
    // A decimal (or "$"/"0x" hexadecimal) integer with an optional sign;
    // anything else, and a missing key, gives `def`.
    int readInteger(std::string_view section, std::string_view key, int def) const;

private:
    using Keys = std::map<std::string, std::string>;
    std::map<std::string, Keys> m_sections; // names case-folded
};

} // namespace pordane::profile
