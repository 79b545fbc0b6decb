#include "Encriptar.h"

#include "JetWriter.h"

#include <cstdio>
#include <stdexcept>

namespace pordane::testsupport {

std::string Encrypt(const std::string& plain, int factor)
{
    std::string out;
    for (char16_t unit : utf8ToUtf16(plain)) {
        const long code = static_cast<long>(unit) + factor;
        if (code < 0 || code > 999)
            throw std::invalid_argument("character cannot be scrambled in three digits");
        char group[8];
        std::snprintf(group, sizeof group, "%03ld", code);
        out += group;
    }
    return out;
}

std::string encryptValue(const std::string& value, int factor, const std::string& before, const std::string& after)
{
    if (value.find_first_of("<>") != std::string::npos)
        throw std::invalid_argument("a framed value cannot hold '<' or '>'");
    return Encrypt(before + ">" + value + "<" + after, factor);
}

} // namespace pordane::testsupport
