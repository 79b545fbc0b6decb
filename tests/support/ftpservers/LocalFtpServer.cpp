// Starts pyftpd_server.py or vsftpd_server.py in a process group of its own
// and tears the whole group down again.
#include "ftpservers/LocalFtpServer.h"
#include "ftpservers/LocalFtpServerShared.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

extern char** environ;

namespace pordane::testsupport {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

using namespace detail;
constexpr auto TermGrace = 3s;

bool fileExists(const char* path)
{
    struct stat st{};
    return ::stat(path, &st) == 0;
}

// True if something accepts TCP connections on address:port right now.
bool acceptsConnection(const std::string& address, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
    bool ok = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) {
        ok = true;
    } else if (errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 500) == 1) {
            int err = 0;
            socklen_t len = sizeof err;
            ok = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0;
        }
    }
    ::close(fd);
    return ok;
}

void writeWholeFile(const std::string& path, const std::string& bytes, mode_t mode)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "cannot write " + path);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            throw std::system_error(err, std::generic_category(), "cannot write " + path);
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}


// The parent's environment minus anything that could point Debian's python
// at another installation, plus no bytecode files in the source tree.
std::vector<std::string> childEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "PYTHON", 6) != 0)
            env.emplace_back(*e);
    }
    env.emplace_back("PYTHONDONTWRITEBYTECODE=1");
    return env;
}

std::vector<char*> cStrings(std::vector<std::string>& v)
{
    std::vector<char*> out;
    for (auto& s : v)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

pid_t spawnInOwnGroup(std::vector<std::string> argv, const std::string& workDir)
{
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    const std::string out = workDir + "/stdout";
    const std::string err = workDir + "/stderr";
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    // Nothing of the test process (sockets of other fixtures above all) leaks into the server.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGTERM, SIGINT, SIGPIPE, SIGCHLD, SIGHUP})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> env = childEnvironment();
    std::vector<char*> cargv = cStrings(argv);
    std::vector<char*> cenv = cStrings(env);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, cargv[0], &actions, &attr, cargv.data(), cenv.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        throw std::system_error(rc, std::generic_category(), "cannot start " + argv[0]);
    return pid;
}


} // namespace

// Children, grandchildren, ... of root, from /proc/<pid>/stat ("pid (comm) state ppid ...").
std::vector<pid_t> descendantsOf(pid_t root)
{
    std::multimap<pid_t, pid_t> children;
    if (DIR* d = ::opendir("/proc")) {
        while (const dirent* e = ::readdir(d)) {
            const pid_t pid = static_cast<pid_t>(std::atoi(e->d_name));
            if (pid <= 0)
                continue;
            const std::string stat = readWholeFile("/proc/" + std::string(e->d_name) + "/stat");
            const auto close = stat.rfind(')');
            if (close == std::string::npos || close + 4 >= stat.size())
                continue;
            children.emplace(static_cast<pid_t>(std::atoi(stat.c_str() + close + 4)), pid);
        }
        ::closedir(d);
    }
    std::vector<pid_t> found;
    std::vector<pid_t> allowAll{root};
    while (!allowAll.empty()) {
        const pid_t parent = allowAll.back();
        allowAll.pop_back();
        for (auto [it, end] = children.equal_range(parent); it != end; ++it) {
            found.push_back(it->second);
            allowAll.push_back(it->second);
        }
    }
    return found;
}

bool LocalFtpServer::available(FtpServerKind kind)
{
    if (::access(Python, X_OK) != 0)
        return false;
    if (kind == FtpServerKind::Pyftpdlib)
        return fileExists(PyftpdlibModule);
    return ::geteuid() == 0 && ::access(Vsftpd, X_OK) == 0 && havePamPwdfile(fileExists);
}

LocalFtpServer::LocalFtpServer(FtpServerKind kind, std::string address, std::vector<FtpAccount> accounts,
                               FtpServerOptions opts)
    : m_kind(kind), m_address(std::move(address))
{
    checkRequest(kind, m_address, accounts, opts, acceptsConnection);

    char tmpl[] = "/tmp/pordane-ftp-XXXXXX";
    if (!::mkdtemp(tmpl))
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    m_workDir = tmpl;
    try {
        ::chmod(m_workDir.c_str(), 0755); // vsftpd's guest account walks through it to the homes
        writeWholeFile(m_workDir + "/accounts.json", accountsJson(accounts, m_workDir, m_workDir, m_homes), 0600);
        std::vector<std::string> argv = launcherCommand(kind, m_address, m_workDir, opts);
        m_pid = spawnInOwnGroup(std::move(argv), m_workDir);

        const auto deadline = Clock::now() + StartTimeout;
        for (;;) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                throw std::runtime_error("FTP server on " + m_address + " exited at start: " +
                                         readWorkFile("stderr"));
            }
            if (acceptsConnection(m_address, FtpPort))
                break;
            if (Clock::now() > deadline)
                throw std::runtime_error("FTP server on " + m_address + " did not accept within 10 s: " +
                                         readWorkFile("stderr"));
            std::this_thread::sleep_for(PollInterval);
        }
    } catch (...) {
        stop();
        std::error_code ec;
        fs::remove_all(m_workDir, ec);
        throw;
    }
}

LocalFtpServer::~LocalFtpServer()
{
    stop();
    std::error_code ec;
    fs::remove_all(m_workDir, ec);
}

void LocalFtpServer::stop() noexcept
{
    if (m_pid <= 0)
        return;
    // vsftpd's sessions make themselves session leaders, out of our process
    // group; the launcher reaps them, but if it has to be killed they need a
    // signal of their own.
    const std::vector<pid_t> family = descendantsOf(m_pid);
    ::kill(-m_pid, SIGTERM);
    const auto deadline = Clock::now() + TermGrace;
    bool reaped = false;
    while (!reaped && Clock::now() < deadline) {
        int status = 0;
        const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
        reaped = r == m_pid || (r < 0 && errno == ECHILD);
        if (!reaped)
            std::this_thread::sleep_for(10ms);
    }
    if (!reaped) {
        ::kill(-m_pid, SIGKILL);
        for (const pid_t p : family)
            ::kill(p, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    // Whatever the launcher could not reap (it was killed) goes the same way.
    ::kill(-m_pid, SIGKILL);
    m_pid = -1;
}

void LocalFtpServer::putFile(const std::string& user, const std::string& name, const std::string& bytes) const
{
    const std::string home = homeOf(user);
    const std::string path = home + "/" + name;
    writeWholeFile(path, bytes, 0644);
    struct stat st{};
    if (::stat(home.c_str(), &st) != 0 || ::chown(path.c_str(), st.st_uid, st.st_gid) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot hand " + path + " to the server");
}

std::string LocalFtpServer::readWorkFile(const std::string& name) const
{
    return readWholeFile(m_workDir + "/" + name);
}

} // namespace pordane::testsupport
