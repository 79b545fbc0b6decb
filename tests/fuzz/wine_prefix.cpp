// The drive and path mapping of a Wine prefix: any Windows path maps into a
// drive folder of the prefix or not at all.
#include "platform/WinePrefix.h"
#include "FuzzInput.h"

#include <cstdlib>
#include <fstream>

using namespace pordane;
namespace fs = std::filesystem;

namespace {

struct Prefix {
    fs::path root = fs::temp_directory_path() / ("pordane-fuzz-prefix-" + std::to_string(::getpid()));
    Prefix()
    {
        fs::create_directories(root / "dosdevices");
        fs::create_directories(root / "drive_c" / "Corvalix" / "Sistema");
        fs::create_directories(root / "drive_c" / "windows");
        fs::create_directories(root / "drive_d" / "Datos");
        fs::create_symlink("../drive_c", root / "dosdevices" / "c:");
        fs::create_symlink("../drive_d", root / "dosdevices" / "d:");
        fs::create_symlink("../missing", root / "dosdevices" / "e:");
        std::ofstream(root / "drive_c" / "Corvalix" / "Sistema" / "Corvalix.config") << "x";
        std::ofstream(root / "system.reg") << "WINE REGISTRY Version 2\n\n[Software\\\\Wine\\\\Drives] 1\n\"d:\"=\"cdrom\"\n";
    }
    ~Prefix()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

bool within(const fs::path& path, const fs::path& folder)
{
    const auto rel = path.lexically_normal().lexically_relative(folder);
    return !rel.empty() && *rel.begin() != "..";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Prefix prefix;
    static platform::WinePrefix wine(prefix.root);
    const auto text = fuzz::asText(data, size);
    if (const auto native = wine.nativePath(text); native && !within(*native, prefix.root / "dosdevices"))
        std::abort();
    if (size)
        (void)wine.driveType(static_cast<char>(data[0]));
    (void)wine.environmentVariable(text);
    return 0;
}
