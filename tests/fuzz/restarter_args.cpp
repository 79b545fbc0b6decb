// The restarter's arguments: its parameter line split as Windows splits it,
// the component names (and a ".INF" list read from the source folder)
// planned into replacements that never leave the two folders.
#include "platform/base/WindowsCommandLine.h"
#include "update/profile/ProfileFile.h"
#include "update/pusetup/Restarter.h"
#include "FuzzInput.h"

#include <cstdlib>
#include <fstream>

using namespace pordane;
namespace fs = std::filesystem;

namespace {

struct Folders {
    fs::path root = fs::temp_directory_path() / ("pordane-fuzz-restarter-" + std::to_string(::getpid()));
    fs::path source = root / "src";
    fs::path destination = root / "dst";
    Folders()
    {
        fs::create_directories(source);
        fs::create_directories(destination);
        for (const char* name : {"a.exe_new", "B.DLL_NEW", "c_new"})
            std::ofstream(source / name) << name;
    }
    ~Folders()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Folders folders;
    // Before the first NUL: the ".INF" list; after it: the command line.
    const auto parts = fuzz::split(fuzz::asText(data, size), '\0');
    const std::string& inf = parts[0];
    const std::string line = parts.size() > 1 ? parts[1] : std::string();
    std::ofstream(folders.source / "LIST.INF", std::ios::binary | std::ios::trunc) << inf;

    const auto list = profile::ProfileFile::parse(inf);
    (void)list.readInteger("FILES", "COUNT", 0);
    (void)list.find("CONFIG", "LOGFILENAME");

    const std::vector<std::string> arguments = platform::splitCommandLine(line);
    (void)platform::joinCommandLine(arguments);
    const auto plan = restarter::planReplacements(arguments, folders.source, folders.destination,
                                                  [](const std::string&) {});
    for (const auto& r : plan)
        if (r.source.parent_path() != folders.source || r.target.parent_path() != folders.destination)
            std::abort();
    return 0;
}
