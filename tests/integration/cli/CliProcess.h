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

namespace pordane::testsupport {

namespace fs = std::filesystem;

inline std::string leer(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ProcesoCli {
public:
    // env replaces the whole environment (PATH kept).
    ProcesoCli(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
               const fs::path& carpeta)
        : m_out(carpeta / "stdout"), m_err(carpeta / "stderr")
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
            std::vector<std::string> todos{PORDANE_CLI};
            todos.insert(todos.end(), args.begin(), args.end());
            std::vector<char*> argv;
            for (auto& a : todos)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            std::vector<std::string> entorno{"PATH=/usr/bin:/bin"};
            for (const auto& [k, v] : env)
                entorno.push_back(k + "=" + v);
            std::vector<char*> envp;
            for (auto& e : entorno)
                envp.push_back(e.data());
            envp.push_back(nullptr);
            ::execve(PORDANE_CLI, argv.data(), envp.data());
            ::_exit(127);
        }
    }
    ~ProcesoCli()
    {
        if (m_pid > 0 && !m_estado) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    ProcesoCli(const ProcesoCli&) = delete;
    ProcesoCli& operator=(const ProcesoCli&) = delete;

    void senal(int s) const { ::kill(m_pid, s); }

    // The exit status; nullopt when it did not end in time (it is then killed).
    std::optional<int> esperar(std::chrono::milliseconds limite)
    {
        const auto fin = std::chrono::steady_clock::now() + limite;
        while (!m_estado) {
            int st = 0;
            if (::waitpid(m_pid, &st, WNOHANG) == m_pid) {
                m_estado = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
                break;
            }
            if (std::chrono::steady_clock::now() > fin)
                return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return m_estado;
    }
    std::string salida() const { return leer(m_out); }
    std::string errores() const { return leer(m_err); }

private:
    fs::path m_out, m_err;
    pid_t m_pid = -1;
    std::optional<int> m_estado;
};

} // namespace pordane::testsupport
