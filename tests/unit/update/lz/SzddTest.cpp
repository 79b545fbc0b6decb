#include "update/lz/Szdd.h"

#include <gtest/gtest.h>

#include <random>

using namespace pordane::update;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes randomBytes(std::size_t n, unsigned alphabet, unsigned seed)
{
    std::mt19937 gen(seed);
    Bytes out(n);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(' ' + gen() % alphabet);
    return out;
}

Bytes withLength(Bytes stream, std::uint32_t length)
{
    for (int i = 0; i < 4; ++i)
        stream[10 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    return stream;
}

struct RoundTripCase {
    std::size_t size;
    unsigned alphabet; // 256: incompressible; small: many references
};

class SzddRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(SzddRoundTrip, ExpandsToTheInput)
{
    const auto data = randomBytes(GetParam().size, GetParam().alphabet, static_cast<unsigned>(GetParam().size));
    const auto stream = szddCompress(data, 'e');
    const auto back = szddExpand(stream);
    ASSERT_TRUE(back.ok()) << szddErrorText(back.error);
    EXPECT_EQ(back.lastChar, 'e');
    EXPECT_EQ(back.bytes, data);
    if (GetParam().alphabet < 8 && data.size() > 1000) {
        EXPECT_LT(stream.size(), data.size() / 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SzddRoundTrip,
                         testing::Values(RoundTripCase{0, 256}, RoundTripCase{1, 256}, RoundTripCase{17, 3},
                                         RoundTripCase{4095, 4}, RoundTripCase{4096, 256}, RoundTripCase{4097, 2},
                                         RoundTripCase{70000, 5}, RoundTripCase{70001, 256}));

TEST(Szdd, RoundTripOfARealExecutable)
{
    const auto self = readFileBytes("/proc/self/exe");
    ASSERT_TRUE(self && self->size() > 100000);
    const auto stream = szddCompress(*self, 'x');
    EXPECT_LT(stream.size(), self->size());
    const auto back = szddExpand(stream);
    ASSERT_TRUE(back.ok());
    EXPECT_TRUE(back.bytes == *self);
}

class SzddReferenceLength : public testing::TestWithParam<std::size_t> {};

// A unique run, then its first `len` bytes again: the compressor must emit a
// reference of exactly that length, and our expander must take it back.
TEST_P(SzddReferenceLength, EmittedAndExpanded)
{
    const std::size_t len = GetParam();
    Bytes data;
    for (int i = 0; i < 40; ++i)
        data.push_back(static_cast<std::uint8_t>(0x80 + i));
    data.insert(data.end(), data.begin() + 5, data.begin() + 5 + static_cast<long>(len));
    data.push_back(0x01);
    SzddStats stats;
    const auto back = szddExpand(szddCompress(data, 'e'), &stats);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.bytes, data);
    for (std::size_t other = kSzddMinMatch; other <= kSzddMaxMatch; ++other)
        EXPECT_EQ(stats.referencesByLength[other], other == len ? 1u : 0u) << other;
    EXPECT_EQ(stats.literals, 41u);
}

INSTANTIATE_TEST_SUITE_P(EveryLength, SzddReferenceLength, testing::Range<std::size_t>(3, 19));

TEST(Szdd, LeadingBlanksComeFromTheInitialRing)
{
    Bytes data(30, ' ');
    data.push_back('z');
    SzddStats stats;
    const auto back = szddExpand(szddCompress(data, 'e'), &stats);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.bytes, data);
    EXPECT_EQ(stats.literals, 1u); // only the 'z'
}

TEST(Szdd, HandMadeStreamWithAnOverlappingReference)
{
    // literal 'a' at ring 0xFF0, then a reference to 0xFF0 of length 4: "aaaaa".
    const Bytes stream = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 't', 5, 0, 0, 0, 0x01, 'a', 0xF0, 0xF1};
    const auto back = szddExpand(stream);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(std::string(back.bytes.begin(), back.bytes.end()), "aaaaa");
    EXPECT_EQ(back.lastChar, 't');
}

TEST(Szdd, EveryTruncationFailsCleanly)
{
    const auto data = randomBytes(3000, 6, 7);
    const auto stream = szddCompress(data, 'e');
    for (std::size_t cut = 0; cut < stream.size(); ++cut) {
        const auto back = szddExpand(std::span(stream).first(cut));
        EXPECT_FALSE(back.ok()) << cut;
        EXPECT_TRUE(back.bytes.empty());
        EXPECT_EQ(back.error, cut < kSzddHeaderSize ? SzddError::NotSzdd : SzddError::Truncated) << cut;
    }
}

struct LieCase {
    const char* name;
    std::int64_t delta; // added to the true length; INT64_MIN: 0xFFFFFFFF
    SzddError expected;
};

class SzddHeaderLie : public testing::TestWithParam<LieCase> {};

TEST_P(SzddHeaderLie, Fails)
{
    const auto data = randomBytes(5000, 4, 11);
    const auto stream = szddCompress(data, 'e');
    const std::uint32_t length = GetParam().delta == INT64_MIN
                                     ? 0xFFFFFFFFu
                                     : static_cast<std::uint32_t>(std::int64_t(data.size()) + GetParam().delta);
    const auto back = szddExpand(withLength(stream, length));
    EXPECT_EQ(back.error, GetParam().expected);
    EXPECT_TRUE(back.bytes.empty());
}

INSTANTIATE_TEST_SUITE_P(Lengths, SzddHeaderLie,
                         testing::Values(LieCase{"OneMore", 1, SzddError::Truncated},
                                         LieCase{"OneLess", -1, SzddError::LengthMismatch},
                                         LieCase{"Zero", -5000, SzddError::LengthMismatch},
                                         LieCase{"Huge", INT64_MIN, SzddError::Truncated}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Szdd, NotAStream)
{
    auto stream = szddCompress(randomBytes(100, 256, 3), 'e');
    EXPECT_EQ(szddExpand(std::span(stream).first(kSzddHeaderSize)).error, SzddError::Truncated);
    stream[8] = 'B';
    EXPECT_EQ(szddExpand(stream).error, SzddError::NotSzdd);
    stream[8] = 'A';
    stream[3] = 'Q';
    EXPECT_EQ(szddExpand(stream).error, SzddError::NotSzdd);
}

TEST(Szdd, ExpandedName)
{
    EXPECT_EQ(szddExpandedName("pusetup.ex_", 'e'), "pusetup.exe");
    EXPECT_EQ(szddExpandedName("LEEME.TX_", 'T'), "LEEME.TXT");
    EXPECT_EQ(szddExpandedName("a_", 0), "a");
    EXPECT_EQ(szddExpandedName("plain.bin", 'e'), "plain.bin");
    EXPECT_EQ(szddExpandedName("", 'e'), "");
}

} // namespace
