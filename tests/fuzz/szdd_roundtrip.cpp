// Compress then expand gives the input back, with its name character.
#include "update/lz/Szdd.h"

#include <cstdlib>

using namespace pordane::update;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char lastChar = size ? static_cast<char>(data[0]) : 'e';
    const auto stream = szddCompress({data, size}, lastChar);
    const SzddExpansion out = szddExpand(stream);
    if (!out.ok() || out.lastChar != lastChar || out.bytes.size() != size ||
        !std::equal(out.bytes.begin(), out.bytes.end(), data))
        std::abort();
    return 0;
}
