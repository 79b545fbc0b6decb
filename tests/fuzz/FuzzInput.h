// Small helpers shared by the fuzz targets: cutting one input into parts,
// and a scratch file for the readers that take a path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace pordane::fuzz {

inline std::string_view asText(const uint8_t* data, size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// The parts of `text` between separators (so a dictionary can hold the separator).
inline std::vector<std::string> split(std::string_view text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

// One file per process, rewritten for every input and removed at exit.
class ScratchFile {
public:
    explicit ScratchFile(const char* stem)
        : m_path(std::filesystem::temp_directory_path() /
                 (std::string(stem) + "-" + std::to_string(::getpid()) + ".bin"))
    {
    }
    ~ScratchFile()
    {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
    const std::filesystem::path& write(const uint8_t* data, size_t size)
    {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return m_path;
    }

private:
    std::filesystem::path m_path;
};

} // namespace pordane::fuzz
