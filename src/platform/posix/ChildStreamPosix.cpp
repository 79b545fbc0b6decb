#include "platform/ChildStream.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace pordane::platform {

namespace {

// The stream reaches the child as this descriptor.
constexpr int StreamFd = 3;
// How long a killed child may take to be reaped before it is left behind
// (only a process stuck in the kernel, e.g. on a dead network share, takes longer).
constexpr std::chrono::milliseconds ReapLimit{5000};

void closeOthers()
{
    if (::close_range(StreamFd + 1, ~0U, 0) == 0)
        return;
    const long max = ::sysconf(_SC_OPEN_MAX);
    for (int fd = StreamFd + 1; fd < (max > 0 && max < 65536 ? max : 65536); ++fd)
        ::close(fd);
}

// No handler of the program runs in the child. Ctrl-C and the like reach
// the whole process group: the program decides, and ends the child with its
// cursor (or the child dies with it: PR_SET_PDEATHSIG below).
void setSignals()
{
    struct sigaction fallback{};
    sigemptyset(&fallback.sa_mask);
    fallback.sa_handler = SIG_DFL;
    for (int number = 1; number < NSIG; ++number) {
        struct sigaction current{};
        if (::sigaction(number, nullptr, &current) != 0)
            continue;
        if ((current.sa_flags & SA_SIGINFO) != 0 || (current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN))
            ::sigaction(number, &fallback, nullptr);
    }
    ::signal(SIGPIPE, SIG_DFL);
    ::signal(SIGINT, SIG_IGN);
    ::signal(SIGQUIT, SIG_IGN);
}

// In the child, right after the fork: only plain system calls up to body.
[[noreturn]] void startChild(int writeEnd, pid_t parent, const std::function<void(int)>& body)
{
#ifdef __linux__
    // The child must not outlive a parent that crashed or was killed (strictly:
    // the forking thread; the reader's cursor lives within that thread's call).
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(1);
#else
    (void)parent;
#endif
    // A crash leaves no core file: it would hold a copy of the parent's memory.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    const int stream = ::fcntl(writeEnd, F_DUPFD, StreamFd);
    const int null = ::open("/dev/null", O_RDWR);
    if (stream < 0 || null < 0)
        ::_exit(1);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    if (stream != StreamFd && ::dup2(stream, StreamFd) < 0)
        ::_exit(1);
    closeOthers();
    setSignals();
    try {
        body(StreamFd);
    } catch (...) {
        ::_exit(1);
    }
    // No exit handlers or stdio flushing of the parent's state.
    ::_exit(0);
}

} // namespace

// Fork without exec. The child runs only the given function (for the
// database reader: libmdb, glib containers, iconv and malloc, which glibc
// keeps usable in the child of a threaded process), never Qt or another
// thread's objects, and leaves with _exit. A lock that another thread held at
// the fork (stdio, locale) could at worst stall the child, and the reader's
// idle limit turns that into an error. An exec would instead need a helper
// program installed and found at run time in every layout (build tree, tests,
// package): more to go wrong than that remote stall.
ChildStream::ChildStream(const std::function<void(int fd)>& body)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe");
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        startChild(ends[1], parent, body);
    }
    const int error = errno;
    ::close(ends[1]);
    if (child < 0) {
        ::close(ends[0]);
        throw std::system_error(error, std::generic_category(), "fork");
    }
    m_fd = ends[0];
    m_pid = child;
}

ChildStream::~ChildStream()
{
    close();
}

void ChildStream::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_buffer.clear();
    m_used = 0;
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    const auto end = std::chrono::steady_clock::now() + ReapLimit;
    // A killed child is gone within microseconds: short naps first.
    for (std::chrono::microseconds nap{20};; nap = std::min(nap * 2, std::chrono::microseconds{10000})) {
        const pid_t r = ::waitpid(m_pid, nullptr, WNOHANG);
        // ECHILD: reaped already (SIGCHLD ignored by the program).
        if (r == m_pid || (r < 0 && errno != EINTR) || std::chrono::steady_clock::now() >= end)
            break;
        std::this_thread::sleep_for(nap);
    }
    m_pid = 0;
}

bool ChildStream::fill(std::chrono::milliseconds idle, Read& failure)
{
    if (m_fd < 0) {
        failure = Read::Ended;
        return false;
    }
    if (m_used > 0) {
        m_buffer.erase(0, m_used);
        m_used = 0;
    }
    const auto deadline = std::chrono::steady_clock::now() + idle;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{m_fd, POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            failure = Read::Stuck;
            close();
            return false;
        }
        char chunk[16384];
        const ssize_t n = ready > 0 ? ::read(m_fd, chunk, sizeof chunk) : -1;
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failure = Read::Ended;
            close();
            return false;
        }
        m_buffer.append(chunk, static_cast<std::size_t>(n));
        return true;
    }
}

ChildStream::Read ChildStream::read(void* data, std::size_t size, std::chrono::milliseconds idle)
{
    auto* out = static_cast<char*>(data);
    while (size > 0) {
        if (m_used == m_buffer.size()) {
            Read failure = Read::Ended;
            if (!fill(idle, failure))
                return failure;
        }
        const std::size_t n = std::min(size, m_buffer.size() - m_used);
        std::memcpy(out, m_buffer.data() + m_used, n);
        m_used += n;
        out += n;
        size -= n;
    }
    return Read::Done;
}

bool ChildStream::writeAll(int fd, const void* data, std::size_t size)
{
    const auto* in = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, in, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        in += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace pordane::platform
