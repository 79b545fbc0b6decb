#include "platform/base/WindowsCommandLine.h"
#include "platform/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace pordane::platform {

namespace {

class SpawnSetup {
public:
    SpawnSetup()
    {
        posix_spawnattr_init(&attr);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup()
    {
        posix_spawnattr_destroy(&attr);
        posix_spawn_file_actions_destroy(&actions);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawnattr_t attr;
    posix_spawn_file_actions_t actions;
};

bool processGone(pid_t pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

std::vector<std::string> programArguments(int argc, char** argv)
{
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

ProcessId currentProcessId()
{
    return ::getpid();
}

std::optional<ProcessId> startDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                                       const std::filesystem::path& folder)
{
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(program, ec);
    if (ec)
        return std::nullopt;
    const std::string path = absolute.string();
    std::vector<std::string> args{path};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    SpawnSetup s;
    // A session of its own: no terminal hang-up or process-group signal of
    // the starter reaches it. Signals back to their defaults, none blocked.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&s.attr, &none);
    posix_spawnattr_setsigdefault(&s.attr, &all);
    posix_spawnattr_setflags(&s.attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_addopen(&s.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&s.actions, 3);
    const std::string dir = folder.string();
    if (!dir.empty())
        posix_spawn_file_actions_addchdir_np(&s.actions, dir.c_str());
    pid_t pid = 0;
    if (posix_spawn(&pid, path.c_str(), &s.actions, &s.attr, argv.data(), environ) != 0)
        return std::nullopt;
    return pid;
}

namespace {

// Milliseconds left until the deadline, rounded up; -1 without a limit.
class Deadline {
public:
    explicit Deadline(std::optional<std::chrono::milliseconds> limit)
        : m_limited(limit.has_value()), m_end(std::chrono::steady_clock::now() + limit.value_or(std::chrono::milliseconds(0)))
    {
    }
    int remainingMs() const
    {
        if (!m_limited)
            return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - std::chrono::steady_clock::now());
        return left.count() > 0 ? static_cast<int>(std::min<long long>(left.count(), INT32_MAX)) : 0;
    }

private:
    bool m_limited;
    std::chrono::steady_clock::time_point m_end;
};

bool validPid(ProcessId id)
{
    return id > 0 && id <= INT32_MAX;
}

} // namespace

bool waitForProcessEndByPolling(ProcessId id, std::optional<std::chrono::milliseconds> limit)
{
    if (!validPid(id))
        return true;
    const Deadline deadline(limit);
    while (!processGone(static_cast<pid_t>(id))) {
        const int left = deadline.remainingMs();
        if (left == 0)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(left < 0 ? 50 : std::min(left, 50)));
    }
    return true;
}

bool waitForProcessEnd(ProcessId id, std::optional<std::chrono::milliseconds> limit)
{
    if (!validPid(id))
        return true;
    const Deadline deadline(limit);
    // A pidfd becomes readable when the process ends, zombie or not.
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(id), 0));
    if (fd < 0)
        return errno == ESRCH || waitForProcessEndByPolling(id, limit);
    pollfd p{fd, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, deadline.remainingMs());
    } while ((r < 0 && errno == EINTR) || (r == 0 && deadline.remainingMs() != 0));
    ::close(fd);
    return r > 0;
}

} // namespace pordane::platform
