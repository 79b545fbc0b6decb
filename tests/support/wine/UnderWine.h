// Whether a Windows test runs under Wine (ntdll exports wine_get_version),
// for the few places where Wine's behaviour differs from Windows'.
#pragma once

#ifdef _WIN32
#include <winsock2.h> // includes windows.h, in the order socket tests need
#endif

namespace pordane::testsupport {

inline bool runningUnderWine()
{
#ifdef _WIN32
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

} // namespace pordane::testsupport
