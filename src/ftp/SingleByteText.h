// Conversions between our UTF-8 strings and the single-byte (Latin-1) text
// of a control connection that has not switched to UTF-8.
#pragma once

#include <string>

namespace pordane::ftp {

// Every byte is one character.
std::string latin1ToUtf8(const std::string& latin1);

// Characters beyond U+00FF, and malformed UTF-8 bytes, become "?".
std::string utf8ToLatin1(const std::string& utf8);

} // namespace pordane::ftp
