#include "update/RtfText.h"

#include <gtest/gtest.h>

#include <random>

using namespace pordane::update;

namespace {

struct RtfCase {
    const char* name;
    std::string rtf;
    std::string text;
};

class RtfRead : public testing::TestWithParam<RtfCase> {};

TEST_P(RtfRead, KeepsTheText)
{
    EXPECT_EQ(rtfToText(GetParam().rtf), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfRead,
    testing::Values(
        RtfCase{"Paragraphs", R"({\rtf1\ansi Novedades\par Versi\'f3n 4.6\line l\'ednea\par})",
                "Novedades\nVersión 4.6\nlínea\n"},
        RtfCase{
            "TablesDropped",
            R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss Arial;}{\f1 Courier;}}{\colortbl;\red255\green0\blue0;})"
            R"({\stylesheet{\s0 Normal;}}{\info{\title T}{\author A}}\pard\f0\fs20 Hola\par})",
            "Hola\n"},
        RtfCase{"IgnorableDestination", R"({\rtf1{\*\generator Riched20 10.0;}{\*\unknownthing x}Texto})", "Texto"},
        RtfCase{"Picture", R"({\rtf1 A{\pict\wmetafile8\picw10 0123456789abcdef}B})", "AB"},
        RtfCase{"BinaryData", std::string("{\\rtf1 A{\\pict\\bin5 }{}\\}}B}"), "AB"},
        RtfCase{"Windows1252Escapes", R"({\rtf1 \'80 \'93cita\'94 \'f1\'d1})", "€ “cita” ñÑ"},
        RtfCase{"UnicodeWithFallback", R"({\rtf1\uc1 \u8364?\u-3937?x})", "€\uF09Fx"},
        RtfCase{"UnicodeFallbackOfTwo", R"({\rtf1\uc2 \u241\'6e\'6ex\uc0 \u209 y})", "ñxÑy"},
        RtfCase{"SurrogatePair", R"({\rtf1\uc1\u-10179?\u-8704?!})", "\U0001F600!"},
        RtfCase{"FallbackEndsAtGroup", R"({\rtf1\uc3{\u233}abc})", "éabc"},
        RtfCase{"EscapedSpecials", R"({\rtf1 a\\b\{c\}d\~e\-f\_g})", "a\\b{c}d\u00A0ef-g"},
        RtfCase{"Symbols", R"({\rtf1 \emdash\endash\bullet\lquote x\rquote\ldblquote y\rdblquote\tab z})",
                "—–•‘x’“y”\tz"},
        RtfCase{"FieldKeepsTheResult", R"({\rtf1{\field{\*\fldinst HYPERLINK "http://x"}{\fldrslt p\'e1gina}}})",
                "página"},
        RtfCase{"LineBreaksInSourceIgnored", "{\\rtf1 uno\r\ndos\\\r\ntres}", "unodos\ntres"},
        RtfCase{"HeaderFooterDropped", R"({\rtf1{\header Cabecera}{\footer Pie}Cuerpo})", "Cuerpo"},
        RtfCase{"UnclosedAndBroken", R"({\rtf1 abc\'zz\'4{\b negrita)", "abczz4negrita"},
        RtfCase{"ExtraClosingBraces", "}}{\\rtf1 x}}}y", "xy"},
        RtfCase{"LongWordAndHugeParameter",
                std::string("{\\rtf1\\") + std::string(100, 'q') + "99999999999999999999 t}", "t"},
        RtfCase{"EndsInBackslash", "{\\rtf1 fin\\", "fin"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(RtfText, DetectedInAnyCase)
{
    EXPECT_TRUE(looksLikeRtf("{\\rtf1\\ansi x}"));
    EXPECT_TRUE(looksLikeRtf("{\\RTF1 x"));
    EXPECT_TRUE(looksLikeRtf("{\\RtF"));
    EXPECT_FALSE(looksLikeRtf(" {\\rtf1"));
    EXPECT_FALSE(looksLikeRtf("{\\rt"));
    EXPECT_FALSE(looksLikeRtf("Novedades"));
}

TEST(RtfText, DeepNestingIsReadWithoutRecursion)
{
    const std::size_t depth = 2'000'000;
    const std::string rtf = "{\\rtf1 antes" + std::string(depth, '{') + "dentro" + std::string(depth, '}')
                            + " despues}";
    EXPECT_EQ(rtfToText(rtf), "antes despues");
    // Shallow enough groups keep their text.
    EXPECT_EQ(rtfToText("{\\rtf1 " + std::string(100, '{') + "x" + std::string(100, '}') + "}"), "x");
}

TEST(RtfText, BinaryGarbageGivesBoundedText)
{
    std::mt19937 gen(5);
    std::string garbage(8 << 20, '\0');
    for (auto& c : garbage)
        c = static_cast<char>(gen());
    const std::string text = rtfToText("{\\rtf1 " + garbage);
    // At most three UTF-8 bytes per input byte (Windows-1252 is in the BMP).
    EXPECT_LE(text.size(), 3 * garbage.size());
    EXPECT_GT(text.size(), 0u);
}

TEST(RtfText, BinLongerThanTheInputEndsIt)
{
    EXPECT_EQ(rtfToText("{\\rtf1 a\\bin2147483647 zzz"), "a");
}

} // namespace
