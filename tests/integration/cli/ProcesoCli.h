// Runs the pordane-cli executable with its own environment, output into
// files, and waits for it with a bound.
#pragma once

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pordane::testcli {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliProcess {
public:
    // env replaces the whole environment (PATH kept).
    CliProcess(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
               const fs::path& folder)
        : m_out(folder / "stdout"), m_err(folder / "stderr")
    {
        m_pid = ::fork();
        if (m_pid < 0)
            throw std::runtime_error("fork");
        if (m_pid == 0) {
            const int in = ::open("/dev/null", O_RDONLY);
            const int out = ::open(m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = ::open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(in, 0), ::dup2(out, 1), ::dup2(err, 2);
            ::setsid(); // no terminal: no prompt, no progress line
            std::vector<std::string> all{PORDANE_CLI};
            all.insert(all.end(), args.begin(), args.end());
            std::vector<char*> argv;
            for (auto& a : all)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            std::vector<std::string> environment{"PATH=/usr/bin:/bin"};
            for (const auto& [k, v] : env)
                environment.push_back(k + "=" + v);
            std::vector<char*> envp;
            for (auto& e : environment)
                envp.push_back(e.data());
            envp.push_back(nullptr);
            ::execve(PORDANE_CLI, argv.data(), envp.data());
            ::_exit(127);
        }
    }
    ~CliProcess()
    {
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    void sendSignal(int s) const { ::kill(m_pid, s); }

    // The exit status; nullopt when it did not end in time (it is then killed).
    std::optional<int> wait(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!m_status) {
            int st = 0;
            if (::waitpid(m_pid, &st, WNOHANG) == m_pid) {
                m_status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
                break;
            }
            if (std::chrono::steady_clock::now() > end)
                return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return m_status;
    }
    std::string output() const { return readFile(m_out); }
    std::string errors() const { return readFile(m_err); }

private:
    fs::path m_out, m_err;
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

} // namespace pordane::testcli
