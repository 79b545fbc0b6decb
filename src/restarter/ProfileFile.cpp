#include "restarter/ProfileFile.h"

#include <charconv>
#include <fstream>
#include <iterator>

namespace pordane::restarter {

namespace {

// Files above this size are not initialisation files; they read as empty.
constexpr std::uintmax_t kMaxSize = 1 << 20;

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

bool equalsAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

bool endsWithAscii(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && equalsAscii(text.substr(text.size() - suffix.size()), suffix);
}

ProfileFile ProfileFile::parse(std::string_view text)
{
    ProfileFile file;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::string section;
    bool inSection = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            section = std::string(trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)));
            inSection = true;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSection || eq == std::string_view::npos)
            continue;
        std::string_view value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        file.m_entries.push_back({section, std::string(trim(line.substr(0, eq))), std::string(value)});
    }
    return file;
}

ProfileFile ProfileFile::load(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxSize)
        return {};
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return parse(text);
}

std::optional<std::string> ProfileFile::value(std::string_view section, std::string_view key) const
{
    for (const auto& e : m_entries)
        if (equalsAscii(e.section, section) && equalsAscii(e.key, key))
            return e.value;
    return std::nullopt;
}

std::string ProfileFile::value(std::string_view section, std::string_view key, std::string_view fallback) const
{
    auto v = value(section, key);
    return v && !v->empty() ? *v : std::string(fallback);
}

long long ProfileFile::number(std::string_view section, std::string_view key, long long fallback) const
{
    const auto v = value(section, key);
    long long n = 0;
    if (!v || v->empty() || std::from_chars(v->data(), v->data() + v->size(), n).ec != std::errc{})
        return fallback;
    return n;
}

} // namespace pordane::restarter
