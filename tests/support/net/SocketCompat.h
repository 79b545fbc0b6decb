// The few socket calls of the test servers (the scripted FTP server, the
// netdiag endpoints) that differ between POSIX and Winsock, so the same
// servers run in the Windows build under Wine. Header only.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstddef>
#include <cstdint>

namespace pordane::testsupport::sockets {

#ifdef _WIN32
// Winsock has no per-call non-blocking flag: the server's connected sockets
// are non-blocking instead (see acceptOn and connectBlocking).
inline constexpr int SendFlags = 0;

inline void start()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
}
inline int open() { return static_cast<int>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)); }
inline void nonBlocking(int fd)
{
    u_long on = 1;
    ::ioctlsocket(static_cast<SOCKET>(fd), FIONBIO, &on);
}
inline void close(int fd) { ::closesocket(static_cast<SOCKET>(fd)); }
inline bool retry() { return WSAGetLastError() == WSAEWOULDBLOCK; }
using PollFd = WSAPOLLFD;
inline int pollMany(PollFd* fds, std::size_t count, int ms) { return ::WSAPoll(fds, static_cast<ULONG>(count), ms); }
inline int pollOne(int fd, short events, int ms, short* revents = nullptr)
{
    WSAPOLLFD p{static_cast<SOCKET>(fd), events, 0};
    const int rc = ::WSAPoll(&p, 1, ms);
    if (revents)
        *revents = p.revents;
    return rc;
}
#else
inline constexpr int SendFlags = MSG_NOSIGNAL | MSG_DONTWAIT;

inline void start() {}
inline int open() { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }
inline void nonBlocking(int) {}
inline void close(int fd) { ::close(fd); }
inline bool retry() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }
using PollFd = pollfd;
inline int pollMany(PollFd* fds, std::size_t count, int ms) { return ::poll(fds, count, ms); }
inline int pollOne(int fd, short events, int ms, short* revents = nullptr)
{
    pollfd p{fd, events, 0};
    const int rc = ::poll(&p, 1, ms);
    if (revents)
        *revents = p.revents;
    return rc;
}
#endif

inline PollFd pollEntry(int fd, short events)
{
    PollFd p{};
    p.fd = static_cast<decltype(p.fd)>(fd);
    p.events = events;
    return p;
}

// Listens on address:port (0: any port, written back) with the backlog; -1
// when the address cannot be bound.
inline int listenOn(const char* address, int backlog, uint16_t& port)
{
    start();
    const int fd = open();
#ifndef _WIN32
    // On Windows the same option would let another socket take the port.
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
#endif
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    if (::inet_pton(AF_INET, address, &sa.sin_addr) != 1 || ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0
        || ::listen(fd, backlog) != 0) {
        close(fd);
        return -1;
    }
    socklen_t len = sizeof sa;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
    port = ntohs(sa.sin_port);
    return fd;
}

// Accepts one connection; -1 on failure.
inline int acceptOn(int listener)
{
#ifdef _WIN32
    const SOCKET s = ::accept(static_cast<SOCKET>(listener), nullptr, nullptr);
    if (s == INVALID_SOCKET)
        return -1;
    nonBlocking(static_cast<int>(s));
    return static_cast<int>(s);
#else
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
#endif
}

// A blocking connect; the socket is ready for SendFlags afterwards.
inline bool connectBlocking(int fd, const sockaddr_in& sa)
{
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0)
        return false;
    nonBlocking(fd);
    return true;
}

} // namespace pordane::testsupport::sockets
