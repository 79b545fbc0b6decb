// The speed test's shared transfer state and the arithmetic of its figures:
// whole seconds, KB/s (1 KB = 1024 bytes) rounded half to even, Mbps.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace pordane::ftp {

using SpeedClock = std::function<std::chrono::steady_clock::time_point()>;

inline constexpr std::uint8_t DirectionDownload = 1;
inline constexpr std::uint8_t DirectionUpload = 2;

struct SpeedState {
    std::chrono::steady_clock::time_point HoraInicio{};
    std::chrono::steady_clock::time_point HoraFin{};
    std::chrono::steady_clock::time_point HoraProgreso{};
    std::int64_t SegundosTransfer = 0;
    double VelocidadKBs = 0;
    std::uint8_t SentidoTransfer = DirectionUpload;
    // Monotonic, so a clock change during a transfer cannot skew the figures.
    SpeedClock now = [] { return std::chrono::steady_clock::now(); };
};

// Whole seconds between two moments: the absolute difference in whole
// milliseconds, divided by 1000 with the remainder dropped (1999 ms -> 1).
std::int64_t secondsBetween(std::chrono::steady_clock::time_point a,
                           std::chrono::steady_clock::time_point b);

// Duration of a finished transfer: as secondsBetween, but never 0 (0 becomes 1).
std::int64_t finalSegundosTransfer(std::chrono::steady_clock::time_point start,
                                   std::chrono::steady_clock::time_point end);

// Nearest whole number, a tie going to the even neighbour (2.5 -> 2, 3.5 -> 4).
std::int64_t roundHalfEven(double value);

// Final speed of a transfer from the test size: SizeTest / seconds / 1024,
// rounded half to even; seconds below 1 count as 1.
double finalVelocidadKBs(std::int32_t SizeTest, std::int64_t seconds);

// Live speed from the bytes moved so far; 0 during the first two seconds.
double liveVelocidadKBs(std::int64_t bytes, std::int64_t seconds);

// KB/s to megabits per second (x 8 / 1024).
double aMbps(double kbs);

// "N KB/s" with plain digits (final figures).
std::string speedText(double kbs);
// "N KB/s" with "." between groups of three digits (live label): 12345 -> "12.345 KB/s".
std::string groupedSpeedText(double kbs);
// "N segs."
std::string secondsText(std::int64_t seconds);

} // namespace pordane::ftp
