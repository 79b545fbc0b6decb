// Bounded random-access reads of a file whose layout is not trusted.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace pordane::platform {

class BinaryFile {
public:
    explicit BinaryFile(const std::filesystem::path& file);
    bool isOpen() const { return m_open; }
    uint64_t size() const { return m_size; }

    // `count` bytes at `offset`; nullopt when they are not all in the file.
    std::optional<std::string> bytes(uint64_t offset, uint64_t count);
    std::optional<uint16_t> u16(uint64_t offset, bool bigEndian = false);
    std::optional<uint32_t> u32(uint64_t offset, bool bigEndian = false);
    std::optional<uint64_t> u64(uint64_t offset, bool bigEndian = false);

private:
    std::optional<uint64_t> number(uint64_t offset, unsigned width, bool bigEndian);

    std::ifstream m_in;
    uint64_t m_size = 0;
    bool m_open = false;
};

} // namespace pordane::platform
