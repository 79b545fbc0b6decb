#include "update/profile/ProfileFile.h"

#include "platform/base/TextEncoding.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <system_error>

namespace pordane::profile {

namespace {

std::string_view trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view unquote(std::string_view s)
{
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

} // namespace

ProfileFile ProfileFile::load(const std::filesystem::path& file)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec || size > MaxBytes)
        return {};
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return parse(bytes);
}

ProfileFile ProfileFile::parse(std::string_view bytes)
{
    ProfileFile result;
    if (bytes.size() > MaxBytes || bytes.find('\0') != std::string_view::npos)
        return result;
    std::string text;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (platform::isValidUtf8(bytes))
        text.assign(bytes);
    else
        text = platform::windows1252ToUtf8(bytes);

    Keys* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t stop = text.find('\n', start);
        if (stop == std::string::npos)
            stop = text.size();
        const std::string_view line = trim(std::string_view(text).substr(start, stop - start));
        start = stop + 1;
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            // "[name]": text after the closing bracket is ignored, as the
            // profile functions do; a line without one is no section header.
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos) {
                current = nullptr;
                continue;
            }
            // A repeated section adds only the keys not seen before.
            current = &result.m_sections[platform::foldCase(trim(line.substr(1, close - 1)))];
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos)
            continue;
        const std::string key = platform::foldCase(trim(line.substr(0, eq)));
        if (key.empty())
            continue;
        current->try_emplace(key, unquote(trim(line.substr(eq + 1))));
    }
    return result;
}

bool ProfileFile::hasSection(std::string_view section) const
{
    return m_sections.count(platform::foldCase(trim(section))) != 0;
}

long long ProfileFile::highestNumberedSection(std::string_view prefix) const
{
    const std::string folded = platform::foldCase(prefix);
    long long highest = 0;
    for (const auto& [name, keys] : m_sections) {
        if (!name.starts_with(folded) || name.size() == folded.size() || name.size() > folded.size() + 10)
            continue;
        const std::string_view digits = std::string_view(name).substr(folded.size());
        long long n = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
        if (ec == std::errc() && end == digits.data() + digits.size() && digits.front() != '0' && n > highest)
            highest = n;
    }
    return highest;
}

std::optional<std::string> ProfileFile::find(std::string_view section, std::string_view key) const
{
    const auto s = m_sections.find(platform::foldCase(section));
    if (s == m_sections.end())
        return std::nullopt;
    const auto k = s->second.find(platform::foldCase(key));
    if (k == s->second.end())
        return std::nullopt;
    return k->second;
}

std::string ProfileFile::readString(std::string_view section, std::string_view key, std::string_view def) const
{
    auto value = find(section, key);
    return value ? std::move(*value) : std::string(def);
}

int ProfileFile::readInteger(std::string_view section, std::string_view key, int def) const
{
    const std::string text = readString(section, key);
    std::string_view v = trim(text);
    bool negative = false;
    if (!v.empty() && (v.front() == '-' || v.front() == '+')) {
        negative = v.front() == '-';
        v.remove_prefix(1);
    }
    int base = 10;
    if (v.starts_with("$")) {
        base = 16;
        v.remove_prefix(1);
    } else if (v.starts_with("0x") || v.starts_with("0X")) {
        base = 16;
        v.remove_prefix(2);
    }
    if (v.empty())
        return def;
    long long value = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value, base);
    if (ec != std::errc() || end != v.data() + v.size())
        return def;
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return def;
    return static_cast<int>(value);
}

} // namespace pordane::profile
