#include "platform/base/NumberFormat.h"

namespace pordane::platform {

std::string FormatearMiles(std::int64_t n)
{
    // Work on the magnitude: grouping "-123456" as text would put a dot
    // straight after the sign. Unsigned negation also covers INT64_MIN.
    const bool negative = n < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    std::string digits = std::to_string(magnitude);
    for (std::ptrdiff_t pos = static_cast<std::ptrdiff_t>(digits.size()) - 3; pos > 0; pos -= 3)
        digits.insert(static_cast<std::size_t>(pos), 1, '.');
    return negative ? "-" + digits : digits;
}

} // namespace pordane::platform
