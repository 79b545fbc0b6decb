#include "catalogue/Desencriptar.h"

#include "platform/base/TextEncoding.h"

#include <algorithm>
#include <vector>

namespace pordane::catalogue {

namespace {

// The group as shown in a message: printable ASCII kept, anything else as '?'.
std::string printable(const std::string& group)
{
    std::string out = group;
    std::replace_if(out.begin(), out.end(), [](char c) { return c < 0x20 || c > 0x7E; }, '?');
    return out;
}


bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Surrogates must come in pairs (high then low); the frame marks never split one.
void checkSurrogates(const std::u16string& units)
{
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (isHighSurrogate(units[i]) && i + 1 < units.size() && isLowSurrogate(units[i + 1]))
            ++i;
        else if (isHighSurrogate(units[i]) || isLowSurrogate(units[i]))
            throw DescrambleError("La línea cifrada contiene un carácter incompleto en la posición " +
                                  std::to_string(3 * i + 1));
    }
}


} // namespace

std::string Desencriptar(const std::string& text, std::int32_t FactorEncriptacion)
{
    if (text.empty())
        throw DescrambleError("La línea cifrada está vacía");

    // Groups start at positions 1, 4, 7, ...; the last may hold one or two digits.
    std::u16string units;
    for (std::size_t p = 0; p < text.size(); p += 3) {
        const std::string group = text.substr(p, 3);
        const std::string where = " en la posición " + std::to_string(p + 1) + " de la línea cifrada";
        if (!std::all_of(group.begin(), group.end(), [](char c) { return c >= '0' && c <= '9'; }))
            throw DescrambleError("El grupo \"" + printable(group) + "\"" + where + " no es un número");
        const std::int64_t code = std::stoll(group) - static_cast<std::int64_t>(FactorEncriptacion);
        if (code < 1 || code > 0xFFFF)
            throw DescrambleError("El código " + std::to_string(code) + where + " no es un carácter válido");
        units.push_back(static_cast<char16_t>(code));
    }

    checkSurrogates(units);

    // The value stands between the first ">" and the first "<" after it.
    if (const auto open = units.find(u'>'); open != std::u16string::npos)
        units.erase(0, open + 1);
    const auto close = units.find(u'<');
    if (close == std::u16string::npos)
        return {};
    units.resize(close);
    return platform::utf16ToUtf8(units);
}

} // namespace pordane::catalogue
