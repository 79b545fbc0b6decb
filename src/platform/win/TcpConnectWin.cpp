#ifdef _WIN32

#include "platform/NetError.h"
#include "platform/base/Pump.h"
#include "platform/TcpConnect.h"
#include "platform/win/Winsock.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace pordane::platform {

void Socket::close()
{
    if (m_fd >= 0) {
        ::closesocket(winsock::handle(m_fd));
        m_fd = -1;
    }
}

Socket connectTcp(IPv4 address, uint16_t port, std::chrono::milliseconds timeout)
{
    using Clock = std::chrono::steady_clock;
    winsock::ensureStarted();
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        winsock::throwError("socket", WSAGetLastError());
    // Socket handles are small kernel handles; they fit the descriptor slot.
    Socket sock(static_cast<int>(s));
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    winsock::setNonBlocking(s);

    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(address.value);
    const std::string where = address.text() + ":" + std::to_string(port);

    if (::connect(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        const int err = WSAGetLastError();
        if (err != WSAEWOULDBLOCK)
            throw NetError(NetError::Kind::Socket, "No se ha podido conectar con " + where + ": " + winsock::errorText(err), err);
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                throw NetError(NetError::Kind::ConnectTimeout, "Tiempo de conexión agotado con " + where);
            if (winsock::waitFor(s, winsock::Readiness::Connect, std::min(left, ConnectPumpSlice)))
                break;
            pump();
        }
        int soError = 0;
        int len = sizeof soError;
        ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len);
        if (soError != 0)
            throw NetError(NetError::Kind::Socket, "No se ha podido conectar con " + where + ": " + winsock::errorText(soError), soError);
    }
    // Unlike the POSIX backend the socket stays non-blocking: every reader
    // and writer here waits with select() anyway, and Winsock has no
    // per-call MSG_DONTWAIT.
    BOOL one = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    return sock;
}

} // namespace pordane::platform

#endif
