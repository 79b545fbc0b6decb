#include "platform/posix/WineHive.h"

#include "platform/base/PathMatch.h"
#include "platform/base/TextEncoding.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace pordane::platform {

namespace {

constexpr std::uint32_t RegSz = 1;
constexpr std::uint32_t RegExpandSz = 2;
constexpr std::uint32_t RegBinary = 3;
constexpr std::uint32_t RegDword = 4;

struct Value {
    std::string name;
    std::uint32_t type = RegSz;
    bool isText = false;   // written as "..." / str(N):"..."
    std::string text;      // UTF-8, when isText
    std::string bytes;     // raw data, when written as hex
};

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::size_t skipSpaces(std::string_view s, std::size_t pos)
{
    while (pos < s.size() && isSpace(s[pos]))
        ++pos;
    return pos;
}

// Reads an escaped string from s[pos] up to the unescaped `end`, the way
// Wine's parse_strW does: \a \b \e \f \n \r \t \v, \xH to \xHHHH (a UTF-16
// unit), \O to \OOO (octal), and a backslash before any other character
// standing for that character. Returns the index past `end`, or nullopt when
// the line ends first. Bytes beyond ASCII (Wine never writes them) are read
// as Latin-1.
std::optional<std::size_t> parseEscaped(std::string_view s, std::size_t pos, char end, std::u16string& out)
{
    while (pos < s.size()) {
        const char c = s[pos];
        if (c == end)
            return pos + 1;
        if (c != '\\') {
            out += static_cast<char16_t>(static_cast<unsigned char>(c));
            ++pos;
            continue;
        }
        ++pos;
        if (pos >= s.size())
            return std::nullopt;
        const char e = s[pos];
        switch (e) {
        case 'a': out += u'\a'; ++pos; break;
        case 'b': out += u'\b'; ++pos; break;
        case 'e': out += char16_t{0x1B}; ++pos; break;
        case 'f': out += u'\f'; ++pos; break;
        case 'n': out += u'\n'; ++pos; break;
        case 'r': out += u'\r'; ++pos; break;
        case 't': out += u'\t'; ++pos; break;
        case 'v': out += u'\v'; ++pos; break;
        case 'x': {
            ++pos;
            if (pos >= s.size() || hexDigitValue(s[pos]) < 0) {
                out += u'x';
                break;
            }
            char16_t unit = 0;
            for (int i = 0; i < 4 && pos < s.size() && hexDigitValue(s[pos]) >= 0; ++i, ++pos)
                unit = static_cast<char16_t>(unit * 16 + hexDigitValue(s[pos]));
            out += unit;
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                char16_t unit = 0;
                for (int i = 0; i < 3 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7'; ++i, ++pos)
                    unit = static_cast<char16_t>(unit * 8 + (s[pos] - '0'));
                out += unit;
            } else {
                out += static_cast<char16_t>(static_cast<unsigned char>(e));
                ++pos;
            }
        }
    }
    return std::nullopt;
}

} // namespace

struct WineHive::Node {
    std::string name;
    std::map<std::string, std::unique_ptr<Node>> children; // by folded name
    std::map<std::string, Value> values;                   // by folded name

    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    // Frees the subtree with an explicit stack: a recursive release of a
    // hostile, deeply nested tree would overflow the call stack.
    ~Node()
    {
        std::vector<std::unique_ptr<Node>> pending;
        const auto takeChildren = [&pending](Node& node) {
            for (auto& entry : node.children)
                if (entry.second)
                    pending.push_back(std::move(entry.second));
            node.children.clear();
        };
        takeChildren(*this);
        while (!pending.empty()) {
            std::unique_ptr<Node> node = std::move(pending.back());
            pending.pop_back();
            takeChildren(*node);
        }
    }

    Node& child(const std::string& childName)
    {
        auto& slot = children[foldCase(childName)];
        if (!slot) {
            slot = std::make_unique<Node>();
            slot->name = childName;
        }
        return *slot;
    }
};

namespace {

class WineKey final : public RegistryKey {
public:
    template <typename NodeT>
    explicit WineKey(const NodeT& node)
    {
        for (const auto& [folded, child] : node.children)
            m_subkeys.push_back(child->name);
        m_values = &node.values;
    }

    std::optional<std::string> readString(std::string_view name) const override
    {
        auto it = m_values->find(foldCase(name));
        if (it == m_values->end())
            return std::nullopt;
        const Value& v = it->second;
        if (v.type != RegSz && v.type != RegExpandSz)
            return std::nullopt;
        if (v.isText)
            return v.text;
        // hex(1)/hex(2): UTF-16LE bytes, normally ending in a NUL unit.
        std::u16string units;
        for (std::size_t i = 0; i + 1 < v.bytes.size(); i += 2) {
            const auto unit = static_cast<char16_t>(static_cast<unsigned char>(v.bytes[i])
                                                    | (static_cast<unsigned char>(v.bytes[i + 1]) << 8));
            if (unit == 0)
                break;
            units += unit;
        }
        return utf16ToUtf8(units);
    }

