// The maker's scrambler for connection files, the inverse of Desencriptar:
// used by tests and the demo to produce "1000.ini" lines.
#pragma once

#include <string>

namespace pordane::testsupport {

// Every UTF-16 code unit of the UTF-8 text, plus factor, as three decimal
// digits. Throws std::invalid_argument when a unit + factor is outside 0..999.
std::string Encrypt(const std::string& plain, int factor);

// A connection-file line: before + ">" + value + "<" + after, scrambled.
// The value itself must not contain '<' or '>'.
std::string encryptValue(const std::string& value, int factor, const std::string& before = "",
                         const std::string& after = "");

} // namespace pordane::testsupport
