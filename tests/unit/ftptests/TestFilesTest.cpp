// The local test files: sizes, contents, replacement and failures.
#include "support/files/TempDir.h"
#include "support/proc/Unprivileged.h"

#include "ftptests/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace pordane::ftptests;
using pordane::testsupport::readAll;
using pordane::testsupport::runUnprivileged;
using pordane::testsupport::TempDir;
using pordane::testsupport::writeAll;

namespace {

std::string expectedText()
{
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "esto es una prueba\r\n";
    return text;
}

TEST(TextFiles, TxtAndMdbAreTheSame200000BytesOfTheTestLine)
{
    TempDir dir;
    CrearArchivoTXT(dir.path());
    CrearArchivoMDB(dir.path());
    const std::string txt = readAll(dir / "test.txt");
    const std::string mdb = readAll(dir / "test.mdb");
    EXPECT_EQ(fs::file_size(dir / "test.txt"), 200000u);
    EXPECT_EQ(fs::file_size(dir / "test.mdb"), 200000u);
    EXPECT_TRUE(txt == expectedText());
    EXPECT_TRUE(mdb == txt);
}

TEST(TextFiles, OldContentIsReplacedNotExtended)
{
    TempDir dir;
    writeAll(dir / "test.txt", std::string(300000, 'x'));
    writeAll(dir / "test.mdb", "short");
    for (int run = 0; run < 2; ++run) {
        CrearArchivoTXT(dir.path());
        CrearArchivoMDB(dir.path());
        EXPECT_EQ(fs::file_size(dir / "test.txt"), 200000u);
        EXPECT_EQ(fs::file_size(dir / "test.mdb"), 200000u);
    }
    EXPECT_TRUE(readAll(dir / "test.txt") == expectedText());
}

TEST(SpeedFile, HoldsExactlySizeTestOnes)
{
    TempDir dir;
    for (std::int32_t mb : {1, 20, 3}) {
        const std::int32_t size = mb * 1048576;
        CrearArchivoSpeed(size, dir.path());
        const std::string content = readAll(dir / "speedmeter.txt");
        ASSERT_EQ(content.size(), static_cast<std::size_t>(size)) << mb << " MB";
        EXPECT_EQ(content.find_first_not_of('1'), std::string::npos) << mb << " MB";
    }
}

TEST(SpeedFile, TwoRunsGiveTheSameSize)
{
    TempDir dir;
    CrearArchivoSpeed(20971520, dir.path());
    CrearArchivoSpeed(20971520, dir.path());
    EXPECT_EQ(fs::file_size(dir / "speedmeter.txt"), 20971520u);
    CrearArchivoSpeed(1048576, dir.path());
    EXPECT_EQ(fs::file_size(dir / "speedmeter.txt"), 1048576u);
}

TEST(SpeedFile, SizesThatAreNotWholeBlocksOrNotPositive)
{
    TempDir dir;
    CrearArchivoSpeed(1048576 + 7, dir.path());
    EXPECT_EQ(fs::file_size(dir / "speedmeter.txt"), 1048583u);
    CrearArchivoSpeed(1, dir.path());
    EXPECT_EQ(readAll(dir / "speedmeter.txt"), "1");
    CrearArchivoSpeed(0, dir.path());
    EXPECT_EQ(fs::file_size(dir / "speedmeter.txt"), 0u);
    writeAll(dir / "speedmeter.txt", "old");
    CrearArchivoSpeed(-5, dir.path());
    EXPECT_TRUE(fs::exists(dir / "speedmeter.txt"));
    EXPECT_EQ(fs::file_size(dir / "speedmeter.txt"), 0u);
}

TEST(Writers, DefaultToTheWorkingDirectory)
{
    TempDir dir;
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    CrearArchivoTXT();
    CrearArchivoJPG();
    CrearArchivoMDB();
    CrearArchivoSpeed(1048576);
    fs::current_path(before);
    EXPECT_EQ(fs::file_size(dir / "test.txt"), 200000u);
    EXPECT_GT(fs::file_size(dir / "test.jpg"), 0u);
    EXPECT_EQ(fs::file_size(dir / "test.mdb"), 200000u);
    EXPECT_EQ(fs::file_size(dir / "speedmeter.txt"), 1048576u);
}

TEST(Writers, ClosingDeletesThreeFilesAndKeepsTheSpeedFile)
{
    TempDir dir;
    CrearArchivoTXT(dir.path());
    CrearArchivoJPG(dir.path());
    CrearArchivoSpeed(1048576, dir.path());
    fs::create_directory(dir / "test.mdb"); // in the way: skipped, the rest still goes
    deleteLocalTestFiles(dir.path());
    EXPECT_FALSE(fs::exists(dir / "test.txt"));
    EXPECT_FALSE(fs::exists(dir / "test.jpg"));
    EXPECT_TRUE(fs::is_directory(dir / "test.mdb"));
    EXPECT_EQ(fs::file_size(dir / "speedmeter.txt"), 1048576u);
    deleteLocalTestFiles(dir.path()); // nothing left to delete: no error
}

// Runs one writer and returns the error it threw (code 0 when none).
template <typename Writer>
std::pair<int, std::string> failureOf(Writer writer)
{
    try {
        writer();
    } catch (const TestFileError& e) {
        EXPECT_EQ(e.code().category(), std::generic_category());
        return {e.code().value(), e.what()};
    }
    return {0, {}};
}

TEST(Writers, FailWithTheSystemErrorCode)
{
    TempDir dir;
    // A regular file where the directory should be: nothing can be created in it.
    writeAll(dir / "plain", "x");
    const fs::path notADir = dir / "plain";
    for (auto [name, result] : {
             std::pair{"txt", failureOf([&] { CrearArchivoTXT(notADir); })},
             std::pair{"mdb", failureOf([&] { CrearArchivoMDB(notADir); })},
             std::pair{"speed", failureOf([&] { CrearArchivoSpeed(1048576, notADir); })},
             std::pair{"jpg", failureOf([&] { CrearArchivoJPG(notADir); })},
         }) {
        EXPECT_EQ(result.first, ENOTDIR) << name;
        EXPECT_NE(result.second.find(notADir.string()), std::string::npos) << name << ": " << result.second;
    }

    const fs::path missing = dir / "missing";
    EXPECT_EQ(failureOf([&] { CrearArchivoJPG(missing); }).first, ENOENT);
    EXPECT_EQ(failureOf([&] { CrearArchivoSpeed(10, missing); }).first, ENOENT);
    EXPECT_FALSE(fs::exists(missing));
}

TEST(Writers, AReadOnlyFileIsNotReplaced)
{
    TempDir dir;
    // Anyone may create and delete in the directory; only the files' own
    // modes decide.
    fs::permissions(dir.path(), fs::perms::all);
    writeAll(dir / "test.txt", "protected");
    fs::permissions(dir / "test.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    writeAll(dir / "test.mdb", "writable");
    fs::permissions(dir / "test.mdb", fs::perms::all);

    const int txt = runUnprivileged([&] { return failureOf([&] { CrearArchivoTXT(dir.path()); }).first; });
    const int mdb = runUnprivileged([&] { return failureOf([&] { CrearArchivoMDB(dir.path()); }).first; });
    if (txt < 0 || mdb < 0)
        GTEST_SKIP() << "cannot run without root's rights here";
    EXPECT_EQ(txt, EACCES);
    EXPECT_TRUE(readAll(dir / "test.txt") == "protected");
    EXPECT_EQ(mdb, 0);
    EXPECT_EQ(fs::file_size(dir / "test.mdb"), 200000u);
}

TEST(Writers, AReadOnlyFileIsNotReplacedEvenWithRootsRights)
{
    // Whoever runs the program (root included, as in a namespace of its own),
    // a file the user marked read-only stops its writer.
    TempDir dir;
    for (const char* name : {"test.txt", "test.jpg", "test.mdb", "speedmeter.txt"}) {
        writeAll(dir / name, "protected");
        fs::permissions(dir / name, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    EXPECT_EQ(failureOf([&] { CrearArchivoTXT(dir.path()); }).first, EACCES);
    EXPECT_EQ(failureOf([&] { CrearArchivoJPG(dir.path()); }).first, EACCES);
    EXPECT_EQ(failureOf([&] { CrearArchivoMDB(dir.path()); }).first, EACCES);
    EXPECT_EQ(failureOf([&] { CrearArchivoSpeed(1048576, dir.path()); }).first, EACCES);
    for (const char* name : {"test.txt", "test.jpg", "test.mdb", "speedmeter.txt"})
        EXPECT_TRUE(readAll(dir / name) == "protected") << name;
}

TEST(Writers, ADirectoryInTheWayIsNotRemovedAndTheWriteFails)
{
    TempDir dir;
    for (const char* name : {"test.txt", "test.jpg", "test.mdb", "speedmeter.txt"})
        fs::create_directory(dir / name);
    EXPECT_EQ(failureOf([&] { CrearArchivoTXT(dir.path()); }).first, EISDIR);
    EXPECT_EQ(failureOf([&] { CrearArchivoJPG(dir.path()); }).first, EISDIR);
    EXPECT_EQ(failureOf([&] { CrearArchivoMDB(dir.path()); }).first, EISDIR);
    EXPECT_EQ(failureOf([&] { CrearArchivoSpeed(100, dir.path()); }).first, EISDIR);
    for (const char* name : {"test.txt", "test.jpg", "test.mdb", "speedmeter.txt"})
        EXPECT_TRUE(fs::is_directory(dir / name)) << name;
}

// Lowers the file-size limit for its lifetime; writes beyond it fail with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        m_ok = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

TEST(Writers, AFailedWriteStopsTheWriterAndLeavesThePartialFile)
{
    TempDir dir;
    std::pair<int, std::string> txt, speed, jpg;
    {
        FileSizeLimit limit(65536);
        ASSERT_TRUE(limit.ok());
        txt = failureOf([&] { CrearArchivoTXT(dir.path()); });
        speed = failureOf([&] { CrearArchivoSpeed(20971520, dir.path()); });
        jpg = failureOf([&] { CrearArchivoJPG(dir.path()); });
    }
    EXPECT_EQ(txt.first, EFBIG);
    EXPECT_EQ(speed.first, EFBIG);
    EXPECT_EQ(jpg.first, EFBIG);
    EXPECT_EQ(fs::file_size(dir / "test.txt"), 65536u);
    EXPECT_EQ(fs::file_size(dir / "speedmeter.txt"), 65536u);
}

} // namespace
