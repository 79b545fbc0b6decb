// The PE VERSIONINFO reader on a hostile file (it reads from a path).
#include "platform/base/VersionResource.h"
#include "FuzzInput.h"

using namespace pordane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::ScratchFile scratch("pordane-fuzz-pe");
    (void)platform::readPeFileVersion(scratch.write(data, size));
    return 0;
}
