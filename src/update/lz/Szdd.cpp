#include "update/lz/Szdd.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace pordane::update {

namespace {

constexpr std::uint8_t kMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr std::size_t kRing = 4096;
constexpr std::size_t kStart = kRing - 16;
// Distances of at most kRing - 1, so a reference never meets the slot the
// expander is about to overwrite.
constexpr std::size_t kMaxDistance = kRing - 1;
constexpr std::size_t kPrefix = kMaxDistance;  // blanks the ring holds at start
constexpr std::size_t kHashSize = 1 << 14;
constexpr int kMaxChain = 256;
// The best a stream can do: a flag byte and eight 18-byte references.
constexpr std::uint64_t kMaxRatioNum = 8 * kSzddMaxMatch, kMaxRatioDen = 1 + 8 * 2;

// The input seen through the ring: kPrefix blanks, then the data.
class Window {
public:
    explicit Window(std::span<const std::uint8_t> data) : m_data(data) {}
    std::size_t size() const { return kPrefix + m_data.size(); }
    std::uint8_t at(std::size_t i) const { return i < kPrefix ? ' ' : m_data[i - kPrefix]; }
    static std::uint16_t ringPosition(std::size_t i) { return (i + kStart - kPrefix) & (kRing - 1); }

private:
    std::span<const std::uint8_t> m_data;
};

class MatchFinder {
public:
    explicit MatchFinder(const Window& w) : m_w(w), m_head(kHashSize, -1), m_prev(kRing, -1) {}

    void insert(std::size_t i)
    {
        if (i + kSzddMinMatch > m_w.size())
            return;
        const std::size_t h = hash(i);
        m_prev[i & (kRing - 1)] = m_head[h];
        m_head[h] = static_cast<long>(i);
    }

    // Longest match for position i among earlier positions within reach.
    std::pair<std::size_t, std::size_t> longest(std::size_t i) const
    {
        std::size_t bestLen = 0, bestPos = 0;
        if (i + kSzddMinMatch > m_w.size())
            return {0, 0};
        const std::size_t limit = std::min(kSzddMaxMatch, m_w.size() - i);
        long cand = m_head[hash(i)];
        for (int chain = 0; cand >= 0 && chain < kMaxChain; ++chain) {
            const auto c = static_cast<std::size_t>(cand);
            if (c >= i || i - c > kMaxDistance)
                break;
            std::size_t len = 0;
            while (len < limit && m_w.at(c + len) == m_w.at(i + len))
                ++len;
            if (len > bestLen) {
                bestLen = len;
                bestPos = c;
                if (len == limit)
                    break;
            }
            const long next = m_prev[c & (kRing - 1)];
            if (next >= cand)
                break;  // the slot was reused by a newer position
            cand = next;
        }
        return {bestLen, bestPos};
    }

private:
    std::size_t hash(std::size_t i) const
    {
        const std::uint32_t v = (std::uint32_t(m_w.at(i)) << 16) | (std::uint32_t(m_w.at(i + 1)) << 8) | m_w.at(i + 2);
        return (v * 2654435761u) >> (32 - 14);
    }

    const Window& m_w;
    std::vector<long> m_head;
    std::vector<long> m_prev;
};

class TokenWriter {
public:
    explicit TokenWriter(std::vector<std::uint8_t>& out) : m_out(out) {}
    void literal(std::uint8_t b)
    {
        flag(true);
        m_out.push_back(b);
    }
    void reference(std::uint16_t pos, std::size_t len)
    {
        flag(false);
        m_out.push_back(static_cast<std::uint8_t>(pos & 0xFF));
        m_out.push_back(static_cast<std::uint8_t>(((pos >> 4) & 0xF0) | (len - kSzddMinMatch)));
    }

private:
    void flag(bool literal)
    {
        if (m_bit == 8) {
            m_flagAt = m_out.size();
            m_out.push_back(0);
            m_bit = 0;
        }
        if (literal)
            m_out[m_flagAt] |= static_cast<std::uint8_t>(1u << m_bit);
        ++m_bit;
    }

    std::vector<std::uint8_t>& m_out;
    std::size_t m_flagAt = 0;
    int m_bit = 8;
};

std::uint32_t readLe32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

} // namespace

