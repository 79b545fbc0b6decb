// The local files the FTP tests send and fetch, and the remote names they use.
// Every writer replaces its file in the given directory; the default (an empty
// path) is the process's working directory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace pordane::ftptests {

// Local source files, written before every run.
inline constexpr const char* TestNameTXT = "test.txt";
inline constexpr const char* TestNameJPG = "test.jpg";
inline constexpr const char* TestNameMDB = "test.mdb";
inline constexpr const char* SpeedName = "speedmeter.txt";

// Local download targets, written by the downloads of the tests.
inline constexpr const char* DownloadNameTXT = "test2.txt";
inline constexpr const char* DownloadNameJPG = "test2.jpg";
inline constexpr const char* DownloadNameMDB = "test2.mdb";
inline constexpr const char* DownloadNameSpeed = "speedmeter2.txt";

// Remote names: the identifier text (IdText) followed by one of these.
inline constexpr const char* RemoteSuffixTXT = "_test.txt";
inline constexpr const char* RemoteSuffixJPG = "_test.jpg";
inline constexpr const char* RemoteSuffixMDB = "_test.mdb";
inline constexpr const char* RemoteSuffixRenamed = "_test2.mdb";
inline constexpr const char* RemoteSuffixSpeed = "_speedmeter.txt";

// "esto es una prueba" + CR LF, 10,000 times.
inline constexpr const char* TextLine = "esto es una prueba\r\n";
inline constexpr int TextLines = 10000;
inline constexpr std::uintmax_t TextSize = 200000;

// A failed create, write or close of a test file: code() carries the
// operating system's error number (generic category), what() names the file.
class TestFileError : public std::system_error {
public:
    TestFileError(int osError, const std::filesystem::path& file, const std::string& operation);
    const std::filesystem::path& file() const { return m_file; }

private:
    std::filesystem::path m_file;
};

void CrearArchivoTXT(const std::filesystem::path& dir = {});
void CrearArchivoMDB(const std::filesystem::path& dir = {});
// SizeTest bytes of "1"; 0 or less gives an empty file.
void CrearArchivoSpeed(std::int32_t SizeTest, const std::filesystem::path& dir = {});
void CrearArchivoJPG(const std::filesystem::path& dir = {});

// On closing the window: deletes test.mdb, test.jpg and test.txt in that
// order, ignoring failures; speedmeter.txt stays.
void deleteLocalTestFiles(const std::filesystem::path& dir = {});

} // namespace pordane::ftptests
