// The texts an update run shows: a fetched what's-new or licence text made
// ready for its dialog.
#pragma once

#include "views/UpdateDialogs.h"

#include <string>
#include <string_view>

namespace pordane::update {

// RTF (starting with "{\rtf" in any case) read to its text; anything else
// taken up to its first NUL byte (binary files show their text part),
// UTF-8 when valid, else Windows-1252. Line ends become "\n".
views::UpdateText shownText(std::string_view bytes, std::string caption);

} // namespace pordane::update
