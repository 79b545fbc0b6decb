// Our SZDD compressor against the system's LZ expansion (lz32): what we
// compress, LZCopy (through systemLzExpand) and LZRead give back unchanged.
#include "update/lz/Szdd.h"
#include "platform/LzExpand.h"

#include "support/files/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <lzexpand.h>

#include <random>

using namespace pordane;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

namespace {

struct Input {
    const char* name;
    Bytes (*make)();
    bool compressible;  // the stream is clearly smaller than the input
};

Bytes randomBytes(std::size_t n, unsigned alphabet)
{
    std::mt19937 gen(static_cast<unsigned>(n));
    Bytes out(n);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(gen() % alphabet);
    return out;
}

Bytes repetitive()
{
    // Runs longer than the longest reference, and text that repeats at
    // distances beyond the ring's 4096 bytes.
    Bytes out(9000, 'a');
    const std::string line = "Talvane: conexión 127.0.0.1 puerto 21\r\n";
    for (int i = 0; i < 400; ++i)
        out.insert(out.end(), line.begin(), line.end() - (i % 7));
    return out;
}

Bytes readFile(const fs::path& file)
{
    auto bytes = update::readFileBytes(file);
    return bytes ? *bytes : Bytes{};
}

void writeFile(const fs::path& file, const Bytes& bytes)
{
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
}

class SystemExpansion : public ::testing::TestWithParam<Input> {
protected:
    pordane::testsupport::TempDir dir;
};

TEST_P(SystemExpansion, LzCopyGivesBackTheInput)
{
    const Bytes input = GetParam().make();
    const Bytes stream = update::szddCompress(input, 'x');
    if (GetParam().compressible) {
        EXPECT_LT(stream.size(), input.size() / 2);
    }
    writeFile(dir / "datos.bi_", stream);
    const auto expanded = platform::systemLzExpand(dir / "datos.bi_");
    ASSERT_TRUE(expanded.has_value());
    // The name comes from the header's last character.
    EXPECT_EQ(expanded->filename(), fs::path("datos.bix"));
    const Bytes back = readFile(*expanded);
    ASSERT_EQ(back.size(), input.size());
    EXPECT_TRUE(back == input);
}

TEST_P(SystemExpansion, LzReadInUnevenPiecesGivesBackTheInput)
{
    const Bytes input = GetParam().make();
    writeFile(dir / "datos.bin", update::szddCompress(input, 'n'));
    OFSTRUCT of{};
    std::wstring name = (dir / "datos.bin").wstring();
    const INT file = LZOpenFileW(name.data(), &of, OF_READ);
    ASSERT_GE(file, 0);
    Bytes back;
    char piece[1237];
    for (int round = 0; round < 1000; ++round) {
        const INT got = LZRead(file, piece, sizeof piece - round % 3);
        ASSERT_GE(got, 0);
        if (got == 0)
            break;
        back.insert(back.end(), piece, piece + got);
    }
    LZClose(file);
    ASSERT_EQ(back.size(), input.size());
    EXPECT_TRUE(back == input);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, SystemExpansion,
    ::testing::Values(Input{"Empty", [] { return Bytes{}; }, false},
                      Input{"OneByte", [] { return Bytes{0x5A}; }, false},
                      Input{"Repetitive", repetitive, true},
                      Input{"Random100KiB", [] { return randomBytes(100 * 1024, 256); }, false},
                      // Not a multiple of the ring's 4096 bytes, few distinct bytes.
                      Input{"Odd12289Bytes", [] { return randomBytes(12289, 5); }, true}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

} // namespace
