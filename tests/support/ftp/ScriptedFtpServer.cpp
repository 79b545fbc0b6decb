#include "support/ftp/ScriptedFtpServer.h"
#include "support/net/SocketCompat.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace pordane::testsupport {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
constexpr int Slice = 20; // ms between checks of the stop flag

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string toWire(const std::string& reply)
{
    std::string out;
    std::istringstream in(reply);
    std::string line;
    while (std::getline(in, line))
        out += line + "\r\n";
    return out;
}

sockaddr_in loopbackAddress(uint32_t hostOrder, uint16_t port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(hostOrder);
    return sa;
}

// A stalled receiver should hold back the client's bytes in the client's own
// send queue, not in a large receive buffer here.
void smallReceiveBuffer(int fd)
{
    const int size = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
}

int listenOn(uint16_t& port)
{
    const int fd = sockets::listenOn("127.0.0.1", 8, port);
    if (fd < 0)
        throw std::runtime_error("scripted server: cannot listen");
    return fd;
}

void closeFd(int& fd)
{
    if (fd >= 0)
        sockets::close(fd);
    fd = -1;
}

} // namespace

struct ScriptedFtpServer::Session {
    int control = -1;
    std::string buffer;
    bool closed = false;
    int pasvListener = -1;
    uint32_t activeAddress = 0;
    uint16_t activePort = 0;

    ~Session()
    {
        closeFd(control);
        closeFd(pasvListener);
    }
};

ScriptedFtpServer::ScriptedFtpServer(const std::vector<std::string>& script)
{
    for (const std::string& directive : script) {
        std::istringstream in(directive);
        std::string keyword;
        in >> keyword;
        auto rest = [&] {
            // The rest of the directive, line breaks included.
            std::string r{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            const auto start = r.find_first_not_of(' ');
            return start == std::string::npos ? std::string() : r.substr(start);
        };
        std::string verb;
        if (keyword == "GREETING") {
            m_greetings.push_back(rest());
        } else if (keyword == "REPLY") {
            in >> verb;
            m_replies[upper(verb)].push_back(rest());
        } else if (keyword == "DELAY") {
            int ms = 0;
            in >> verb >> ms;
            m_delays[upper(verb)] = ms;
        } else if (keyword == "CLOSE-AFTER") {
            in >> verb;
            m_closeAfter.push_back(upper(verb));
        } else if (keyword == "PASV") {
            in >> m_pasvAddress;
        } else if (keyword == "TRICKLE") {
            in >> m_trickleMs;
        } else if (keyword == "THROTTLE") {
            in >> m_throttleBytes >> m_throttleMs;
        } else if (keyword == "PAUSE") {
            size_t at = 0;
            in >> at >> m_pauseMs;
            m_pauseAt = at;
        } else if (keyword == "STALL") {
            size_t at = 0;
            in >> at;
            m_stallAt = at;
        } else if (keyword == "FINAL") {
            in >> verb;
            m_finals[upper(verb)] = rest();
        } else if (keyword == "FINAL-DELAY") {
            in >> m_finalDelayMs;
        } else if (keyword == "ABORT-REPLIES") {
            m_abortReplies = rest();
        } else {
            throw std::invalid_argument("scripted server: unknown directive " + directive);
        }
    }
    if (m_greetings.empty())
        m_greetings.push_back("220 Scripted FTP server ready");
    m_listenFd = listenOn(m_port);
    m_thread = std::thread([this] { run(); });
}

ScriptedFtpServer::~ScriptedFtpServer()
{
    m_stop = true;
    m_thread.join();
    closeFd(m_listenFd);
}

void ScriptedFtpServer::setFile(const std::string& name, std::string content)
{
    std::lock_guard lock(m_mutex);
    m_files[name] = std::move(content);
}

void ScriptedFtpServer::setListing(std::string content)
{
    std::lock_guard lock(m_mutex);
    m_listing = std::move(content);
}

void ScriptedFtpServer::setRawGreeting(std::string bytes)
{
    std::lock_guard lock(m_mutex);
    m_rawGreeting = std::move(bytes);
}

std::vector<std::string> ScriptedFtpServer::commands() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> all;
    for (const auto& s : m_sessions)
        all.insert(all.end(), s.begin(), s.end());
    return all;
}

std::vector<std::vector<std::string>> ScriptedFtpServer::sessions() const
{
    std::lock_guard lock(m_mutex);
    return m_sessions;
}

