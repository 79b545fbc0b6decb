#include "platform/base/VersionResource.h"

#include "pordane/BuildConfig.h"
#include "update/VersionRules.h"

#include "support/files/TempDir.h"

#include <gtest/gtest.h>

#include <random>

using namespace pordane;
using platform::FileVersion;

namespace {

FileVersion packed(const char* text)
{
    const auto v = update::parseVersionText(text);
    return {v->ms, v->ls};
}

TEST(VersionResource, FileVersionOfARealPe)
{
    // The file version, not the product version (9.8.7.6).
    EXPECT_EQ(platform::readPeFileVersion(TINY_PE_PATH), packed("4.6.12.345"));
    EXPECT_EQ(platform::readFileVersion(TINY_PE_PATH), packed("4.6.12.345"));
    EXPECT_FALSE(platform::readElfVersionNote(TINY_PE_PATH));
}

TEST(VersionResource, NoteOfAStampedExecutable)
{
    EXPECT_EQ(platform::readElfVersionNote(NOTE_PROBE_PATH), packed("7.3.2.41"));
    EXPECT_EQ(platform::readFileVersion(NOTE_PROBE_PATH), packed("7.3.2.41"));
    EXPECT_FALSE(platform::readPeFileVersion(NOTE_PROBE_PATH));
}

TEST(VersionResource, OurOwnExecutableCarriesTheBuildVersion)
{
    EXPECT_EQ(platform::readFileVersion("/proc/self/exe"), packed(config::AppVersion));
}

TEST(VersionResource, FilesWithNeitherHaveNoVersion)
{
    EXPECT_FALSE(platform::readFileVersion("/bin/sh")); // an ELF without our note
    EXPECT_FALSE(platform::readFileVersion("/etc/hostname"));
    EXPECT_FALSE(platform::readFileVersion("/nonexistent/file"));
    EXPECT_FALSE(platform::readFileVersion("/tmp"));
}

class HostileBinaries : public testsupport::TempFolderTest {
protected:
    std::optional<FileVersion> readMutated(const std::string& bytes)
    {
        return platform::readFileVersion(write("binary", bytes));
    }
    static void put32(std::string& b, std::size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<char>(v >> (8 * i));
    }
};

TEST_F(HostileBinaries, TruncatedFilesReadWithoutACrash)
{
    for (const char* path : {TINY_PE_PATH, NOTE_PROBE_PATH}) {
        const std::string real = testsupport::readAll(path);
        ASSERT_GT(real.size(), 512u);
        int versions = 0;
        for (std::size_t length = 0; length < real.size(); length += 1 + length / 16)
            versions += readMutated(real.substr(0, length)).has_value();
        // A file cut before its version data has none.
        EXPECT_LT(versions, 64) << path;
        EXPECT_TRUE(readMutated(real).has_value()) << path;
    }
}

TEST_F(HostileBinaries, RandomlyDamagedFilesReadWithoutACrash)
{
    // Damage anywhere in the headers must not crash (the sanitizer build
    // watches every read); damage to bytes the readers never look at (the
    // DOS stub, the padding of e_ident) must not change the version.
    std::mt19937 rng(20261208);
    const struct {
        const char* path;
        std::size_t unusedFrom, unusedTo;
    } files[] = {{TINY_PE_PATH, 0x40, 0x80}, {NOTE_PROBE_PATH, 9, 16}};
    for (const auto& f : files) {
        const std::string real = testsupport::readAll(f.path);
        const auto version = readMutated(real);
        ASSERT_TRUE(version.has_value());
        int unchanged = 0;
        for (int round = 0; round < 300; ++round) {
            std::string damaged = real;
            for (int i = 0, flips = 1 + static_cast<int>(rng() % 8); i < flips; ++i)
                damaged[rng() % 1024 % damaged.size()] = static_cast<char>(rng());
            unchanged += readMutated(damaged) == version;
            std::string harmless = real;
            harmless[f.unusedFrom + rng() % (f.unusedTo - f.unusedFrom)] = static_cast<char>(rng());
            EXPECT_EQ(readMutated(harmless), version) << f.path;
        }
        EXPECT_LT(unchanged, 300) << "the damage never touched what the reader reads: " << f.path;
    }
}

TEST_F(HostileBinaries, HugeOffsetsAndCountsAreRefused)
{
    const std::string pe = testsupport::readAll(TINY_PE_PATH);
    const uint32_t peOffset = static_cast<uint32_t>(static_cast<unsigned char>(pe[0x3C]))
                              | static_cast<uint32_t>(static_cast<unsigned char>(pe[0x3D])) << 8;
    std::string farHeader = pe;
    put32(farHeader, 0x3C, 0xFFFFFFF0u);
    EXPECT_FALSE(readMutated(farHeader));
    std::string manySections = pe;
    manySections[peOffset + 6] = '\xFF';
    manySections[peOffset + 7] = '\xFF';
    EXPECT_FALSE(readMutated(manySections));

    const std::string elf = testsupport::readAll(NOTE_PROBE_PATH);
    std::string farPrograms = elf;
    for (int i = 0; i < 8; ++i)
        farPrograms[0x20 + i] = '\xFF';
    EXPECT_FALSE(readMutated(farPrograms));
    std::string manyPrograms = elf;
    manyPrograms[0x38] = '\xFF';
    manyPrograms[0x39] = '\xFF';
    const auto start = std::chrono::steady_clock::now();
    (void)readMutated(manyPrograms);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(HostileBinaries, ResourceDirectoryPointingAtItselfEnds)
{
    // A hand-made PE32+: one section whose resource directory's RT_VERSION
    // entry points back at the root directory, again and again.
    std::string pe(0x400, '\0');
    pe[0] = 'M';
    pe[1] = 'Z';
    put32(pe, 0x3C, 0x40);
    pe.replace(0x40, 4, std::string("PE\0\0", 4));
    pe[0x44 + 2] = 1;       // one section
    pe[0x44 + 16] = '\xF0'; // SizeOfOptionalHeader 240
    const std::size_t opt = 0x58;
    pe[opt] = 0x0B;
    pe[opt + 1] = 0x02;                // PE32+
    put32(pe, opt + 108, 16);          // NumberOfRvaAndSizes
    put32(pe, opt + 112 + 16, 0x1000); // resource RVA
    put32(pe, opt + 112 + 20, 0x100);  // resource size
    const std::size_t sec = opt + 240;
    put32(pe, sec + 8, 0x200);   // VirtualSize
    put32(pe, sec + 12, 0x1000); // VirtualAddress
    put32(pe, sec + 16, 0x200);  // SizeOfRawData
    put32(pe, sec + 20, 0x200);  // PointerToRawData
    const std::size_t root = 0x200;
    pe[root + 14] = 1;                     // one id entry
    put32(pe, root + 16, 16);              // RT_VERSION
    put32(pe, root + 20, 0x80000000u | 0); // subdirectory: the root itself
    EXPECT_FALSE(readMutated(pe));
}

} // namespace
