// Number text shared by the discovery and the transfer-progress display; kept
// at the bottom of the dependency chain so every module can use it.
#pragma once

#include <cstdint>
#include <string>

namespace pordane::platform {

// Decimal text of n with a "." before every group of three digits counted
// from the right: 1234567 -> "1.234.567", 123 -> "123". A negative number
// keeps its sign in front of the grouped digits ("-1.234").
std::string FormatearMiles(std::int64_t n);

} // namespace pordane::platform
