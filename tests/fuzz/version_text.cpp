// The version-text rule: parsed, printed and parsed again to the same
// version; the comparison is a strict order on the packed words.
#include "update/VersionRules.h"
#include "FuzzInput.h"

#include <cstdlib>

using namespace pordane::update;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto text = pordane::fuzz::asText(data, size);
    const auto v = parseVersionText(text);
    if (!v)
        return 0;
    const auto again = parseVersionText(versionText(*v));
    if (!again || !(*again == *v))
        std::abort();
    if (isNewerVersion(*v, *v))
        std::abort();
    const size_t half = size / 2;
    if (const auto w = parseVersionText(text.substr(half)); w && isNewerVersion(*v, *w) && isNewerVersion(*w, *v))
        std::abort();
    (void)controlDateTime(text.substr(0, half), text.substr(half));
    return 0;
}
