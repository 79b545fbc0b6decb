// The "SZDD" compressed-file format of the Windows LZ expansion functions
// (LZOpenFile/LZCopy, expand.exe): our own compressor, used as a build tool,
// and our own expander, used where the system has no LZ functions.
//
// Layout: "SZDD" 88 F0 27 33, mode 'A', the last character of the original
// name (replaced by "_" in the compressed file's name), the expanded length
// (32 bits, little-endian), then LZSS data: a 4096-byte ring filled with
// blanks, writing from 4096 - 16; flag bytes read low bit first, 1 = one
// literal byte, 0 = a two-byte reference (12-bit ring position, 4-bit length
// + 3).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pordane::update {

inline constexpr std::size_t kSzddHeaderSize = 14;
inline constexpr std::size_t kSzddMinMatch = 3;
inline constexpr std::size_t kSzddMaxMatch = 18;

// The compressed stream of `data`; `lastChar` is the original name's last
// character, kept in the header for the expanded name.
std::vector<std::uint8_t> szddCompress(std::span<const std::uint8_t> data, char lastChar);

enum class SzddError {
    None,
    NotSzdd,         // too short for a header, wrong magic or mode
    Truncated,       // the data ends before the header's length is reached
    LengthMismatch,  // data goes on after the header's length, or a reference runs past it
};

// What an expansion saw, for callers that check how a stream was made.
struct SzddStats {
    std::size_t literals = 0;
    std::array<std::size_t, kSzddMaxMatch + 1> referencesByLength{};
};

struct SzddExpansion {
    SzddError error = SzddError::None;
    char lastChar = 0;
    std::vector<std::uint8_t> bytes;  // empty unless error is None
    bool ok() const { return error == SzddError::None; }
};

// Expands a whole stream. A stream whose header lies about the expanded size,
// in either direction, fails; so does one that could only reach its length by
// an impossible ratio (checked before anything is allocated).
SzddExpansion szddExpand(std::span<const std::uint8_t> stream, SzddStats* stats = nullptr);

// The name the header gives: "pusetup.ex_" with 'e' -> "pusetup.exe". A name
// not ending in "_" is returned unchanged; a zero character drops the "_".
std::string szddExpandedName(const std::string& compressedName, char lastChar);

// Text of an error for logs.
const char* szddErrorText(SzddError error);

// Whole-file helpers. readFileBytes: nullopt when the file cannot be read.
std::optional<std::vector<std::uint8_t>> readFileBytes(const std::filesystem::path& path);

} // namespace pordane::update
