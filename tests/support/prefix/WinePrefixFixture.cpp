#include "support/prefix/WinePrefixFixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

namespace pordane::testsupport {

namespace {

std::string lowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

char lowerLetter(char letter)
{
    return static_cast<char>(lowerAscii(std::string(1, letter))[0]);
}

// UTF-8 to code points; the fixture only ever holds valid text.
std::u32string codePoints(std::string_view utf8)
{
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        if (extra > 0 && i + extra >= utf8.size())
            throw std::invalid_argument("truncated UTF-8 in fixture text");
        for (int k = 1; k <= extra; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out += cp;
        i += extra + 1;
    }
    return out;
}

std::u16string utf16(std::string_view utf8)
{
    std::u16string out;
    for (char32_t cp : codePoints(utf8)) {
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

bool isHexDigit(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Wine's dump_strW: backslash before '\' and the two escape characters, C
// escapes or octal for controls, \x hex for everything beyond ASCII (four
// digits when a hex digit follows, so the reader knows where it ends).
std::string escaped(std::string_view utf8, char esc0, char esc1)
{
    static const char controls[33] = ".......abtnvfr.............e....";
    const std::u16string units = utf16(utf8);
    std::string out;
    char buffer[16];
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t c = units[i];
        const bool hasNext = i + 1 < units.size();
        if (c > 127) {
            if (hasNext && units[i + 1] < 128 && isHexDigit(units[i + 1]))
                std::snprintf(buffer, sizeof buffer, "\\x%04x", static_cast<unsigned>(c));
            else
                std::snprintf(buffer, sizeof buffer, "\\x%x", static_cast<unsigned>(c));
            out += buffer;
        } else if (c < 32) {
            if (controls[c] != '.')
                std::snprintf(buffer, sizeof buffer, "\\%c", controls[c]);
            else if (hasNext && units[i + 1] >= '0' && units[i + 1] <= '7')
                std::snprintf(buffer, sizeof buffer, "\\%03o", static_cast<unsigned>(c));
            else
                std::snprintf(buffer, sizeof buffer, "\\%o", static_cast<unsigned>(c));
            out += buffer;
        } else {
            if (c == '\\' || c == esc0 || c == esc1)
                out += '\\';
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string keyPathText(const std::string& path)
{
    std::string out;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t stop = path.find('\\', start);
        if (stop == std::string::npos)
            stop = path.size();
        if (stop > start) {
            if (!out.empty())
                out += "\\\\";
            out += escaped(path.substr(start, stop - start), '[', ']');
        }
        start = stop + 1;
    }
    return out;
}

std::string nameText(const std::string& name)
{
    return name.empty() ? "@=" : "\"" + escaped(name, '"', '"') + "\"=";
}

void writeBytes(const std::filesystem::path& file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

} // namespace

WinePrefixFixture::WinePrefixFixture()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pordane-prefix-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary Wine prefix");
    m_path = pattern;
    std::filesystem::create_directories(m_path / "dosdevices");
    addDrive('c');
    save();
}

WinePrefixFixture::~WinePrefixFixture()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path WinePrefixFixture::addDrive(char letter)
{
    const std::string name = std::string("drive_") + lowerLetter(letter);
    std::filesystem::create_directories(m_path / name);
    linkDrive(letter, std::filesystem::path("..") / name);
    return m_path / name;
}

void WinePrefixFixture::linkDrive(char letter, const std::filesystem::path& target)
{
    const auto link = m_path / "dosdevices" / (std::string(1, lowerLetter(letter)) + ":");
    std::error_code ec;
    std::filesystem::remove(link, ec);
    std::filesystem::create_symlink(target, link);
}

void WinePrefixFixture::setDriveType(char letter, const std::string& type)
{
    setRegString("Software\\Wine\\Drives", std::string(1, lowerLetter(letter)) + ":", type);
}

WinePrefixFixture::RegKey& WinePrefixFixture::key(const std::string& path)
{
    RegKey& k = m_keys[lowerAscii(path)];
    if (k.path.empty())
        k.path = path;
    return k;
}

void WinePrefixFixture::setValue(const std::string& keyPath, const std::string& name, std::string data)
{
    key(keyPath).values[lowerAscii(name)] = RegValue{name, std::move(data)};
    save();
}

void WinePrefixFixture::setRegString(const std::string& keyPath, const std::string& name, const std::string& value)
{
    setValue(keyPath, name, "\"" + escaped(value, '"', '"') + "\"");
}

void WinePrefixFixture::setRegExpandString(const std::string& keyPath, const std::string& name,
                                           const std::string& value, ExpandForm form)
{
    if (form == ExpandForm::Str) {
        setValue(keyPath, name, "str(2):\"" + escaped(value, '"', '"') + "\"");
        return;
    }
    // Wine's dump_value: two hex digits per byte, a comma between bytes,
    // and "\" + newline + two spaces once the line passes 76 columns.
    std::u16string units = utf16(value);
    units += u'\0';
    std::string bytes;
    for (char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    std::string data = "hex(2):";
    int count = static_cast<int>(nameText(name).size() + data.size());
    char hex[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[i]));
        data += hex;
        count += 2;
        if (i + 1 < bytes.size()) {
            data += ',';
            if (++count > 76) {
                data += "\\\n  ";
                count = 2;
            }
        }
    }
    setValue(keyPath, name, data);
}

void WinePrefixFixture::setRegDword(const std::string& keyPath, const std::string& name, std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(value));
    setValue(keyPath, name, text);
}

void WinePrefixFixture::addRegKey(const std::string& keyPath)
{
    key(keyPath);
    save();
}

void WinePrefixFixture::setWin64(bool win64)
{
    m_win64 = win64;
    save();
}

std::string WinePrefixFixture::systemRegText() const
{
    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n";
    text += m_win64 ? "\n#arch=win64\n" : "\n#arch=win32\n";
    for (const auto& [folded, k] : m_keys) {
        text += "\n[" + keyPathText(k.path) + "] 1700000000\n";
        text += "#time=1da1b2c3d4e5f60\n";
        for (const auto& [lowerName, v] : k.values)
            text += nameText(v.name) + v.data + "\n";
    }
    return text;
}

void WinePrefixFixture::save() const
{
    writeBytes(m_path / "system.reg", systemRegText());
}

void WinePrefixFixture::writeRawSystemReg(std::string_view bytes)
{
    writeBytes(m_path / "system.reg", bytes);
}

void WinePrefixFixture::removeSystemReg()
{
    std::filesystem::remove(m_path / "system.reg");
}

std::filesystem::path WinePrefixFixture::nativePath(std::string_view windowsPath) const
{
    if (windowsPath.size() < 2 || windowsPath[1] != ':')
        throw std::invalid_argument("not a drive path: " + std::string(windowsPath));
    std::filesystem::path native = m_path / "dosdevices" / (std::string(1, lowerLetter(windowsPath[0])) + ":");
    // Writing through a drive that was never added would create a plain
    // folder named "x:" and so a drive by accident.
    if (!std::filesystem::is_directory(native))
        throw std::invalid_argument("no such drive in the fixture: " + std::string(windowsPath));
    std::size_t start = 2;
    while (start <= windowsPath.size()) {
        std::size_t stop = windowsPath.find('\\', start);
        if (stop == std::string_view::npos)
            stop = windowsPath.size();
        if (stop > start)
            native /= std::string(windowsPath.substr(start, stop - start));
        start = stop + 1;
    }
    return native;
}

std::filesystem::path WinePrefixFixture::writeFile(std::string_view windowsPath, std::string_view bytes)
{
    const auto native = nativePath(windowsPath);
    std::filesystem::create_directories(native.parent_path());
    writeBytes(native, bytes);
    return native;
}

std::filesystem::path WinePrefixFixture::makeDirectory(std::string_view windowsPath)
{
    const auto native = nativePath(windowsPath);
    std::filesystem::create_directories(native);
    return native;
}

std::filesystem::path WinePrefixFixture::writeConfigFile(
    std::string_view windowsPath, const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string text = "<?xml version='1.0' encoding='windows-1252'?>\r\n<Config>\r\n";
    for (const auto& [id, value] : entries)
        text += "  <Item ID='" + id + "' VALUE='" + value + "' />\r\n";
    text += "</Config>\r\n";
    return writeFile(windowsPath, toWindows1252(text));
}

std::string WinePrefixFixture::toWindows1252(std::string_view utf8)
{
    // The code page's 0x80-0x9F block; the rest matches Latin-1.
    static const char32_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string out;
    for (char32_t cp : codePoints(utf8)) {
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i)
            if (high[i] == cp && cp != 0)
                found = i;
        if (found < 0)
            throw std::invalid_argument("not representable in Windows-1252");
        out += static_cast<char>(0x80 + found);
    }
    return out;
}

} // namespace pordane::testsupport
