#include "ftptests/TestFiles.h"

#include "ftptests/TestPicture.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace pordane::ftptests {

namespace {

// A regular file with no write permission for anyone: the read-only
// attribute of the user's files.
bool isReadOnlyFile(const std::filesystem::file_status& status)
{
    namespace fs = std::filesystem;
    constexpr fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return fs::is_regular_file(status) && (status.permissions() & writable) == fs::perms::none;
}

// Deletes an old file; failures are not reported (the create reports them).
// A directory of that name is left alone, and so is a read-only file, as the
// Windows delete refuses it: the create then fails on it instead of a
// POSIX unlink silently replacing a file the user protected.
void deleteOld(const std::filesystem::path& file)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file, ec);
    if (ec || !fs::exists(status) || fs::is_directory(status) || isReadOnlyFile(status))
        return;
    fs::remove(file, ec);
}

// A file being written: every create, write and close is checked at once and
// a failure throws with errno. A partly written file stays on disk.
class OutFile {
public:
    explicit OutFile(std::filesystem::path file)
        : m_file(std::move(file))
    {
        // Root may open a read-only file for writing; Windows refuses even an
        // administrator, and so do we.
        std::error_code ec;
        if (isReadOnlyFile(std::filesystem::status(m_file, ec)))
            throw TestFileError(EACCES, m_file, "crear");
        errno = 0;
        m_stream = std::fopen(m_file.string().c_str(), "wb");
        if (!m_stream)
            fail("crear");
    }
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;
    ~OutFile()
    {
        if (m_stream)
            std::fclose(m_stream);
    }

    void write(const void* data, std::size_t size)
    {
        errno = 0;
        if (std::fwrite(data, 1, size, m_stream) != size)
            fail("escribir");
    }

    void close()
    {
        errno = 0;
        std::FILE* stream = std::exchange(m_stream, nullptr);
        if (std::fclose(stream) != 0)
            fail("cerrar");
    }

private:
    [[noreturn]] void fail(const char* operation)
    {
        // Some C libraries leave errno unset on a short write; EIO then.
        throw TestFileError(errno != 0 ? errno : EIO, m_file, operation);
    }

    std::filesystem::path m_file;
    std::FILE* m_stream = nullptr;
};

std::filesystem::path inDir(const std::filesystem::path& dir, const char* name)
{
    return dir.empty() ? std::filesystem::path(name) : dir / name;
}

void writeTextFile(const std::filesystem::path& file)
{
    deleteOld(file);
    static const std::string content = [] {
        std::string text;
        text.reserve(TextSize);
        for (int i = 0; i < TextLines; ++i)
            text += TextLine;
        return text;
    }();
    OutFile out(file);
    out.write(content.data(), content.size());
    out.close();
}

} // namespace

TestFileError::TestFileError(int osError, const std::filesystem::path& file, const std::string& operation)
    : std::system_error(osError, std::generic_category(), "Error al " + operation + " " + file.string())
    , m_file(file)
{
}

void CrearArchivoTXT(const std::filesystem::path& dir)
{
    writeTextFile(inDir(dir, TestNameTXT));
}

void CrearArchivoMDB(const std::filesystem::path& dir)
{
    writeTextFile(inDir(dir, TestNameMDB));
}

void CrearArchivoSpeed(std::int32_t SizeTest, const std::filesystem::path& dir)
{
    const std::filesystem::path file = inDir(dir, SpeedName);
    deleteOld(file);
    OutFile out(file);
    // Large blocks: 20 MiB takes milliseconds instead of one write per byte.
    constexpr std::size_t blockSize = std::size_t{1} << 20;
    static const std::vector<char> block(blockSize, '1');
    std::size_t left = SizeTest > 0 ? static_cast<std::size_t>(SizeTest) : 0;
    while (left > 0) {
        const std::size_t n = std::min(left, blockSize);
        out.write(block.data(), n);
        left -= n;
    }
    out.close();
}

void CrearArchivoJPG(const std::filesystem::path& dir)
{
    const std::filesystem::path file = inDir(dir, TestNameJPG);
    deleteOld(file);
    const std::vector<std::uint8_t> jpeg = encodeJpeg(drawTestPicture(), TestPictureJpegQuality);
    OutFile out(file);
    out.write(jpeg.data(), jpeg.size());
    out.close();
}

void deleteLocalTestFiles(const std::filesystem::path& dir)
{
    for (const char* name : {TestNameMDB, TestNameJPG, TestNameTXT}) {
        std::error_code ec;
        const std::filesystem::path file = inDir(dir, name);
        if (!std::filesystem::is_directory(std::filesystem::symlink_status(file, ec)))
            std::filesystem::remove(file, ec);
    }
}

} // namespace pordane::ftptests
