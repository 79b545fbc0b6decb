#include "ftp/SpeedState.h"

#include "platform/base/NumberFormat.h"

#include <cmath>

namespace pordane::ftp {

std::int64_t secondsBetween(std::chrono::steady_clock::time_point a,
                           std::chrono::steady_clock::time_point b)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(a > b ? a - b : b - a);
    return ms.count() / 1000;
}

std::int64_t finalSegundosTransfer(std::chrono::steady_clock::time_point start,
                                   std::chrono::steady_clock::time_point end)
{
    const std::int64_t s = secondsBetween(start, end);
    return s == 0 ? 1 : s;
}

std::int64_t roundHalfEven(double value)
{
    const double down = std::floor(value);
    const double diff = value - down;
    double r = down;
    if (diff > 0.5)
        r = down + 1;
    else if (diff == 0.5)
        r = std::fmod(down, 2.0) == 0 ? down : down + 1;
    return static_cast<std::int64_t>(r);
}

double finalVelocidadKBs(std::int32_t SizeTest, std::int64_t seconds)
{
    if (seconds < 1)
        seconds = 1;
    return static_cast<double>(roundHalfEven(static_cast<double>(SizeTest) / static_cast<double>(seconds) / 1024.0));
}

double liveVelocidadKBs(std::int64_t bytes, std::int64_t seconds)
{
    if (seconds < 2)
        return 0;
    return static_cast<double>(bytes) / static_cast<double>(seconds) / 1024.0;
}

double aMbps(double kbs)
{
    return kbs * 8.0 / 1024.0;
}

std::string speedText(double kbs)
{
    return std::to_string(roundHalfEven(kbs)) + " KB/s";
}

std::string groupedSpeedText(double kbs)
{
    return platform::FormatearMiles(roundHalfEven(kbs)) + " KB/s";
}

std::string secondsText(std::int64_t seconds)
{
    return std::to_string(seconds) + " segs.";
}

} // namespace pordane::ftp
