// Descrambling of connection-file lines, and the round trip with the scrambler
// the tests and the demo use to make those files.
#include "catalogue/Desencriptar.h"

#include "pordane/BuildConfig.h"
#include "support/mdb/Encrypt.h"

#include <gtest/gtest.h>

using pordane::catalogue::DescrambleError;
using pordane::catalogue::Desencriptar;
using pordane::testsupport::Encrypt;
using pordane::testsupport::encryptValue;

namespace {

std::string errorOf(const std::string& text, int factor)
{
    try {
        Desencriptar(text, factor);
    } catch (const DescrambleError& e) {
        return e.what();
    }
    return "";
}

// Scrambled by hand with factor 7: '>' 62 -> 069, '<' 60 -> 067,
// 'a' 97 -> 104, 'b' 98 -> 105, 'x' 120 -> 127, 'ñ' 241 -> 248.
TEST(Desencriptar, KeepsTheValueBetweenTheMarks)
{
    EXPECT_EQ(Desencriptar("069104105067", 7), "ab");           // ">ab<"
    EXPECT_EQ(Desencriptar("127069104248067127", 7), "añ");     // "x>añ<x"
    EXPECT_EQ(Desencriptar("069067", 7), "");                   // "><"
    EXPECT_EQ(Desencriptar("069104069105067104067", 7), "a>b"); // ">a>b<a<": first marks
    EXPECT_EQ(Desencriptar("067104069105067", 7), "b");         // "<a>b<": '<' before '>'
}

TEST(Desencriptar, WithoutLessThanTheResultIsEmpty)
{
    EXPECT_EQ(Desencriptar("069104105", 7), ""); // ">ab"
    EXPECT_EQ(Desencriptar("104105", 7), "");    // "ab"
}

TEST(Desencriptar, WithoutGreaterThanEverythingBeforeLessThanIsKept)
{
    EXPECT_EQ(Desencriptar("104105067127", 7), "ab"); // "ab<x"
}

TEST(Desencriptar, ShortLastGroupIsDecodedToo)
{
    // ">a" then "67": the two-digit group is the closing '<'.
    EXPECT_EQ(Desencriptar("06910467", 7), "a");
    // One-digit last group: 8 - 7 = 1, after the value.
    EXPECT_EQ(Desencriptar("0691040678", 7), "a");
    // A short group that decodes to nothing valid is still read, and refused.
    EXPECT_NE(errorOf("0691040677", 7), "");
}

TEST(Desencriptar, BadGroupsAreErrorsNotCrashes)
{
    const std::string notNumber = errorOf("06910a105067", 7);
    EXPECT_EQ(notNumber, "El grupo \"10a\" en la posición 4 de la línea cifrada no es un número");
    EXPECT_NE(errorOf("069-04105067", 7), "");
    EXPECT_NE(errorOf(" 69104105067", 7), "");
    EXPECT_NE(errorOf("069104105067\r", 7), ""); // a line end left in the text
    EXPECT_NE(errorOf("069104\xC3\xB1", 7), ""); // not digits at all
    EXPECT_EQ(errorOf("", 7), "La línea cifrada está vacía");
}

TEST(Desencriptar, CodesOutsideTheCharacterRangeAreErrors)
{
    EXPECT_EQ(errorOf("069007067", 7), "El código 0 en la posición 4 de la línea cifrada no es un carácter válido");
    EXPECT_NE(errorOf("003", 7), "");          // -4
    EXPECT_NE(errorOf("999", -65000), "");     // 65999 > 0xFFFF
    EXPECT_NE(errorOf("000", 2147483647), ""); // no overflow with an extreme factor
    EXPECT_NE(errorOf("999", -2147483647 - 1), "");
    EXPECT_EQ(Desencriptar("062097060", 0), "a"); // factor 0: codes as they are
    // UTF-16 surrogates (only reachable with a large negative factor) must pair up.
    EXPECT_EQ(Desencriptar("919920", -55400), ""); // U+DBFF U+DC00: a valid pair, no frame
    EXPECT_EQ(errorOf("920919", -55400), "La línea cifrada contiene un carácter incompleto en la posición 1");
    EXPECT_NE(errorOf("919", -55400), "");
}

TEST(Desencriptar, RoundTripWithTheScrambler)
{
    const std::string values[] = {"ftp.portal-ñandú.es", "usuário", "Clave$7315", "/Fotos/Año 2024/ÿ", "", "a b",
                                  "ÀÉÎÕÜ àéîõü çÇ"};
    for (int factor = 1; factor <= 9; ++factor) {
        for (const std::string& v : values) {
            EXPECT_EQ(Desencriptar(encryptValue(v, factor), factor), v) << factor << " " << v;
            EXPECT_EQ(Desencriptar(encryptValue(v, factor, "[Host]", "fin"), factor), v) << factor << " " << v;
        }
    }
    const std::string line = encryptValue("ftp.idealista.com", pordane::config::FactorEncriptacion);
    EXPECT_EQ(line.size() % 3, 0u);
    EXPECT_EQ(line.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(Desencriptar(line, pordane::config::FactorEncriptacion), "ftp.idealista.com");
    // With the wrong factor every mark shifts: '<' + 7 - 6 reads as '=', so nothing is framed.
    EXPECT_EQ(Desencriptar(Encrypt(">abc<", 7), 6), "");
}

TEST(Encrypt, RefusesWhatThreeDigitsCannotCarry)
{
    EXPECT_THROW(Encrypt("€", 7), std::invalid_argument); // U+20AC needs more than three digits
    EXPECT_THROW(encryptValue("a<b", 7), std::invalid_argument);
    EXPECT_EQ(Encrypt("A", 7), "072");
}

TEST(EncryptTool, WritesOneScrambledLinePerValue)
{
    FILE* pipe = popen(("printf 'ftp.uno.es\\nusuário\\n' | " + std::string(ENCRYPT_TOOL_PATH) + " 7").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buf[256];
    std::size_t n = 0;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, n);
    EXPECT_EQ(pclose(pipe), 0);
    const auto firstEnd = out.find("\r\n");
    ASSERT_NE(firstEnd, std::string::npos);
    EXPECT_EQ(Desencriptar(out.substr(0, firstEnd), 7), "ftp.uno.es");
    const auto secondEnd = out.find("\r\n", firstEnd + 2);
    ASSERT_NE(secondEnd, std::string::npos);
    EXPECT_EQ(Desencriptar(out.substr(firstEnd + 2, secondEnd - firstEnd - 2), 7), "usuário");
}

} // namespace
