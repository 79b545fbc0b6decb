#include "ftptests/GeneraID.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <random>

namespace pordane::ftptests {

namespace {

std::mt19937_64& generator()
{
    static std::mt19937_64 engine;
    return engine;
}

} // namespace

void seedRandomGenerator()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    generator().seed(static_cast<std::uint64_t>(ticks));
}

double nextRandom()
{
    // 53 random bits: every double in [0, 1) with a step of 2^-53.
    return static_cast<double>(generator()() >> 11) * 0x1.0p-53;
}

LocalDateTime currentLocalDateTime()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now - system_clock::from_time_t(seconds)).count();
    // One thread calls this (the window's), so the shared buffer is fine.
    const std::tm* local = std::localtime(&seconds);
    if (!local)
        return LocalDateTime{};
    return LocalDateTime{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
                         local->tm_hour, local->tm_min, local->tm_sec,
                         static_cast<int>(millis < 0 ? 0 : millis)};
}

IdSources defaultIdSources()
{
    return IdSources{&nextRandom, &currentLocalDateTime};
}

double dayCount(const LocalDateTime& when)
{
    using namespace std::chrono;
    const sys_days date{year{when.year} / when.month / when.day};
    const sys_days epoch{year{1899} / December / 30};
    const double days = static_cast<double>((date - epoch).count());
    const double msOfDay = ((when.hour * 60.0 + when.minute) * 60.0 + when.second) * 1000.0 + when.millisecond;
    return days + msOfDay / 86400000.0;
}

double GeneraID(views::Dialogs& dialogs, const IdSources& sources)
{
    const long double r = sources.random();
    // One clock reading serves both the time and the date, so a call across
    // midnight cannot mix two different days.
    const LocalDateTime when = sources.localNow();
    const long double now = dayCount(when);
    const long double today = std::trunc(dayCount(LocalDateTime{when.year, when.month, when.day}));
    const long double id = std::trunc((r + now) * 10000000.0L) - std::trunc(today / 10000.0L) * 100000000000.0L;
    const double result = static_cast<double>(id);
    if (result == 0.0)
        dialogs.showMessage("Error creando ID");
    return result;
}

std::string IdText(double id)
{
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, id, std::chars_format::general, 15);
    if (ec != std::errc{})
        return {};
    return std::string(text, end);
}

} // namespace pordane::ftptests
