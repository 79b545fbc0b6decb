#include "support/http/LighttpdServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pordane::testsupport {

namespace {

bool answers(const std::string& address)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(80);
    ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

} // namespace

LighttpdServer::LighttpdServer(std::string address) : m_address(std::move(address))
{
    if (::geteuid() != 0) {
        m_why = "port 80 needs root";
        return;
    }
    char pattern[] = "/tmp/pordane-lighttpd-XXXXXX";
    if (!::mkdtemp(pattern)) {
        m_why = "no temporary folder";
        return;
    }
    m_dir = pattern;
    m_root = m_dir / "www";
    std::filesystem::create_directories(m_root);
    using std::filesystem::perms;
    std::filesystem::permissions(m_dir, perms::owner_all | perms::group_read | perms::group_exec | perms::others_read
                                            | perms::others_exec);
    std::filesystem::permissions(m_root, perms::owner_all | perms::group_read | perms::group_exec
                                             | perms::others_read | perms::others_exec);
    // lighttpd opens its log after it has dropped to "nobody".
    const auto log = m_dir / "error.log";
    std::ofstream{log};
    if (const passwd* nobody = ::getpwnam("nobody"))
        if (::chown(log.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
            m_why = "cannot hand the log to nobody";
    const auto conf = m_dir / "lighttpd.conf";
    std::ofstream(conf) << "server.document-root = \"" << m_root.string() << "\"\n"
                        << "server.bind = \"" << m_address << "\"\n"
                        << "server.port = 80\n"
                        << "server.username = \"nobody\"\n"
                        << "server.groupname = \"nogroup\"\n"
                        << "server.errorlog = \"" << (m_dir / "error.log").string() << "\"\n"
                        << "server.max-keep-alive-requests = 0\n"
                        << "mimetype.assign = ( \"\" => \"application/octet-stream\" )\n";
    m_pid = ::fork();
    if (m_pid == 0) {
        ::execlp("lighttpd", "lighttpd", "-D", "-f", conf.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        // The port accepts as soon as it is bound; still running a moment
        // later means the start-up went through.
        if (answers(m_address)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (::waitpid(m_pid, &status, WNOHANG) == 0)
                return;
            m_pid = -1;
            m_why = "lighttpd ended at start (see " + (m_dir / "error.log").string() + ")";
            return;
        }
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            m_why = "lighttpd ended at start (see " + (m_dir / "error.log").string() + ")";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_why = "lighttpd did not answer on " + m_address + ":80";
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

LighttpdServer::~LighttpdServer()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (::waitpid(m_pid, nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    if (!m_dir.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
}

void LighttpdServer::put(const std::string& relative, const std::string& bytes) const
{
    const auto target = m_root / relative;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << bytes;
}

} // namespace pordane::testsupport
