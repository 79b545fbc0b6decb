#include "support/http/ScriptedHttpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace pordane::testsupport {

namespace {

int listenOn(uint16_t& port, int backlog)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, backlog) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(fd);
        throw std::runtime_error("bind/listen");
    }
    port = ntohs(a.sin_port);
    return fd;
}

const char* reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

} // namespace

ScriptedHttpServer::ScriptedHttpServer()
{
    m_listen = listenOn(m_port, 8);
    m_thread = std::thread([this] { run(); });
}

ScriptedHttpServer::~ScriptedHttpServer()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listen);
}

std::string ScriptedHttpServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void ScriptedHttpServer::on(const std::string& path, HttpReply reply)
{
    std::lock_guard lock(m_mutex);
    m_replies[path].push_back(std::move(reply));
}

std::vector<std::string> ScriptedHttpServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

HttpReply ScriptedHttpServer::replyFor(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_replies.find(path);
    if (it == m_replies.end() || it->second.empty()) {
        HttpReply notFound;
        notFound.status = 404;
        notFound.body = "no such file";
        return notFound;
    }
    std::size_t& used = m_used[path];
    const HttpReply r = it->second[std::min(used, it->second.size() - 1)];
    ++used;
    return r;
}

void ScriptedHttpServer::run()
{
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        serve(fd);
        ::close(fd);
    }
}

bool ScriptedHttpServer::sendAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Holds a stalled connection open until the client gives up (or the server stops).
bool ScriptedHttpServer::waitPeerClose(int fd)
{
    char sink[512];
    while (!m_stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0 && ::recv(fd, sink, sizeof sink, 0) <= 0)
            return true;
    }
    return false;
}

void ScriptedHttpServer::serve(int fd)
{
    std::string head;
    char buffer[4096];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (head.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < deadline && !m_stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(head);
    }
    // "GET /path HTTP/1.1"
    const std::size_t sp1 = head.find(' ');
    const std::size_t sp2 = head.find(' ', sp1 + 1);
    if (sp1 == std::string::npos || sp2 == std::string::npos)
        return;
    const HttpReply r = replyFor(head.substr(sp1 + 1, sp2 - sp1 - 1));

    std::string out = "HTTP/1.1 " + std::to_string(r.status) + " " + reason(r.status) + "\r\n";
    if (r.announceLength)
        out += "Content-Length: " + std::to_string(r.contentLength.value_or(static_cast<int64_t>(r.body.size()))) + "\r\n";
    for (const auto& h : r.headers)
        out += h + "\r\n";
    out += "Connection: close\r\n\r\n";
    if (!sendAll(fd, out.data(), out.size()))
        return;
    const std::size_t limit = r.stallAfter >= 0 ? std::min(r.body.size(), static_cast<std::size_t>(r.stallAfter)) : r.body.size();
    const std::size_t chunk = r.throttleBytes ? r.throttleBytes : limit + 1;
    for (std::size_t at = 0; at < limit && !m_stop; at += chunk) {
        if (!sendAll(fd, r.body.data() + at, std::min(chunk, limit - at)))
            return;
        if (r.throttleMs > 0 && at + chunk < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(r.throttleMs));
    }
    if (r.stallAfter >= 0)
        waitPeerClose(fd);
}

SilentListener::SilentListener()
{
    m_listen = listenOn(m_port, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(m_port);
    // Fill the accept queue (never accepted); later SYNs are dropped.
    for (int i = 0; i < 3; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        m_fillers.push_back(fd);
    }
    // Let the handshakes that can complete do so.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

SilentListener::~SilentListener()
{
    for (int fd : m_fillers)
        ::close(fd);
    ::close(m_listen);
}

uint16_t refusedPort()
{
    uint16_t port = 0;
    const int fd = listenOn(port, 1);
    ::close(fd);
    return port;
}

} // namespace pordane::testsupport
