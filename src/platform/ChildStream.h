// A function run in a child process that streams bytes back over a pipe:
// what the libraries it calls print never reaches our terminal, and a crash
// or endless loop of theirs ends only the child. POSIX only.
#pragma once

#ifndef _WIN32

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace pordane::platform {

class ChildStream {
public:
    enum class Read {
        Done,    // every byte asked for arrived
        Ended,   // the child closed the stream first (it returned or died)
        Stuck,   // no byte came for the whole idle limit
    };

    // Runs body(fd) in a child process with standard input, output and error
    // on the null device and no descriptor of ours open but `fd`, the
    // writing end of the stream; the child ends when body returns. Throws
    // std::system_error when no child can be started.
    explicit ChildStream(const std::function<void(int fd)>& body);
    // Ends the child if it still runs and reaps it.
    ~ChildStream();
    ChildStream(const ChildStream&) = delete;
    ChildStream& operator=(const ChildStream&) = delete;

    // Reads exactly `size` bytes, waiting at most `idle` for each next one.
    // After Ended or Stuck the child is gone and every later read is Ended.
    Read read(void* data, std::size_t size, std::chrono::milliseconds idle);

    // Ends the child (if it still runs), reaps it and closes the stream.
    void close();

    // The child's process id; 0 once it is gone.
    int pid() const { return m_pid; }

    // The child's side: writes all of `size` bytes; false when the reader is gone.
    static bool writeAll(int fd, const void* data, std::size_t size);

private:
    bool fill(std::chrono::milliseconds idle, Read& failure);

    int m_fd = -1;
    int m_pid = 0;
    std::string m_buffer;
    std::size_t m_used = 0;
};

} // namespace pordane::platform

#endif
