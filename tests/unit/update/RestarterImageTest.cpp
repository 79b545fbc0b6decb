#include "update/RestarterImage.h"

#include "support/files/TempDir.h"
#include "update/lz/Szdd.h"

#include <gtest/gtest.h>

using namespace pordane::update;
using pordane::testsupport::readAll;
using pordane::testsupport::TempDir;
using pordane::testsupport::writeAll;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text)
{
    return {text.begin(), text.end()};
}

TEST(RestarterImage, TheEmbeddedStreamIsThisBuildsPusetup)
{
    const auto expanded = szddExpand(embeddedRestarter());
    ASSERT_TRUE(expanded.ok());
    EXPECT_EQ(expanded.lastChar, 'e');
    EXPECT_EQ(expanded.bytes, bytesOf(readAll(PUSETUP_STRIPPED)));
    EXPECT_LT(embeddedRestarter().size(), expanded.bytes.size() * 3 / 4);
}

TEST(RestarterImage, WrittenExpandedExecutableAndTheCompressedFileDeleted)
{
    const TempDir dir;
    writeAll(dir / "pusetup", "an older restarter");
    const auto path = writeRestarter(dir.path());
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, dir / "pusetup");
    EXPECT_EQ(readAll(*path), readAll(PUSETUP_STRIPPED));
    EXPECT_EQ(fs::status(*path).permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

struct BadStream {
    const char* name;
    std::size_t keep;   // bytes of the stream kept
    std::int64_t delta; // added to the header's length
};

class RestarterImageBadStream : public testing::TestWithParam<BadStream> {};

TEST_P(RestarterImageBadStream, LeavesNoFileAndKeepsTheOldOne)
{
    const TempDir dir;
    writeAll(dir / "pusetup", "an older restarter");
    auto stream = szddCompress(bytesOf(std::string(5000, 'x') + "restarter"), 'e');
    stream.resize(std::min(stream.size(), GetParam().keep));
    if (stream.size() >= kSzddHeaderSize) {
        const auto length = static_cast<std::uint32_t>(5009 + GetParam().delta);
        for (int i = 0; i < 4; ++i)
            stream[10 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    }
    EXPECT_FALSE(writeRestarter(dir.path(), stream));
    EXPECT_EQ(readAll(dir / "pusetup"), "an older restarter");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(Streams, RestarterImageBadStream,
                         testing::Values(BadStream{"Empty", 0, 0}, BadStream{"HeaderOnly", 14, 0},
                                         BadStream{"Truncated", 40, 0}, BadStream{"LengthTooLong", 1 << 20, 100},
                                         BadStream{"LengthTooShort", 1 << 20, -9}),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
