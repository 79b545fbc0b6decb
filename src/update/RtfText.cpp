#include "update/RtfText.h"

#include "platform/base/TextEncoding.h"

#include <array>
#include <cstdint>
#include <vector>

namespace pordane::update {

namespace {

// Groups nested deeper than this are followed by count only.
constexpr std::size_t kMaxDepth = 256;
constexpr std::size_t kMaxWord = 32;

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

const std::string& cp1252(unsigned char b)
{
    static const auto table = [] {
        std::array<std::string, 256> t;
        for (int i = 0; i < 256; ++i) {
            const char c = static_cast<char>(i);
            t[i] = platform::windows1252ToUtf8(std::string_view(&c, 1));
        }
        return t;
    }();
    return table[b];
}

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool skippedDestination(std::string_view word)
{
    static constexpr std::string_view names[] = {
        "fonttbl", "colortbl", "stylesheet", "info", "pict", "header", "headerl", "headerr", "headerf", "footer",
        "footerl", "footerr", "footerf", "footnote", "object", "fldinst", "listtable", "listoverridetable",
        "rsidtbl", "revtbl", "filetbl", "generator", "xmlnstbl", "latentstyles", "themedata",
        "colorschememapping", "datastore", "pgdsctbl", "nonshppict", "bkmkstart", "bkmkend"};
    for (auto n : names)
        if (word == n)
            return true;
    return false;
}

// Text a control word stands for; nullptr when it stands for none.
const char* wordText(std::string_view word)
{
    struct Symbol {
        std::string_view word;
        const char* text;
    };
    static constexpr Symbol symbols[] = {
        {"par", "\n"}, {"line", "\n"}, {"row", "\n"}, {"sect", "\n"}, {"page", "\n"}, {"tab", "\t"},
        {"cell", "\t"}, {"emdash", "\u2014"}, {"endash", "\u2013"}, {"bullet", "\u2022"}, {"lquote", "\u2018"},
        {"rquote", "\u2019"}, {"ldblquote", "\u201C"}, {"rdblquote", "\u201D"}, {"emspace", " "}, {"enspace", " "}};
    for (const auto& s : symbols)
        if (word == s.word)
            return s.text;
    return nullptr;
}

class Reader {
public:
    explicit Reader(std::string_view in) : m_in(in) { m_groups.push_back({}); }

    std::string run()
    {
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (c == '{')
                open();
            else if (c == '}')
                close();
            else if (c == '\\')
                control();
            else if (c != '\r' && c != '\n')
                text(cp1252(static_cast<unsigned char>(c)));
        }
        return std::move(m_out);
    }

private:
    struct Group {
        bool skip = false;
        int fallback = 1;  // characters that follow \uN, skipped (\ucN)
        bool fresh = true;  // nothing read in it yet: a destination word may come
    };

    Group& top() { return m_groups.back(); }

    void open()
    {
        if (m_overflow > 0 || m_groups.size() >= kMaxDepth) {
            ++m_overflow;
            return;
        }
        Group g = top();
        g.fresh = true;
        m_groups.push_back(g);
        m_pendingFallback = 0;
    }

    void close()
    {
        if (m_overflow > 0)
            --m_overflow;
        else if (m_groups.size() > 1)
            m_groups.pop_back();
        m_pendingFallback = 0;
    }

    // Text, or the fallback of a \uN that is being skipped.
    void text(const std::string& utf8)
    {
        top().fresh = false;
        if (m_pendingFallback > 0) {
            --m_pendingFallback;
            return;
        }
        if (!top().skip && m_overflow == 0)
            m_out += utf8;
    }

    void control()
    {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (!isLetter(c)) {
            ++m_pos;
            symbol(c);
            return;
        }
        const std::size_t start = m_pos;
        while (m_pos < m_in.size() && isLetter(m_in[m_pos]))
            ++m_pos;
        // No word is longer; a longer one is read whole and means nothing.
        const std::string_view word = m_in.substr(start, std::min(m_pos - start, kMaxWord));
        bool hasParam = false;
        long long param = 0;
        if (m_pos < m_in.size() && (m_in[m_pos] == '-' || isDigit(m_in[m_pos]))) {
            const bool negative = m_in[m_pos] == '-';
            if (negative)
                ++m_pos;
            for (int digits = 0; m_pos < m_in.size() && isDigit(m_in[m_pos]); ++digits, ++m_pos)
                if (digits < 10)
                    param = param * 10 + (m_in[m_pos] - '0');
            param = negative ? -param : param;
            hasParam = true;
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos;
        controlWord(word, hasParam, param);
    }

    void symbol(char c)
    {
        switch (c) {
        case '\'': {
            const int hi = m_pos < m_in.size() ? platform::hexDigitValue(m_in[m_pos]) : -1;
            const int lo = m_pos + 1 < m_in.size() ? platform::hexDigitValue(m_in[m_pos + 1]) : -1;
            if (hi < 0 || lo < 0)
                return;
            m_pos += 2;
            text(cp1252(static_cast<unsigned char>(hi * 16 + lo)));
            return;
        }
        case '*':
            top().skip = true;
            return;
        case '~': text("\u00A0"); return;
        case '_': text("-"); return;
        case '-': return;
        case '\r':
        case '\n': text("\n"); return;  // a backslash before a line break is \par
        default: text(std::string(1, c)); return;  // \\ \{ \} and the rest as they are
        }
    }

    void controlWord(std::string_view word, bool hasParam, long long param)
    {
        const bool fresh = top().fresh;
        top().fresh = false;
        if (word == "bin") {
            // Binary data of the given length, never text.
            const auto n = hasParam && param > 0 ? static_cast<std::size_t>(param) : 0;
            m_pos += std::min(n, m_in.size() - m_pos);
            return;
        }
        if (word == "uc") {
            top().fallback = hasParam && param >= 0 && param < 16 ? static_cast<int>(param) : 1;
            return;
        }
        if (word == "u" && hasParam) {
            unicode(static_cast<std::uint32_t>(param < 0 ? param + 65536 : param) & 0xFFFF);
            return;
        }
        if (fresh && skippedDestination(word)) {
            top().skip = true;
            return;
        }
        if (const char* t = wordText(word)) {
            text(t);
            return;
        }
        // Any other word is formatting; it still counts as one fallback character.
        if (m_pendingFallback > 0)
            --m_pendingFallback;
    }

    void unicode(std::uint32_t unit)
    {
        m_pendingFallback = 0;
        std::string utf8;
        if (unit >= 0xD800 && unit < 0xDC00) {
            m_highSurrogate = unit;
        } else {
            std::uint32_t cp = unit;
            if (unit >= 0xDC00 && unit < 0xE000)
                cp = m_highSurrogate ? 0x10000 + ((m_highSurrogate - 0xD800) << 10) + (unit - 0xDC00) : 0xFFFD;
            m_highSurrogate = 0;
            appendUtf8(utf8, cp);
            text(utf8);
        }
        m_pendingFallback = top().fallback;
    }

    std::string_view m_in;
    std::size_t m_pos = 0;
    std::vector<Group> m_groups;
    std::size_t m_overflow = 0;
    int m_pendingFallback = 0;
    std::uint32_t m_highSurrogate = 0;
    std::string m_out;
};

} // namespace

bool looksLikeRtf(std::string_view text)
{
    static constexpr std::string_view head = "{\\rtf";
    if (text.size() < head.size())
        return false;
    for (std::size_t i = 0; i < head.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != head[i])
            return false;
    }
    return true;
}

std::string rtfToText(std::string_view rtf)
{
    return Reader(rtf).run();
}

} // namespace pordane::update
