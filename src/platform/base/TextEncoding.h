// Text conversions at the edges of the host: Windows-1252 (the ANSI code page
// of the Spanish Windows hosts Talvane runs on), UTF-16 (registry, Win32) and
// case-insensitive name matching as the Windows registry and file system do.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pordane::platform {

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined
// map to the C1 controls of the same value, as MultiByteToWideChar does.
std::string windows1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252; nullopt when the text is not valid UTF-8 or holds a
// character the code page cannot represent.
std::optional<std::string> utf8ToWindows1252(std::string_view utf8);

// The upper-case form of Windows-1252 text, byte for byte (same length), as
// the code page's locale upper-cases it (á -> Á, š -> Š, ÿ -> Ÿ).
std::string windows1252ToUpper(std::string_view bytes);

// Latin-1 (ISO 8859-1) bytes to UTF-8: every byte is one character. The
// single-byte text of an FTP control connection that has not switched to UTF-8.
std::string latin1ToUtf8(std::string_view latin1);

// UTF-8 to Latin-1: characters beyond U+00FF become "?", and so does each
// byte of an invalid sequence.
std::string utf8ToLatin1(std::string_view utf8);

// UTF-16 code units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view units);

// UTF-8 to UTF-16; invalid bytes become U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);

// The text with every invalid UTF-8 sequence replaced by U+FFFD: bytes from
// outside (a server's reply) become text any widget can show.
std::string validUtf8(std::string_view bytes);

// A key for case-insensitive comparison of UTF-8 names: Latin (ASCII,
// Latin-1, Latin Extended-A), Greek and Cyrillic letters folded to lower case.
// Invalid bytes are kept as they are.
std::string foldCase(std::string_view utf8);

bool equalsIgnoreCase(std::string_view a, std::string_view b);

// The value of a hexadecimal digit in either case; -1 for any other character.
int hexDigitValue(char c);

} // namespace pordane::platform
