// The Windows side of the embedded restarter: the program's RCDATA resource
// and the system's LZ expansion functions (LZOpenFile, LZCopy). Other systems
// carry no such resource; the updater then writes its linked-in bytes with
// our own expander (update/lz/Szdd.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace pordane::platform {

// What expandProgramResource found.
struct ResourceExpansion {
    bool carried = false;                      // the program carries the resource
    std::optional<std::filesystem::path> file; // the expanded file; empty when expansion failed
};

// Writes the program's SZDD-compressed RCDATA resource `name` as `compressed`
// and expands it with the system's LZ functions into the same folder, to the
// name its header gives ("pusetup.ex_" -> "pusetup.exe"); the compressed copy
// and a partial result are removed. Not carried on systems without resources.
ResourceExpansion expandProgramResource(const wchar_t* name, const std::filesystem::path& compressed);

#ifdef _WIN32
// The bytes of the running program's RCDATA resource `name`; empty when missing.
std::span<const std::uint8_t> programResource(const wchar_t* name);

// Expands the SZDD file `compressed` into its folder, to the name its header gives.
std::optional<std::filesystem::path> systemLzExpand(const std::filesystem::path& compressed);
#endif

} // namespace pordane::platform
