#ifdef _WIN32

#include "platform/LzExpand.h"

#include <windows.h>

#include <lzexpand.h>

#include <fstream>
#include <system_error>

namespace pordane::platform {

std::span<const std::uint8_t> programResource(const wchar_t* name)
{
    const HRSRC info = FindResourceW(nullptr, name, MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!info)
        return {};
    const HGLOBAL handle = LoadResource(nullptr, info);
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data)
        return {};
    return {static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(SizeofResource(nullptr, info))};
}

std::optional<std::filesystem::path> systemLzExpand(const std::filesystem::path& compressed)
{
    std::wstring source = compressed.wstring();
    wchar_t expanded[MAX_PATH] = {};
    if (source.size() >= MAX_PATH || GetExpandedNameW(source.data(), expanded) != 1)
        return std::nullopt;
    OFSTRUCT in{};
    OFSTRUCT out{};
    const INT from = LZOpenFileW(source.data(), &in, OF_READ);
    if (from < 0)
        return std::nullopt;
    const INT to = LZOpenFileW(expanded, &out, OF_CREATE);
    if (to < 0) {
        LZClose(from);
        return std::nullopt;
    }
    const LONG copied = LZCopy(from, to);
    LZClose(from);
    LZClose(to);
    if (copied < 0) {
        DeleteFileW(expanded);
        return std::nullopt;
    }
    return std::filesystem::path(expanded);
}

ResourceExpansion expandProgramResource(const wchar_t* name, const std::filesystem::path& compressed)
{
    const auto resource = programResource(name);
    if (resource.empty())
        return {};
    {
        std::ofstream out(compressed, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(resource.data()), static_cast<std::streamsize>(resource.size()));
    }
    auto expanded = systemLzExpand(compressed);
    std::error_code ec;
    std::filesystem::remove(compressed, ec);
    // The system's functions stop quietly at a cut stream: the header's length decides.
    const auto expected = resource.size() < 14 ? 0u
                                               : resource[10] | resource[11] << 8 | resource[12] << 16 |
                                                     static_cast<std::uint32_t>(resource[13]) << 24;
    if (expanded && (resource.size() < 14 || std::filesystem::file_size(*expanded, ec) != expected || ec)) {
        std::filesystem::remove(*expanded, ec);
        expanded.reset();
    }
    return {true, expanded};
}

} // namespace pordane::platform

#endif