std::vector<std::uint8_t> szddCompress(std::span<const std::uint8_t> data, char lastChar)
{
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    const auto n = static_cast<std::uint32_t>(data.size());
    out.push_back('A');
    out.push_back(static_cast<std::uint8_t>(lastChar));
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(n >> shift));

    const Window w(data);
    MatchFinder finder(w);
    TokenWriter tokens(out);
    for (std::size_t i = 0; i < kPrefix; ++i)
        finder.insert(i);
    std::size_t i = kPrefix;
    while (i < w.size()) {
        auto [len, pos] = finder.longest(i);
        if (len >= kSzddMinMatch && len < kSzddMaxMatch) {
            // One step of lazy matching: a literal now may buy a longer match.
            finder.insert(i);
            const auto [nextLen, nextPos] = finder.longest(i + 1);
            if (nextLen > len) {
                tokens.literal(w.at(i));
                ++i;
                finder.insert(i);
                len = nextLen;
                pos = nextPos;
            }
        } else {
            finder.insert(i);
        }
        if (len >= kSzddMinMatch) {
            tokens.reference(Window::ringPosition(pos), len);
            for (std::size_t k = 1; k < len; ++k)
                finder.insert(i + k);
            i += len;
        } else {
            tokens.literal(w.at(i));
            ++i;
        }
    }
    return out;
}

SzddExpansion szddExpand(std::span<const std::uint8_t> stream, SzddStats* stats)
{
    SzddExpansion result;
    if (stream.size() < kSzddHeaderSize || !std::equal(std::begin(kMagic), std::end(kMagic), stream.begin()) ||
        stream[8] != 'A') {
        result.error = SzddError::NotSzdd;
        return result;
    }
    result.lastChar = static_cast<char>(stream[9]);
    const std::uint32_t length = readLe32(stream.data() + 10);
    const std::span<const std::uint8_t> body = stream.subspan(kSzddHeaderSize);
    if (std::uint64_t(length) * kMaxRatioDen > std::uint64_t(body.size()) * kMaxRatioNum + kMaxRatioNum * kMaxRatioDen) {
        result.error = SzddError::Truncated;
        return result;
    }

    std::array<std::uint8_t, kRing> ring;
    ring.fill(' ');
    std::size_t r = kStart;
    std::vector<std::uint8_t> out;
    out.reserve(length);
    std::size_t in = 0;
    const auto fail = [&](SzddError e) {
        result.error = e;
        return result;
    };
    while (in < body.size()) {
        const std::uint8_t flags = body[in++];
        for (int bit = 0; bit < 8 && in < body.size(); ++bit) {
            if (out.size() >= length)
                return fail(SzddError::LengthMismatch);
            if (flags & (1u << bit)) {
                const std::uint8_t b = body[in++];
                ring[r] = b;
                r = (r + 1) & (kRing - 1);
                out.push_back(b);
                if (stats)
                    ++stats->literals;
                continue;
            }
            if (in + 2 > body.size())
                return fail(SzddError::Truncated);
            std::size_t pos = body[in] | ((body[in + 1] & 0xF0) << 4);
            const std::size_t len = (body[in + 1] & 0x0F) + kSzddMinMatch;
            in += 2;
            if (out.size() + len > length)
                return fail(SzddError::LengthMismatch);
            for (std::size_t k = 0; k < len; ++k) {
                const std::uint8_t b = ring[pos];
                pos = (pos + 1) & (kRing - 1);
                ring[r] = b;
                r = (r + 1) & (kRing - 1);
                out.push_back(b);
            }
            if (stats)
                ++stats->referencesByLength[len];
        }
    }
    if (out.size() != length)
        return fail(SzddError::Truncated);
    result.bytes = std::move(out);
    return result;
}

std::string szddExpandedName(const std::string& compressedName, char lastChar)
{
    if (compressedName.empty() || compressedName.back() != '_')
        return compressedName;
    std::string name = compressedName;
    name.pop_back();
    if (lastChar != 0)
        name.push_back(lastChar);
    return name;
}

const char* szddErrorText(SzddError error)
{
    switch (error) {
    case SzddError::None: return "ok";
    case SzddError::NotSzdd: return "not an SZDD stream";
    case SzddError::Truncated: return "stream ends before its length";
    case SzddError::LengthMismatch: return "stream longer than its length";
    }
    return "?";
}

std::optional<std::vector<std::uint8_t>> readFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    return bytes;
}

} // namespace pordane::update
