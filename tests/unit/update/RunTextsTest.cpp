#include "update/RunTexts.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* name;
    std::string bytes;
    std::string text;
    bool rich;
};

class ShownText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ShownText, ReadsAsTheDialogShowsIt)
{
    const auto t = pordane::update::shownText(GetParam().bytes, "Novedades");
    EXPECT_EQ(t.text, GetParam().text);
    EXPECT_EQ(t.rich, GetParam().rich);
    EXPECT_EQ(t.caption, "Novedades");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ShownText,
    ::testing::Values(TextCase{"utf8_crlf", "\xEF\xBB\xBFL\xC3\xADnea 1\r\nL\xC3\xADnea 2\rfin", "Línea 1\nLínea 2\nfin", false},
                      TextCase{"windows1252", "Versi\xF3n \x80 5", "Versión € 5", false},
                      TextCase{"binary_cut_at_nul", std::string("MZ\x90\0\0texto", 10), "MZ\xC2\x90", false},
                      TextCase{"rtf_upper_case", "{\\RTF1{\\colortbl;\\red0;}Ma\\'f1ana\\par fin}", "Mañana\nfin", true},
                      TextCase{"not_rtf_later", " {\\rtf1 x}", " {\\rtf1 x}", false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ShownText, AHugeBrokenRtfReadsInLinearTime)
{
    std::string rtf = "{\\rtf1 ";
    rtf.append(4 << 20, '{');
    rtf += "texto";
    const auto t = pordane::update::shownText(rtf, "");
    EXPECT_TRUE(t.rich);
    EXPECT_LE(t.text.size(), 16u);
}

} // namespace