    std::vector<std::string> subkeyNames() const override { return m_subkeys; }

private:
    std::vector<std::string> m_subkeys;
    const std::map<std::string, Value>* m_values = nullptr;
};

} // namespace

struct WineHive::Parser {
    WineHive& hive;
    std::vector<std::string_view> lines;
    std::size_t index = 0;
    Node* current = nullptr;
    bool seenKey = false;
    bool tooDeep = false;

    void run()
    {
        for (index = 1; index < lines.size() && !tooDeep; ++index) {
            std::string_view line = lines[index];
            const std::size_t start = skipSpaces(line, 0);
            line.remove_prefix(start);
            if (line.empty() || line[0] == ';')
                continue;
            bool ok = true;
            switch (line[0]) {
            case '[':
                ok = keyLine(line);
                break;
            case '@':
            case '"':
                ok = current != nullptr && valueLine(line);
                break;
            case '#':
                if (!seenKey && line.substr(0, 11) == "#arch=win64")
                    hive.m_win64 = true;
                break;
            default:
                ok = false;
            }
            if (!ok)
                ++hive.m_skippedLines;
        }
    }

    bool keyLine(std::string_view line)
    {
        seenKey = true;
        current = nullptr;
        std::u16string path;
        if (!parseEscaped(line, 1, ']', path))
            return false;
        const auto parts = splitAt(utf16ToUtf8(path), "\\");
        if (parts.empty())
            return false;
        if (parts.size() > MaxKeyDepth) {
            tooDeep = true;
            return false;
        }
        Node* node = hive.m_root.get();
        for (const auto& part : parts)
            node = &node->child(part);
        current = node;
        return true;
    }

    bool valueLine(std::string_view line)
    {
        std::u16string name;
        std::size_t pos = 1;
        if (line[0] == '"') {
            auto after = parseEscaped(line, 1, '"', name);
            if (!after)
                return false;
            pos = *after;
        }
        pos = skipSpaces(line, pos);
        if (pos >= line.size() || line[pos] != '=')
            return false;
        pos = skipSpaces(line, pos + 1);

        Value value;
        value.name = utf16ToUtf8(name);
        std::string_view data = line.substr(pos);
        if (!parseData(data, value))
            return false;
        current->values[foldCase(value.name)] = std::move(value);
        return true;
    }

    // Reads "hex(N):" style type numbers; returns the index past "):".
    static std::optional<std::size_t> typeNumber(std::string_view data, std::size_t pos, std::uint32_t& type)
    {
        std::uint32_t n = 0;
        std::size_t digits = 0;
        while (pos < data.size() && hexDigitValue(data[pos]) >= 0 && digits < 8) {
            n = n * 16 + static_cast<std::uint32_t>(hexDigitValue(data[pos]));
            ++pos;
            ++digits;
        }
        if (digits == 0 || data.substr(pos, 2) != "):")
            return std::nullopt;
        type = n;
        return pos + 2;
    }

    bool parseData(std::string_view data, Value& value)
    {
        if (data.substr(0, 1) == "\"")
            return stringData(data, 1, RegSz, value);
        if (data.substr(0, 5) == "str:\"")
            return stringData(data, 5, RegSz, value);
        if (data.substr(0, 4) == "str(") {
            std::uint32_t type = 0;
            auto pos = typeNumber(data, 4, type);
            if (!pos || data.substr(*pos, 1) != "\"")
                return false;
            return stringData(data, *pos + 1, type, value);
        }
        if (data.substr(0, 6) == "dword:") {
            std::uint32_t n = 0;
            std::size_t pos = 6, digits = 0;
            while (pos < data.size() && hexDigitValue(data[pos]) >= 0 && digits < 8) {
                n = n * 16 + static_cast<std::uint32_t>(hexDigitValue(data[pos]));
                ++pos;
                ++digits;
            }
            if (digits == 0)
                return false;
            value.type = RegDword;
            for (int i = 0; i < 4; ++i)
                value.bytes += static_cast<char>((n >> (8 * i)) & 0xFF);
            return true;
        }
        if (data.substr(0, 4) == "hex:") {
            value.type = RegBinary;
            return hexData(data, 4, value);
        }
        if (data.substr(0, 4) == "hex(") {
            auto pos = typeNumber(data, 4, value.type);
            return pos && hexData(data, *pos, value);
        }
        return false;
    }

