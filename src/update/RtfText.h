// The text of a what's-new or licence text written as RTF: letters,
// paragraphs (\par, \line), tabs, Windows-1252 escapes (\'e1), Unicode
// characters (\uN with its \ucN fallback) and the common typographic
// symbols are kept; formatting, font and colour tables, style sheets,
// document information, pictures, fields' instructions and every "\*"
// destination are dropped. One pass, no recursion, output at most a few
// bytes per input byte: huge, binary or broken input is read as far as it
// goes.
#pragma once

#include <string>
#include <string_view>

namespace pordane::update {

// Whether a text is shown as rich text: it starts with "{\rtf" in any case.
bool looksLikeRtf(std::string_view text);

// The plain text of `rtf`, UTF-8, paragraphs ended by "\n".
std::string rtfToText(std::string_view rtf);

} // namespace pordane::update
