#ifdef _WIN32

#include "platform/Shell.h"

#include "platform/base/TextEncoding.h"

#include <windows.h>

#include <shellapi.h>

namespace pordane::platform {

namespace {

std::wstring wide(const std::string& utf8)
{
    const std::u16string w = utf8ToUtf16(utf8);
    return std::wstring(w.begin(), w.end());
}

bool opened(HINSTANCE h)
{
    return reinterpret_cast<INT_PTR>(h) > 32;
}

// Systems before Vista lack this export of kernel32.
bool beforeVista()
{
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return !kernel || !GetProcAddress(kernel, "GetLocaleInfoEx");
}

bool runCommandLine(std::wstring line)
{
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

} // namespace

bool shellOpen(const std::filesystem::path& file, const std::string& parameters)
{
    if (beforeVista())
        return runCommandLine(file.wstring() + L" " + wide(parameters));
    const std::wstring params = wide(parameters);
    return opened(ShellExecuteW(nullptr, L"open", file.c_str(), params.empty() ? nullptr : params.c_str(), nullptr,
                                SW_SHOWNORMAL));
}

bool openInBrowser(const std::string& address)
{
    if (!isWebAddress(address))
        return false;
    const std::wstring url = wide(address);
    const std::wstring params = L"-new " + url;
    if (opened(ShellExecuteW(nullptr, nullptr, L"iexplore.exe", params.c_str(), nullptr, SW_SHOWNORMAL)))
        return true;
    return opened(ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

} // namespace pordane::platform

#endif
