// What a test can see of its own process: open descriptors (handles on
// Windows) and, on Linux, living child processes and what a piece of code
// writes to file descriptor 2.
#pragma once

#ifdef _WIN32
#include <winsock2.h> // before windows.h
#include <windows.h>
#else
#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>
#endif

namespace pordane::testsupport {

inline int openDescriptors()
{
#ifdef _WIN32
    // Sockets and files are kernel handles there.
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    return static_cast<int>(handles);
#else
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d))
            ++n;
        ::closedir(d);
    }
    return n;
#endif
}

#ifndef _WIN32

// The children of every thread of this process, zombies included.
inline std::vector<int> childProcesses()
{
    std::vector<int> children;
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec)) {
        std::ifstream in(task.path() / "children");
        for (int pid = 0; in >> pid;)
            children.push_back(pid);
    }
    return children;
}

// Everything written to descriptor 2 (by this process or a child that
// inherited it) while `body` runs.
inline std::string capturedStderr(const std::function<void()>& body)
{
    std::fflush(stderr);
    std::FILE* sink = std::tmpfile();
    if (sink == nullptr)
        return "(no temporary file)";
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(::fileno(sink), STDERR_FILENO);
    try {
        body();
    } catch (...) {
        std::fflush(stderr);
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
        std::fclose(sink);
        throw;
    }
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::string text;
    ::lseek(::fileno(sink), 0, SEEK_SET);
    char chunk[4096];
    for (ssize_t n; (n = ::read(::fileno(sink), chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<std::size_t>(n));
    std::fclose(sink);
    return text;
}

#endif

} // namespace pordane::testsupport
