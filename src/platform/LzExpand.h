// The Windows side of the embedded restarter: the program's RCDATA resource
// and the system's LZ expansion functions (LZOpenFile, LZCopy). Other systems
// use our own expander (lz/Szdd.h) and the linked-in bytes.
#pragma once

#ifdef _WIN32

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace pordane::platform {

// The bytes of the running program's RCDATA resource `name`; empty when missing.
std::span<const std::uint8_t> programResource(const wchar_t* name);

// Expands the SZDD file `compressed` into its folder, to the name its header
// gives ("pusetup.ex_" -> "pusetup.exe"); a partial result is removed.
std::optional<std::filesystem::path> systemLzExpand(const std::filesystem::path& compressed);

} // namespace pordane::platform

#endif
