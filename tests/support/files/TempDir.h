// Temporary folders for tests: a fresh folder under the system's temporary
// folder, removed with its contents, a fixture that holds one per test, and
// whole-file reads and writes.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace pordane::testsupport {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "pordane-test")
    {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = std::filesystem::temp_directory_path()
                 / (prefix + "-" + std::to_string(::getpid()) + "-" + std::to_string(stamp) + "-"
                    + std::to_string(counter++));
        std::filesystem::create_directories(m_path);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

inline std::string readAll(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeAll(const std::filesystem::path& file, const std::string& content)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
}

// A fixture with a fresh folder (m_dir) per test.
class TempFolderTest : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string& name, const std::string& bytes) const
    {
        writeAll(m_dir / name, bytes);
        return m_dir / name;
    }

    TempDir m_tmp;
    const std::filesystem::path m_dir = m_tmp.path();
};

} // namespace pordane::testsupport
