// The system.reg reader: the hive is parsed, then walked through the
// registry interface (both views, both roots) and the discovery's TEasyReg.
#include "catalogue/TEasyReg.h"
#include "platform/posix/WineHive.h"
#include "FuzzInput.h"

using namespace pordane;

namespace {

void walk(const platform::RegistryReader& reg, platform::RegistryRoot root, const std::string& path, int depth,
          int& budget)
{
    const auto key = reg.openKey(root, path);
    if (!key || depth > 40 || --budget < 0)
        return;
    (void)key->readString("");
    (void)key->readString("InstallDir");
    for (const std::string& name : key->subkeyNames()) {
        (void)key->readString(name);
        walk(reg, root, path.empty() ? name : path + "\\" + name, depth + 1, budget);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const platform::WineHive hive = platform::WineHive::parse(fuzz::asText(data, size));
    int budget = 2000;
    walk(hive, platform::RegistryRoot::LocalMachine, "", 0, budget);
    walk(hive, platform::RegistryRoot::ClassesRoot, "", 0, budget);
    (void)hive.openMachineKey("Software\\Wow6432Node");

    catalogue::TEasyReg reg(hive);
    std::string value;
    reg.ReadString("\\Software\\Corvalix\\Tessaly Soft Run Time 2.0", "InstallDir", value, "");
    if (reg.OpenKey("Software") && reg.OpenKey("Corvalix"))
        (void)reg.GetKeyNames();
    return 0;
}
