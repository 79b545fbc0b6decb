// The RTF reader of the what's-new and licence texts: output stays within a
// few bytes per input byte.
#include "update/RtfText.h"
#include "FuzzInput.h"

#include <cstdlib>

using namespace pordane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto text = fuzz::asText(data, size);
    (void)update::looksLikeRtf(text);
    const std::string plain = update::rtfToText(text);
    if (plain.size() > 8 * size + 16)
        std::abort();
    return 0;
}
