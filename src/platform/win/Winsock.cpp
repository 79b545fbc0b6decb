#ifdef _WIN32

#include "platform/win/Winsock.h"

#include "platform/NetError.h"
#include "platform/base/TextEncoding.h"

#include <windows.h>

#include <algorithm>
#include <mutex>

namespace pordane::platform::winsock {

void ensureStarted()
{
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        if (const int rc = WSAStartup(MAKEWORD(2, 2), &data); rc != 0)
            throw NetError(NetError::Kind::Socket, "WSAStartup: " + errorText(rc), rc);
    });
}

std::string errorText(int code)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0,
                                        nullptr);
    std::u16string units;
    if (text) {
        units.assign(text, text + length);
        LocalFree(text);
    }
    while (!units.empty() && (units.back() == u'\n' || units.back() == u'\r' || units.back() == u' ' ||
                              units.back() == u'.'))
        units.pop_back();
    if (units.empty())
        return "error " + std::to_string(code);
    return utf16ToUtf8(units) + " (" + std::to_string(code) + ")";
}

void throwError(const char* what, int code)
{
    const std::string text = std::string(what) + ": " + errorText(code);
    if (code == WSAECONNRESET || code == WSAECONNABORTED || code == WSAESHUTDOWN || code == WSAENOTCONN)
        throw NetError(NetError::Kind::Closed, "Conexión cerrada por el otro extremo (" + text + ")", code);
    throw NetError(NetError::Kind::Socket, text, code);
}

void setNonBlocking(SOCKET s)
{
    u_long on = 1;
    if (ioctlsocket(s, FIONBIO, &on) != 0)
        throwError("ioctlsocket", WSAGetLastError());
}

bool waitFor(SOCKET s, Readiness what, std::chrono::milliseconds limit)
{
    const long long ms = std::max<long long>(0, limit.count());
    timeval tv{static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    // A failed connect shows only in the exception set.
    if (what == Readiness::Connect)
        FD_SET(s, &failed);
    const int rc = ::select(0, what == Readiness::Read ? &ready : nullptr,
                            what == Readiness::Read ? nullptr : &ready,
                            what == Readiness::Connect ? &failed : nullptr, &tv);
    if (rc == SOCKET_ERROR)
        throwError("select", WSAGetLastError());
    return rc > 0;
}

} // namespace pordane::platform::winsock

#endif
