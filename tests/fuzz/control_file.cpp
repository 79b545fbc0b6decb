// The update control file and the substitutions applied to its values. The
// key names follow the control file's own ([FILES] COUNT, FILEn, ...).
#include "update/profile/ProfileFile.h"
#include "update/Substitution.h"
#include "FuzzInput.h"

#include <optional>

using namespace pordane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const profile::ProfileFile file = profile::ProfileFile::parse(fuzz::asText(data, size));
    const update::FolderLookup folders = [](const std::string& name) -> std::optional<std::string> {
        if (name == "APP")
            return std::string("C:\\Corvalix\\Talvane\\");
        if (name == "WIN")
            return std::string("C:\\");
        if (name == "TMP")
            return std::string("/tmp/{APP}/");
        return std::nullopt;
    };
    (void)file.highestNumberedSection("FILE");
    const int count = file.readInteger("FILES", "COUNT", 0);
    for (int i = 1; i <= count && i <= 32; ++i) {
        const std::string key = "FILE" + std::to_string(i);
        const std::string value = file.readString("FILES", key);
        (void)update::substitutePath(value, folders, update::PathStyle::Windows);
        (void)update::substitutePath(value, folders, update::PathStyle::Posix);
        (void)update::fileNameOfAddress(value);
        (void)update::substituteText(file.readString(key, "TEXT"));
        (void)file.readInteger(key, "SIZE", -1);
    }
    for (const char* key : {"DESCRIPTION", "URL", "VERSION", "DATE", "TIME"}) {
        const std::string value = file.readString("GENERAL", key);
        (void)update::substituteText(value);
        (void)update::insertableFolder(value, update::PathStyle::Windows);
        (void)update::insertableFolder(value, update::PathStyle::Posix);
    }
    return 0;
}