std::optional<std::string> ScriptedFtpServer::stored(const std::string& name) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_stored.find(name);
    if (it == m_stored.end())
        return std::nullopt;
    return it->second;
}

int ScriptedFtpServer::dataConnections() const
{
    std::lock_guard lock(m_mutex);
    return m_dataConnections;
}

bool ScriptedFtpServer::waitIdle(std::chrono::milliseconds limit) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, limit, [&] { return !m_sessionOpen; });
}

void ScriptedFtpServer::record(const std::string& line)
{
    std::lock_guard lock(m_mutex);
    m_sessions.back().push_back(line);
}

bool ScriptedFtpServer::sleepFor(std::chrono::milliseconds ms) const
{
    const auto until = Clock::now() + ms;
    while (Clock::now() < until) {
        if (m_stop)
            return false;
        std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(until - Clock::now(), std::chrono::milliseconds(Slice)));
    }
    return !m_stop;
}

// ---------------------------------------------------------------- socket helpers

namespace {

// Waits for `events` on fd; false on time-out or stop.
bool waitFor(int fd, short events, std::chrono::milliseconds limit, const std::atomic<bool>& stop)
{
    const auto until = Clock::now() + limit;
    while (!stop) {
        if (sockets::pollOne(fd, events, Slice) > 0)
            return true;
        if (Clock::now() >= until)
            return false;
    }
    return false;
}

bool sendAllFd(int fd, const char* data, size_t size, const std::atomic<bool>& stop)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, static_cast<int>(std::min<size_t>(size, 1 << 30)), sockets::SendFlags);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
        } else if (n < 0 && sockets::retry()) {
            if (!waitFor(fd, POLLOUT, 30s, stop))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// One line from the control connection, or nullopt on time-out; sets `closed` at end of input.
std::optional<std::string> readControlLine(int fd, std::string& buffer, bool& closed, std::chrono::milliseconds limit,
                                           const std::atomic<bool>& stop)
{
    const auto until = Clock::now() + limit;
    for (;;) {
        const auto nl = buffer.find('\n');
        if (nl != std::string::npos) {
            std::string line = buffer.substr(0, nl);
            buffer.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        if (closed || stop)
            return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        if (sockets::pollOne(fd, POLLIN, static_cast<int>(std::min<long long>(left.count(), Slice))) <= 0)
            continue;
        char chunk[4096];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) {
            closed = true;
            return std::nullopt;
        }
        buffer.append(chunk, static_cast<size_t>(n));
    }
}

} // namespace

// ---------------------------------------------------------------- sessions

void ScriptedFtpServer::run()
{
    while (!m_stop) {
        if (sockets::pollOne(m_listenFd, POLLIN, Slice) <= 0)
            continue;
        const int fd = sockets::acceptOn(m_listenFd);
        if (fd < 0)
            continue;
        {
            std::lock_guard lock(m_mutex);
            m_sessions.emplace_back();
            m_sessionOpen = true;
        }
        serve(fd);
        {
            std::lock_guard lock(m_mutex);
            m_sessionOpen = false;
        }
        m_changed.notify_all();
    }
}

void ScriptedFtpServer::sendReply(Session& s, const std::string& reply)
{
    const std::string wire = toWire(reply);
    if (m_trickleMs <= 0) {
        if (!sendAllFd(s.control, wire.data(), wire.size(), m_stop))
            s.closed = true;
        return;
    }
    for (char byte : wire) {
        if (!sendAllFd(s.control, &byte, 1, m_stop) || !sleepFor(std::chrono::milliseconds(m_trickleMs))) {
            s.closed = true;
            return;
        }
    }
}

std::optional<std::string> ScriptedFtpServer::scripted(const std::string& verb)
{
    const auto it = m_replies.find(verb);
    if (it == m_replies.end())
        return std::nullopt;
    size_t& use = m_replyUse[verb];
    const std::string& reply = it->second[std::min(use, it->second.size() - 1)];
    ++use;
    return reply;
}

void ScriptedFtpServer::serve(int fd)
{
    Session s;
    s.control = fd;
    std::optional<std::string> raw;
    {
        std::lock_guard lock(m_mutex);
        raw = m_rawGreeting;
    }
    if (raw) {
        if (!sendAllFd(fd, raw->data(), raw->size(), m_stop))
            return;
    } else {
        for (const std::string& greeting : m_greetings)
            sendReply(s, greeting);
    }
    while (!m_stop && !s.closed) {
        const auto line = readControlLine(s.control, s.buffer, s.closed, 1h, m_stop);
        if (!line)
            break;
        record(*line);
        if (!handle(s, *line))
            break;
    }
}