    static bool stringData(std::string_view data, std::size_t pos, std::uint32_t type, Value& value)
    {
        std::u16string text;
        if (!parseEscaped(data, pos, '"', text))
            return false;
        value.type = type;
        value.isText = true;
        value.text = utf16ToUtf8(text);
        return true;
    }

    // "01,02,ab,\" with the data going on in the next line after a trailing
    // backslash (Wine wraps lines near 80 columns).
    bool hexData(std::string_view data, std::size_t pos, Value& value)
    {
        for (;;) {
            pos = skipSpaces(data, pos);
            if (pos >= data.size())
                return true;
            if (data[pos] == '\\') {
                if (skipSpaces(data, pos + 1) != data.size() || index + 1 >= lines.size())
                    return false;
                data = lines[++index];
                pos = 0;
                continue;
            }
            const int high = hexDigitValue(data[pos]);
            if (high < 0)
                return false;
            int byte = high;
            ++pos;
            if (pos < data.size() && hexDigitValue(data[pos]) >= 0) {
                byte = byte * 16 + hexDigitValue(data[pos]);
                ++pos;
            }
            value.bytes += static_cast<char>(byte);
            pos = skipSpaces(data, pos);
            if (pos < data.size() && data[pos] == ',')
                ++pos;
            else if (pos < data.size() && data[pos] != '\\')
                return false;
        }
    }
};

WineHive::WineHive() : m_root(std::make_unique<Node>()) {}
WineHive::~WineHive() = default;
WineHive::WineHive(WineHive&&) noexcept = default;
WineHive& WineHive::operator=(WineHive&&) noexcept = default;

WineHive WineHive::parse(std::string_view text)
{
    WineHive hive;
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t stop = text.find('\n', start);
        if (stop == std::string_view::npos)
            stop = text.size();
        std::string_view line = text.substr(start, stop - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = stop + 1;
    }
    if (lines.empty() || lines[0] != "WINE REGISTRY Version 2")
        return hive;
    hive.m_recognised = true;
    Parser parser{hive, std::move(lines)};
    parser.run();
    if (parser.tooDeep) {
        WineHive damaged;
        damaged.m_damaged = true;
        return damaged;
    }
    return hive;
}

WineHive WineHive::load(const std::filesystem::path& file, std::uintmax_t maxBytes)
{
    WineHive damaged;
    damaged.m_damaged = true;
    try {
        // Checked before opening: opening a FIFO would block until a writer
        // comes, and a device such as /dev/zero never ends.
        std::error_code ec;
        const auto status = std::filesystem::status(file, ec);
        if (ec || !std::filesystem::exists(status))
            return WineHive{};
        if (!std::filesystem::is_regular_file(status))
            return damaged;
        std::ifstream in(file, std::ios::binary);
        if (!in)
            return WineHive{};
        // Read in pieces up to one byte past the cap, so a file that grew
        // after the check is caught too.
        std::string text;
        std::vector<char> piece(64 * 1024);
        while (in && text.size() <= maxBytes) {
            in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
            text.append(piece.data(), static_cast<std::size_t>(in.gcount()));
        }
        if (in.bad())
            return WineHive{};
        if (text.size() > maxBytes)
            return damaged;
        return parse(text);
    } catch (...) {
        return WineHive{};
    }
}

const WineHive::Node* WineHive::find(const std::vector<std::string>& components) const
{
    const Node* node = m_root.get();
    for (const auto& part : components) {
        auto it = node->children.find(foldCase(part));
        if (it == node->children.end())
            return nullptr;
        node = it->second.get();
    }
    return node;
}

std::unique_ptr<RegistryKey> WineHive::openKey(RegistryRoot root, std::string_view path) const
{
    std::vector<std::string> parts = splitAt(path, "\\");
    if (root == RegistryRoot::ClassesRoot)
        parts.insert(parts.begin(), {"Software", "Classes"});
    if (m_win64 && parts.size() >= 2 && equalsIgnoreCase(parts[0], "Software")
        && !equalsIgnoreCase(parts[1], "Wow6432Node")) {
        std::vector<std::string> redirected = parts;
        const std::size_t at = (parts.size() >= 3 && equalsIgnoreCase(parts[1], "Classes")) ? 2 : 1;
        redirected.insert(redirected.begin() + static_cast<std::ptrdiff_t>(at), "Wow6432Node");
        if (const Node* node = find(redirected))
            return std::make_unique<WineKey>(*node);
    }
    if (const Node* node = find(parts))
        return std::make_unique<WineKey>(*node);
    return nullptr;
}

std::unique_ptr<RegistryKey> WineHive::openMachineKey(std::string_view path) const
{
    if (const Node* node = find(splitAt(path, "\\")))
        return std::make_unique<WineKey>(*node);
    return nullptr;
}

} // namespace pordane::platform
