#ifdef _WIN32

#include "platform/base/WindowsCommandLine.h"
#include "platform/Process.h"
#include "platform/base/TextEncoding.h"

#include <windows.h>

namespace pordane::platform {

std::vector<std::string> programArguments(int, char**)
{
    const std::wstring line = GetCommandLineW();
    auto args = splitCommandLine(utf16ToUtf8(std::u16string(line.begin(), line.end())));
    if (!args.empty())
        args.erase(args.begin());
    return args;
}

ProcessId currentProcessId()
{
    return static_cast<ProcessId>(GetCurrentProcessId());
}

std::optional<ProcessId> startDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                                       const std::filesystem::path& folder)
{
    std::wstring line = L"\"" + program.wstring() + L"\"";
    if (!arguments.empty()) {
        const std::u16string rest = utf8ToUtf16(joinCommandLine(arguments));
        line += L" " + std::wstring(rest.begin(), rest.end());
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION pi{};
    const std::wstring dir = folder.wstring();
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP,
                        nullptr, dir.empty() ? nullptr : dir.c_str(), &si, &pi))
        return std::nullopt;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<ProcessId>(pi.dwProcessId);
}

bool waitForProcessEnd(ProcessId pid, std::optional<std::chrono::milliseconds> limit)
{
    if (pid <= 0 || pid > 0xFFFFFFFFll)
        return true;
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!h)
        return true;  // no such process any more
    const DWORD ms = limit ? static_cast<DWORD>(std::min<long long>(limit->count(), INFINITE - 1)) : INFINITE;
    const DWORD r = WaitForSingleObject(h, ms);
    CloseHandle(h);
    return r == WAIT_OBJECT_0;
}

} // namespace pordane::platform

#endif
