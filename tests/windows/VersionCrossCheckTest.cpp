// Our PE version reader against the system's own (GetFileVersionInfoW,
// VerQueryValueW) on the same files: two PE files whose versions we set,
// and the system's programs and libraries.
#include "platform/base/VersionResource.h"

#include "pordane/BuildConfig.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <set>

using pordane::platform::FileVersion;
using pordane::platform::readPeFileVersion;
namespace fs = std::filesystem;

namespace {

std::optional<FileVersion> systemFileVersion(const fs::path& file)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return std::nullopt;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed
        || fixed->dwSignature != 0xFEEF04BD)
        return std::nullopt;
    return FileVersion{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

FileVersion packed(unsigned a, unsigned b, unsigned c, unsigned d)
{
    return {a << 16 | b, c << 16 | d};
}

FileVersion packedText(const char* text)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    EXPECT_EQ(std::sscanf(text, "%u.%u.%u.%u", &a, &b, &c, &d), 4) << text;
    return packed(a, b, c, d);
}

fs::path systemFolder()
{
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    return fs::path(std::wstring(path, length));
}

fs::path ownExecutable()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(std::wstring(path, length));
}

// A file the system's loader would take for a PE image (MZ, then "PE\0\0"
// where e_lfanew points): NE and plain files are out of our reader's scope.
bool looksLikePe(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    char header[0x40] = {};
    if (!in.read(header, sizeof header) || header[0] != 'M' || header[1] != 'Z')
        return false;
    uint32_t offset = 0;
    for (int i = 0; i < 4; ++i)
        offset |= uint32_t(static_cast<unsigned char>(header[0x3C + i])) << (8 * i);
    char signature[4] = {};
    return in.seekg(offset).read(signature, 4) && std::string(signature, 4) == std::string("PE\0\0", 4);
}

struct KnownFile {
    const char* name;
    fs::path (*path)();
    std::optional<FileVersion> expected;  // nullopt: whatever the system reads
};

class SameVersionAsTheSystem : public ::testing::TestWithParam<KnownFile> {};

TEST_P(SameVersionAsTheSystem, OnTheSameFile)
{
    const fs::path file = GetParam().path();
    ASSERT_TRUE(fs::exists(file)) << file;
    const auto ours = readPeFileVersion(file);
    const auto system = systemFileVersion(file);
    ASSERT_TRUE(system.has_value()) << file;
    EXPECT_EQ(ours, system) << file;
    if (GetParam().expected) {
        EXPECT_EQ(ours, GetParam().expected) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SameVersionAsTheSystem,
    ::testing::Values(
        // The file version, not the product version (9.8.7.6).
        KnownFile{"TinyPe", [] { return fs::path(TINY_PE_PATH); }, packed(4, 6, 12, 345)},
        // This test program carries the program's version, product version 7.0.1.2.
        KnownFile{"OwnExecutable", ownExecutable, packedText(pordane::config::AppVersion)},
        KnownFile{"Kernel32", [] { return systemFolder() / "kernel32.dll"; }, std::nullopt},
        KnownFile{"Version", [] { return systemFolder() / "version.dll"; }, std::nullopt},
        KnownFile{"Lz32", [] { return systemFolder() / "lz32.dll"; }, std::nullopt},
        KnownFile{"Explorer", [] { return systemFolder() / "explorer.exe"; }, std::nullopt},
        KnownFile{"Regsvr32", [] { return systemFolder() / "regsvr32.exe"; }, std::nullopt}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(VersionCrossCheck, EveryProgramAndLibraryOfTheSystemFolder)
{
    int compared = 0, versioned = 0, unversioned = 0;
    std::set<std::pair<uint32_t, uint32_t>> distinct;
    for (const auto& entry : fs::directory_iterator(systemFolder())) {
        const auto ext = entry.path().extension().wstring();
        if (!entry.is_regular_file() || (ext != L".dll" && ext != L".exe") || !looksLikePe(entry.path()))
            continue;
        const auto ours = readPeFileVersion(entry.path());
        EXPECT_EQ(ours, systemFileVersion(entry.path())) << entry.path();
        ++compared;
        if (ours) {
            ++versioned;
            distinct.insert({ours->ms, ours->ls});
        } else {
            ++unversioned;
        }
    }
    // Hundreds of files, many with a version (Wine's: about a third of 600),
    // not all the same one, and some without.
    EXPECT_GT(compared, 200);
    EXPECT_GT(versioned, 100);
    EXPECT_GT(unversioned, 0);
    EXPECT_GT(distinct.size(), 10u);
    std::printf("compared %d files: %d with a version (%zu distinct), %d without\n", compared, versioned,
                distinct.size(), unversioned);
}

TEST(VersionCrossCheck, FilesWithoutAVersionAgreeToo)
{
    const fs::path text = fs::temp_directory_path() / "pordane-version-plain.txt";
    std::ofstream(text) << "MZ but no more";
    for (const fs::path& file : {text, fs::path(TINY_PE_PATH).replace_filename("missing.exe")}) {
        EXPECT_FALSE(readPeFileVersion(file)) << file;
        EXPECT_FALSE(systemFileVersion(file)) << file;
    }
    fs::remove(text);
}

} // namespace
