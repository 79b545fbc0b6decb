#include "update/RestarterCommand.h"

#include "platform/base/WindowsCommandLine.h"
#include "platform/SpecialFolders.h"

namespace pordane::update {

namespace {

std::string quotedWhenBlank(const std::string& text)
{
    return text.find(' ') == std::string::npos ? text : "\"" + text + "\"";
}

bool absoluteName(const std::string& name)
{
    // A Windows name is absolute when it holds a drive's colon.
    return platform::WindowsPaths ? name.find(':') != std::string::npos : name.starts_with('/');
}

} // namespace

std::string restarterCommandLine(const RestarterCommand& c)
{
    const char separator = platform::WindowsPaths ? '\\' : '/';
    std::string app = "null";
    if (c.autoRestart)
        app = quotedWhenBlank(absoluteName(c.appName) ? c.appName : c.currentFolder + separator + c.appName);
    return std::to_string(c.processId) + (c.logging ? " L " : " X ") + app + " " +
           quotedWhenBlank(c.appParam.empty() ? " " : c.appParam) + " \"" + c.tempDirectory + "\" " + c.appComps;
}

std::optional<platform::ProcessId> startRestarter(const std::filesystem::path& restarter, const std::string& line,
                                                  const std::filesystem::path& folder)
{
    return platform::startDetached(restarter, platform::splitCommandLine(line), folder);
}

} // namespace pordane::update