bool ScriptedFtpServer::handle(Session& s, const std::string& line)
{
    const auto space = line.find(' ');
    const std::string verb = upper(line.substr(0, space));
    const std::string arg = space == std::string::npos ? std::string() : line.substr(space + 1);

    if (std::find(m_closeAfter.begin(), m_closeAfter.end(), verb) != m_closeAfter.end())
        return false;
    if (const auto it = m_delays.find(verb); it != m_delays.end() && !sleepFor(std::chrono::milliseconds(it->second)))
        return false;

    const bool isTransfer = verb == "RETR" || verb == "STOR" || verb == "LIST" || verb == "MLSD";
    const std::optional<std::string> reply = scripted(verb);
    if (reply && !(isTransfer && !reply->empty() && (*reply)[0] == '1')) {
        sendReply(s, *reply);
        return verb != "QUIT" && reply->rfind("421", 0) != 0 && !s.closed;
    }
    if (isTransfer) {
        transfer(s, verb, arg, reply.value_or("150 Opening data connection"));
        return !s.closed;
    }

    if (verb == "PASV") {
        closeFd(s.pasvListener);
        uint16_t port = 0;
        s.pasvListener = listenOn(port);
        if (m_stallAt)
            smallReceiveBuffer(s.pasvListener);
        std::string address = m_pasvAddress;
        std::replace(address.begin(), address.end(), '.', ',');
        sendReply(s, "227 Entering Passive Mode (" + address + "," + std::to_string(port >> 8) + "," +
                         std::to_string(port & 0xFF) + ")");
    } else if (verb == "PORT") {
        unsigned a, b, c, d, p1, p2;
        char tail;
        if (std::sscanf(arg.c_str(), "%u,%u,%u,%u,%u,%u%c", &a, &b, &c, &d, &p1, &p2, &tail) != 6 || a != 127 ||
            b > 255 || c > 255 || d > 255 || p1 > 255 || p2 > 255) {
            // Only loopback targets: this server never connects anywhere else.
            sendReply(s, "500 Illegal PORT command.");
        } else {
            s.activeAddress = (a << 24) | (b << 16) | (c << 8) | d;
            s.activePort = static_cast<uint16_t>(p1 * 256 + p2);
            sendReply(s, "200 PORT command successful");
        }
    } else if (verb == "USER") {
        sendReply(s, "331 Password required");
    } else if (verb == "PASS") {
        sendReply(s, "230 Logged in");
    } else if (verb == "HOST") {
        sendReply(s, "220 Host accepted");
    } else if (verb == "FEAT") {
        sendReply(s, "211-Features:\n SIZE\n MDTM\n211 End");
    } else if (verb == "TYPE") {
        sendReply(s, "200 Type set");
    } else if (verb == "SYST") {
        sendReply(s, "215 UNIX Type: L8");
    } else if (verb == "CWD") {
        sendReply(s, "250 Directory changed");
    } else if (verb == "DELE") {
        sendReply(s, "250 File deleted");
    } else if (verb == "RNFR") {
        sendReply(s, "350 Ready for RNTO");
    } else if (verb == "RNTO") {
        sendReply(s, "250 Rename successful");
    } else if (verb == "CLNT" || verb == "PRET" || verb == "NOOP") {
        sendReply(s, "200 OK");
    } else if (verb == "ABOR") {
        sendReply(s, "225 No transfer to abort");
    } else if (verb == "QUIT") {
        sendReply(s, "221 Goodbye");
        return false;
    } else {
        sendReply(s, "502 Command not implemented");
    }
    return !s.closed;
}

