// The SZDD expander on any stream: it either fails or yields exactly the
// length its header announces.
#include "update/lz/Szdd.h"

#include <cstdlib>

using namespace pordane::update;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SzddStats stats;
    const SzddExpansion out = szddExpand({data, size}, &stats);
    if (!out.ok()) {
        if (!out.bytes.empty())
            std::abort();
        return 0;
    }
    const size_t announced = size_t(data[10]) | size_t(data[11]) << 8 | size_t(data[12]) << 16 | size_t(data[13]) << 24;
    if (out.bytes.size() != announced)
        std::abort();
    (void)szddExpandedName("pusetup.ex_", out.lastChar);
    return 0;
}
