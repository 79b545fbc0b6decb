// The version note reader of our ELF executables on a hostile file, and the
// combined reader that tries PE first.
#include "platform/base/VersionResource.h"
#include "FuzzInput.h"

using namespace pordane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::ScratchFile scratch("pordane-fuzz-elf");
    const auto& path = scratch.write(data, size);
    (void)platform::readElfVersionNote(path);
    (void)platform::readFileVersion(path);
    return 0;
}
