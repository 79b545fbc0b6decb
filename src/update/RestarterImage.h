// The restarter embedded in the program: the "pusetup" executable of this
// build, compressed at build time into an SZDD stream by our own compressor
// and linked in as bytes, so no loose file travels with the program.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace pordane::update {

std::span<const std::uint8_t> embeddedRestarter();

// Writes `stream` to `folder` as "pusetup.ex_", expands it with our own
// expander to the name its header gives ("pusetup.exe"; without ".exe"
// where programs have no extension), executable, replacing an older one
// only once the expansion is whole, and deletes "pusetup.ex_". A truncated
// stream or one whose header lies leaves no file behind: nullopt.
std::optional<std::filesystem::path> writeRestarter(const std::filesystem::path& folder,
                                                    std::span<const std::uint8_t> stream = embeddedRestarter());

} // namespace pordane::update
