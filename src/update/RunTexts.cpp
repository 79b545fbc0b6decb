#include "update/RunTexts.h"

#include "platform/base/TextEncoding.h"
#include "update/RtfText.h"

namespace pordane::update {

namespace {

std::string unixLineEnds(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

views::UpdateText shownText(std::string_view bytes, std::string caption)
{
    views::UpdateText t;
    t.caption = std::move(caption);
    if (looksLikeRtf(bytes)) {
        t.rich = true;
        t.text = rtfToText(bytes);
        return t;
    }
    bytes = bytes.substr(0, bytes.find('\0'));
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    t.text = unixLineEnds(platform::isValidUtf8(bytes) ? std::string(bytes) : platform::windows1252ToUtf8(bytes));
    return t;
}

} // namespace pordane::update
