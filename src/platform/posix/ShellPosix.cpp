#include "platform/Shell.h"

#include "platform/base/WindowsCommandLine.h"
#include "platform/Process.h"

#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pordane::platform {

namespace fs = std::filesystem;

namespace {

// The program stays the parent of what it starts: reap it in the background
// so no zombie is left while the program runs on.
bool startAndReap(const fs::path& program, const std::vector<std::string>& arguments, const fs::path& folder = {})
{
    const auto pid = startDetached(program, arguments, folder);
    if (!pid)
        return false;
    std::thread([id = static_cast<pid_t>(*pid)] {
        int status = 0;
        while (::waitpid(id, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

std::optional<fs::path> findInPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (dir.empty())
            continue;
        const fs::path candidate = fs::path(std::string(dir)) / name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

bool openWithDesktop(const std::string& what)
{
    const auto opener = findInPath("xdg-open");
    return opener && startAndReap(*opener, {what});
}

} // namespace

bool shellOpen(const fs::path& file, const std::string& parameters)
{
    if (isWebAddress(file.string()))
        return openWithDesktop(file.string());
    std::error_code ec;
    const fs::path absolute = fs::absolute(file, ec);
    if (ec || !fs::is_regular_file(absolute, ec))
        return false;
    if (::access(absolute.c_str(), X_OK) == 0)
        return startAndReap(absolute, splitCommandLine(parameters), absolute.parent_path());
    return openWithDesktop(absolute.string());
}

bool openInBrowser(const std::string& address)
{
    return isWebAddress(address) && openWithDesktop(address);
}

} // namespace pordane::platform
