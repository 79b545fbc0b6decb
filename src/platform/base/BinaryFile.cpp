#include "platform/base/BinaryFile.h"

#include <system_error>

namespace pordane::platform {

BinaryFile::BinaryFile(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return;
    m_size = std::filesystem::file_size(file, ec);
    if (ec)
        return;
    m_in.open(file, std::ios::binary);
    m_open = static_cast<bool>(m_in);
}

std::optional<std::string> BinaryFile::bytes(uint64_t offset, uint64_t count)
{
    if (!m_open || offset > m_size || count > m_size - offset)
        return std::nullopt;
    std::string out(static_cast<std::size_t>(count), '\0');
    m_in.clear();
    m_in.seekg(static_cast<std::streamoff>(offset));
    m_in.read(out.data(), static_cast<std::streamsize>(count));
    if (static_cast<uint64_t>(m_in.gcount()) != count)
        return std::nullopt;
    return out;
}

std::optional<uint64_t> BinaryFile::number(uint64_t offset, unsigned width, bool bigEndian)
{
    const auto b = bytes(offset, width);
    if (!b)
        return std::nullopt;
    uint64_t v = 0;
    for (unsigned i = 0; i < width; ++i) {
        const unsigned at = bigEndian ? i : width - 1 - i;
        v = (v << 8) | static_cast<unsigned char>((*b)[at]);
    }
    return v;
}

std::optional<uint16_t> BinaryFile::u16(uint64_t offset, bool bigEndian)
{
    if (auto v = number(offset, 2, bigEndian))
        return static_cast<uint16_t>(*v);
    return std::nullopt;
}

std::optional<uint32_t> BinaryFile::u32(uint64_t offset, bool bigEndian)
{
    if (auto v = number(offset, 4, bigEndian))
        return static_cast<uint32_t>(*v);
    return std::nullopt;
}

std::optional<uint64_t> BinaryFile::u64(uint64_t offset, bool bigEndian)
{
    return number(offset, 8, bigEndian);
}

} // namespace pordane::platform
