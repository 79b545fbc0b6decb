#include "platform/NetError.h"
#include "platform/base/Pump.h"
#include "platform/TcpConnect.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pordane::platform {

void Socket::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

Socket connectTcp(IPv4 address, uint16_t port, std::chrono::milliseconds timeout)
{
    using Clock = std::chrono::steady_clock;
    Socket sock(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!sock.valid())
        throw NetError(NetError::Kind::Socket, std::string("socket: ") + std::strerror(errno), errno);

    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(address.value);
    const std::string where = address.text() + ":" + std::to_string(port);

    // A non-blocking connect waited for with poll() gives the same bounded,
    // pumping wait as a worker thread would, without a thread to stop.
    if (::connect(sock.fd(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        if (errno != EINPROGRESS) {
            const int err = errno;
            throw NetError(NetError::Kind::Socket, "No se ha podido conectar con " + where + ": " + std::strerror(err), err);
        }
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                throw NetError(NetError::Kind::ConnectTimeout, "Tiempo de conexión agotado con " + where);
            const auto slice = std::min(left, ConnectPumpSlice);
            pollfd pfd{sock.fd(), POLLOUT, 0};
            const int rc = ::poll(&pfd, 1, static_cast<int>(slice.count()));
            if (rc < 0 && errno != EINTR) {
                const int err = errno;
                throw NetError(NetError::Kind::Socket, std::string("poll: ") + std::strerror(err), err);
            }
            if (rc > 0)
                break;
            pump();
        }
        int err = 0;
        socklen_t len = sizeof err;
        ::getsockopt(sock.fd(), SOL_SOCKET, SO_ERROR, &err, &len);
        if (err != 0)
            throw NetError(NetError::Kind::Socket, "No se ha podido conectar con " + where + ": " + std::strerror(err), err);
    }

    // Back to blocking mode: readers and writers use their own poll-based limits.
    const int flags = ::fcntl(sock.fd(), F_GETFL);
    ::fcntl(sock.fd(), F_SETFL, flags & ~O_NONBLOCK);
    int one = 1;
    ::setsockopt(sock.fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return sock;
}

} // namespace pordane::platform
