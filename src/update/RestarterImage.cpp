#include "update/RestarterImage.h"

#include "update/lz/Szdd.h"
#include "platform/SpecialFolders.h"
#include "platform/SyncFile.h"

#include <fstream>

extern const unsigned char kPusetupSzdd[];
extern const std::size_t kPusetupSzddSize;

namespace pordane::update {

namespace fs = std::filesystem;

namespace {

bool writeBytes(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

} // namespace

std::span<const std::uint8_t> embeddedRestarter()
{
    return {kPusetupSzdd, kPusetupSzddSize};
}

std::optional<fs::path> writeRestarter(const fs::path& folder, std::span<const std::uint8_t> stream)
{
    const fs::path compressed = folder / "pusetup.ex_";
    std::error_code ec;
    if (!writeBytes(compressed, stream)) {
        fs::remove(compressed, ec);
        return std::nullopt;
    }
    // Read back from the file, as the system's LZ functions would.
    const auto written = readFileBytes(compressed);
    fs::remove(compressed, ec);
    if (!written)
        return std::nullopt;
    const SzddExpansion expanded = szddExpand(*written);
    if (!expanded.ok())
        return std::nullopt;

    std::string name = szddExpandedName("pusetup.ex_", expanded.lastChar);
    if (!platform::WindowsPaths && name.size() > 4 && name.ends_with(".exe"))
        name.resize(name.size() - 4);
    const fs::path target = folder / name;
    const fs::path part = fs::path(target).concat(".part");
    const bool ok = writeBytes(part, expanded.bytes) && platform::syncFile(part);
    if (ok)
        fs::permissions(part, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec, ec);
    if (!ok || ec || (fs::rename(part, target, ec), ec)) {
        fs::remove(part, ec);
        return std::nullopt;
    }
    return target;
}

} // namespace pordane::update
