#include "platform/base/TextEncoding.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace pordane;

TEST(Windows1252, DecodesTheWholePageAndEncodesItBack)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = platform::windows1252ToUtf8(all);
    EXPECT_EQ(platform::utf8ToWindows1252(utf8), all);

    EXPECT_EQ(platform::windows1252ToUtf8("Compa\xF1\xED"
                                          "a"),
              "Compañía");
    EXPECT_EQ(platform::windows1252ToUtf8("\x80\x8A\x9F"), "€ŠŸ");
    EXPECT_EQ(platform::windows1252ToUtf8("\x81"), "\xC2\x81");
}

TEST(Windows1252, RejectsWhatThePageCannotHoldAndInvalidUtf8)
{
    EXPECT_EQ(platform::utf8ToWindows1252("Ω"), std::nullopt);
    EXPECT_EQ(platform::utf8ToWindows1252("a\xC3"), std::nullopt);        // truncated sequence
    EXPECT_EQ(platform::utf8ToWindows1252("\xC3\xA1\xA1"), std::nullopt); // stray continuation byte
    EXPECT_EQ(platform::utf8ToWindows1252("\xC1\x81"), std::nullopt);     // overlong 'A'
    EXPECT_EQ(platform::utf8ToWindows1252("\xED\xA0\x80"), std::nullopt); // surrogate
}

TEST(Windows1252, UpperCaseKeepsLengthAndFollowsTheCodePage)
{
    const std::string lower = platform::utf8ToWindows1252("value='ñáÿšœž ß÷µ'").value();
    const std::string upper = platform::windows1252ToUpper(lower);
    ASSERT_EQ(upper.size(), lower.size());
    EXPECT_EQ(platform::windows1252ToUtf8(upper), "VALUE='ÑÁŸŠŒŽ ß÷µ'");
}

TEST(CaseFolding, MatchesNamesAsWindowsDoes)
{
    EXPECT_TRUE(platform::equalsIgnoreCase("Software\\CORVALIX", "software\\corvalix"));
    EXPECT_TRUE(platform::equalsIgnoreCase("AÑO ÁRBOL", "año árbol"));
    EXPECT_TRUE(platform::equalsIgnoreCase("ŠŒŸ", "šœÿ"));
    EXPECT_TRUE(platform::equalsIgnoreCase("ДАННЫЕ", "данные"));
    EXPECT_FALSE(platform::equalsIgnoreCase("Corvalix", "Corvalix2"));
    EXPECT_FALSE(platform::equalsIgnoreCase("×", "÷"));
    // Invalid bytes survive and still compare equal to themselves only.
    EXPECT_TRUE(platform::equalsIgnoreCase("A\xFF", "a\xFF"));
    EXPECT_FALSE(platform::equalsIgnoreCase("A\xFF", "a\xFE"));
}

TEST(Utf16, RoundTripsAndReplacesLoneSurrogates)
{
    const std::string text = "Conexión € 𝄞";
    EXPECT_EQ(platform::utf16ToUtf8(platform::utf8ToUtf16(text)), text);
    EXPECT_EQ(platform::utf8ToUtf16("𝄞"), (std::u16string{0xD834, 0xDD1E}));
    EXPECT_EQ(platform::utf16ToUtf8(std::u16string{u'a', 0xD800, u'b'}), "a\xEF\xBF\xBD"
                                                                         "b");
}

TEST(Utf8, InvalidSequencesBecomeReplacementCharacters)
{
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(platform::validUtf8("Año € 𝄞"), "Año € 𝄞");
    EXPECT_EQ(platform::validUtf8("A\xF1o"), "A" + r + "o"); // Latin-1 byte
    EXPECT_EQ(platform::validUtf8("\xC0\xAF|\xED\xA0\x80|\xC3"),
              r + r + "|" + r + r + r + "|" + r); // overlong, surrogate, cut
}
