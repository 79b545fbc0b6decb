// Descrambling of the lines of the maker's connection files ("1000.ini").
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace pordane::catalogue {

// A line that is not a scrambled value; what() is a Spanish text for the user.
class DescrambleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads text as three-digit decimal groups (the last one may be shorter),
// each the code of one UTF-16 unit plus FactorEncriptacion, and returns, as
// UTF-8, the text between the first ">" and the first "<" after it ("" when
// there is no "<"; everything before "<" when there is no ">").
// Throws DescrambleError for an empty line, a group that is not a number, a
// code outside 1..0xFFFF or an unpaired UTF-16 surrogate.
std::string Desencriptar(const std::string& text, std::int32_t FactorEncriptacion);

} // namespace pordane::catalogue
