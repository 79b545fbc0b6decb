#include "update/UpdateFolders.h"

#include "platform/HostEnvironment.h"
#include "platform/base/PathMatch.h"
#include "platform/SpecialFolders.h"
#include "platform/base/VersionResource.h"

#include <cstdlib>
#include <system_error>

namespace pordane::update {

namespace {

std::optional<std::string> windowsFolder(bool system)
{
    if (auto folder = platform::specialFolder(system ? platform::SpecialFolder::System : platform::SpecialFolder::Windows))
        return folder->string();
    const auto host = platform::openHostEnvironment();
    const auto windir = host->environmentVariable("windir");
    if (!windir)
        return std::nullopt;
    const auto native = host->nativePath(*windir + (system ? "\\system32" : ""));
    std::error_code ec;
    if (!native || !std::filesystem::is_directory(*native, ec))
        return std::nullopt;
    return native->string();
}

std::optional<std::string> folderString(platform::SpecialFolder which)
{
    if (auto folder = platform::specialFolder(which))
        return folder->string();
    return std::nullopt;
}

std::optional<PackedVersion> fileVersion(const std::filesystem::path& file)
{
    if (auto v = platform::readFileVersion(file))
        return PackedVersion{v->ms, v->ls};
    return std::nullopt;
}

} // namespace

FolderLookup systemFolders(std::string tempDirectory)
{
    return [tmp = std::move(tempDirectory)](const std::string& name) -> std::optional<std::string> {
        using platform::SpecialFolder;
        if (name == "APP")
            return folderString(SpecialFolder::Program);
        if (name == "WIN" || name == "SYS")
            return windowsFolder(name == "SYS");
        if (name == "TMP")
            return tmp;
        if (name == "DOC")
            return folderString(SpecialFolder::Documents);
        if (name == "PF") {
            const char* pf = std::getenv("ProgramFiles");
            return pf && *pf ? std::optional<std::string>(pf) : std::nullopt;
        }
        if (name == "LAD")
            return folderString(SpecialFolder::LocalAppData);
        if (name == "APPDATA")
            return folderString(SpecialFolder::RoamingAppData);
        return std::nullopt;
    };
}

RuleContext systemRuleContext(std::string tempDirectory)
{
    RuleContext ctx;
    ctx.folders = systemFolders(std::move(tempDirectory));
    ctx.style = platform::WindowsPaths ? PathStyle::Windows : PathStyle::Posix;
    ctx.toNative = [](std::string_view p) { return platform::controlPathToNative(p); };
    ctx.readVersion = &fileVersion;
    return ctx;
}

} // namespace pordane::update
