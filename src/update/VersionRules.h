// The version rules of the updater: version texts packed like a file-version
// resource, the byte-sum checksum, the comparison rule, and control-file
// dates read as local date-times.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pordane::update {

// A file version as two 32-bit words: major<<16|minor, release<<16|build.
struct PackedVersion {
    uint32_t ms = 0;
    uint32_t ls = 0;
    bool operator==(const PackedVersion&) const = default;
};

// Up to four non-negative numbers separated by "." (by "," when the text
// holds a comma); missing parts are 0, parts beyond four are ignored, each
// part keeps its low 16 bits. No version when the first part has no digit.
std::optional<PackedVersion> parseVersionText(std::string_view text);

// "major.minor.release.build".
std::string versionText(PackedVersion v);

// First words, then second words, compared as signed 32-bit numbers (so a
// major of 32768 or more counts as older than 1: the rule as the maker's
// updater applies it).
bool isNewerVersion(PackedVersion remote, PackedVersion local);

// The 32-bit sum of the file's bytes started at -1; -1 when unreadable.
int32_t byteSumChecksum(const std::filesystem::path& file);

// The file's version resource; a seam so tests can use any reader.
using VersionReader = std::optional<PackedVersion> (*)(const std::filesystem::path&);

struct ComparisonInput {
    std::string newVersion;                 // version text, may be empty
    std::filesystem::path localPath;        // native path, may be empty
    int32_t newChecksum = -1;
    int64_t newSize = 0;
};

struct ComparisonResult {
    bool newer = false;
    // Both versions as "major.minor.release.build" when versions were compared.
    std::string newVersionText;
    std::string localVersionText;
};

// Is the remote file newer than the local one?
ComparisonResult compareWithLocal(const ComparisonInput& in, VersionReader readVersion);

// "dd/mm/yyyy" and "hh:nn" as a local date-time; a date that cannot be read
// is 1 January 1980, a time that cannot be read adds nothing.
std::time_t controlDateTime(std::string_view date, std::string_view time);

// 1 January 1980 00:00 local time, the date of files without one.
std::time_t epoch1980();

// The last-modification time of the file in whole seconds; nullopt when it
// does not exist.
std::optional<std::time_t> modificationTime(const std::filesystem::path& file);

} // namespace pordane::update