void ScriptedFtpServer::transfer(Session& s, const std::string& verb, const std::string& arg, const std::string& preliminary)
{
    std::string content;
    bool found = true;
    {
        std::lock_guard lock(m_mutex);
        if (verb == "RETR") {
            const auto it = m_files.find(arg);
            found = it != m_files.end();
            if (found)
                content = it->second;
        } else if (verb != "STOR") {
            content = m_listing;
        }
    }
    if (!found) {
        sendReply(s, "550 File not found");
        return;
    }

    // Passive: the client connects first, then hears 150. Active: 150, then we connect.
    int data = -1;
    if (s.pasvListener >= 0) {
        if (waitFor(s.pasvListener, POLLIN, 5s, m_stop))
            data = sockets::acceptOn(s.pasvListener);
        closeFd(s.pasvListener);
        if (data < 0) {
            sendReply(s, "425 Can't open data connection");
            return;
        }
        sendReply(s, preliminary);
    } else if (s.activePort != 0) {
        sendReply(s, preliminary);
        data = sockets::open();
        if (m_stallAt)
            smallReceiveBuffer(data);
        sockaddr_in sa = loopbackAddress(s.activeAddress, s.activePort);
        s.activePort = 0;
        if (!sockets::connectBlocking(data, sa)) {
            closeFd(data);
            sendReply(s, "425 Can't open data connection");
            return;
        }
    } else {
        // No usable PORT or PASV: promise the transfer, never connect, and
        // give the final reply once the client has had time to give up.
        sendReply(s, preliminary);
        if (!sleepFor(500ms))
            return;
        const auto final = m_finals.find(verb);
        sendReply(s, final != m_finals.end() ? final->second : "425 Can't open data connection");
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        ++m_dataConnections;
    }

    // ABOR may come on the control connection while data flows.
    auto aborRequested = [&](std::chrono::milliseconds wait) {
        const auto cmd = readControlLine(s.control, s.buffer, s.closed, wait, m_stop);
        if (!cmd)
            return false;
        record(*cmd);
        return upper(*cmd) == "ABOR";
    };

    bool broken = false;
    bool aborted = false;
    if (verb == "STOR") {
        std::string received;
        char chunk[64 * 1024];
        for (;;) {
            if (m_stallAt && received.size() >= *m_stallAt) {
                // Read nothing more: the client's bytes pile up in its send
                // queue. Wait for its reset (no events asked: only errors and
                // hang-ups wake the poll) or its ABOR.
                while (!m_stop) {
                    if (sockets::pollOne(data, 0, 0) > 0) {
                        broken = true;
                        break;
                    }
                    if (aborRequested(20ms)) {
                        aborted = true;
                        break;
                    }
                }
                break;
            }
            if (!waitFor(data, POLLIN, 30s, m_stop))
                break;
            size_t want = sizeof chunk;
            if (m_stallAt)
                want = std::min(want, *m_stallAt - received.size());
            const ssize_t n = ::recv(data, chunk, static_cast<int>(want), 0);
            if (n <= 0) {
                broken = n < 0;
                break;
            }
            received.append(chunk, static_cast<size_t>(n));
        }
        std::lock_guard lock(m_mutex);
        m_stored[arg] = std::move(received);
    } else {
        size_t sent = 0;
        bool paused = false;
        while (sent < content.size() && !aborted && !broken) {
            if (m_stallAt && sent >= *m_stallAt) {
                // Hold the data connection open without sending until the client gives up.
                while (!m_stop && !waitFor(data, POLLIN, 1s, m_stop)) {
                }
                broken = true;
                break;
            }
            size_t chunk = m_throttleBytes ? m_throttleBytes : 64 * 1024;
            chunk = std::min(chunk, content.size() - sent);
            if (m_stallAt && *m_stallAt > sent)
                chunk = std::min(chunk, *m_stallAt - sent);
            if (m_pauseAt && !paused && *m_pauseAt > sent)
                chunk = std::min(chunk, *m_pauseAt - sent);
            if (!sendAllFd(data, content.data() + sent, chunk, m_stop)) {
                broken = true;
                break;
            }
            sent += chunk;
            std::chrono::milliseconds wait{m_throttleMs};
            if (m_pauseAt && !paused && sent >= *m_pauseAt) {
                paused = true;
                wait += std::chrono::milliseconds(m_pauseMs);
            }
            if (wait.count() > 0 || m_throttleBytes) {
                if (aborRequested(wait))
                    aborted = true;
            } else {
                if (sockets::pollOne(s.control, POLLIN, 0) > 0 && aborRequested(0ms))
                    aborted = true;
            }
        }
    }
    closeFd(data);
    // A client that aborts sends ABOR before it drops the data connection.
    if (!aborted && broken && aborRequested(200ms))
        aborted = true;
    if (aborted) {
        sendReply(s, m_abortReplies);
        return;
    }
    if (m_finalDelayMs > 0 && !sleepFor(std::chrono::milliseconds(m_finalDelayMs)))
        return;
    const auto final = m_finals.find(verb);
    if (final != m_finals.end())
        sendReply(s, final->second);
    else
        sendReply(s, broken ? "426 Connection closed; transfer aborted." : "226 Transfer complete");
}

} // namespace pordane::testsupport
