#include "update/VersionRules.h"

#include <chrono>
#include <fstream>
#include <system_error>
#include <vector>

namespace pordane::update {

namespace {

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Leading decimal digits of a part; nullopt when it starts with none.
std::optional<uint32_t> leadingNumber(std::string_view part)
{
    part = trimBlanks(part);
    uint32_t value = 0;
    std::size_t digits = 0;
    for (char c : part) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<uint32_t>(c - '0');
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

bool readLocalDate(std::string_view text, int& day, int& month, int& year)
{
    int parts[3] = {0, 0, 0};
    int count = 0;
    int digits = 0;
    for (char c : trimBlanks(text)) {
        if (c >= '0' && c <= '9') {
            if (++digits > 4)
                return false;
            parts[count] = parts[count] * 10 + (c - '0');
        } else if (c == '/' && digits > 0 && count < 2) {
            ++count;
            digits = 0;
        } else {
            return false;
        }
    }
    if (count != 2 || digits == 0)
        return false;
    day = parts[0];
    month = parts[1];
    year = parts[2] < 100 ? 2000 + parts[2] : parts[2];
    static constexpr int lengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > lengths[month - 1] || year < 1601)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

bool readLocalTime(std::string_view text, int& hour, int& minute, int& second)
{
    std::vector<int> parts{0};
    int digits = 0;
    for (char c : trimBlanks(text)) {
        if (c >= '0' && c <= '9') {
            if (++digits > 2)
                return false;
            parts.back() = parts.back() * 10 + (c - '0');
        } else if (c == ':' && digits > 0 && parts.size() < 3) {
            parts.push_back(0);
            digits = 0;
        } else {
            return false;
        }
    }
    if (digits == 0 || parts.size() < 2)
        return false;
    hour = parts[0];
    minute = parts[1];
    second = parts.size() > 2 ? parts[2] : 0;
    return hour < 24 && minute < 60 && second < 60;
}

std::time_t localTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

} // namespace

std::optional<PackedVersion> parseVersionText(std::string_view text)
{
    text = trimBlanks(text);
    const char sep = text.find(',') != std::string_view::npos ? ',' : '.';
    uint32_t parts[4] = {0, 0, 0, 0};
    std::size_t start = 0;
    for (int i = 0; i < 4 && start <= text.size(); ++i) {
        std::size_t stop = text.find(sep, start);
        if (stop == std::string_view::npos)
            stop = text.size();
        const auto n = leadingNumber(text.substr(start, stop - start));
        if (!n && i == 0)
            return std::nullopt;
        parts[i] = n.value_or(0) & 0xFFFFu;
        start = stop + 1;
    }
    return PackedVersion{parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]};
}

std::string versionText(PackedVersion v)
{
    return std::to_string(v.ms >> 16) + "." + std::to_string(v.ms & 0xFFFFu) + "." + std::to_string(v.ls >> 16) + "."
        + std::to_string(v.ls & 0xFFFFu);
}

bool isNewerVersion(PackedVersion remote, PackedVersion local)
{
    const auto rms = static_cast<int32_t>(remote.ms), lms = static_cast<int32_t>(local.ms);
    const auto rls = static_cast<int32_t>(remote.ls), lls = static_cast<int32_t>(local.ls);
    return rms > lms || (rms == lms && rls > lls);
}

int32_t byteSumChecksum(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return -1;
    uint32_t sum = 0xFFFFFFFFu;
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        const auto got = static_cast<std::size_t>(in.gcount());
        for (std::size_t i = 0; i < got; ++i)
            sum += static_cast<unsigned char>(buffer[i]);
        if (in.bad())
            return -1;
    }
    return static_cast<int32_t>(sum);
}

ComparisonResult compareWithLocal(const ComparisonInput& in, VersionReader readVersion)
{
    ComparisonResult r;
    if (in.newVersion.empty() && in.newSize == 0 && in.newChecksum == -1) {
        r.newer = true;
        return r;
    }
    if (in.localPath.empty()) {
        r.newer = true;
        return r;
    }
    std::error_code ec;
    // Files are replaced, never added.
    if (!std::filesystem::is_regular_file(in.localPath, ec))
        return r;
    if (in.newChecksum != -1) {
        const int32_t local = byteSumChecksum(in.localPath);
        r.newer = local != 0 && local != in.newChecksum;
        return r;
    }
    if (in.newSize <= 0) {
        const auto local = readVersion ? readVersion(in.localPath) : std::nullopt;
        const auto remote = parseVersionText(in.newVersion);
        if (!local || !remote)
            return r;
        r.newVersionText = versionText(*remote);
        r.localVersionText = versionText(*local);
        r.newer = isNewerVersion(*remote, *local);
        return r;
    }
    const auto size = std::filesystem::file_size(in.localPath, ec);
    if (ec || size == 0)
        return r;
    r.newer = static_cast<int64_t>(size) != in.newSize;
    return r;
}

std::time_t epoch1980()
{
    return localTime(1980, 1, 1, 0, 0, 0);
}

std::time_t controlDateTime(std::string_view date, std::string_view time)
{
    int day = 1, month = 1, year = 1980;
    if (!readLocalDate(date, day, month, year)) {
        day = 1;
        month = 1;
        year = 1980;
    }
    int hour = 0, minute = 0, second = 0;
    if (!readLocalTime(time, hour, minute, second))
        hour = minute = second = 0;
    return localTime(year, month, day, hour, minute, second);
}

std::optional<std::time_t> modificationTime(const std::filesystem::path& file)
{
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(file, ec);
    if (ec)
        return std::nullopt;
    const auto sys = std::chrono::file_clock::to_sys(written);
    return std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(sys));
}

} // namespace pordane::update
