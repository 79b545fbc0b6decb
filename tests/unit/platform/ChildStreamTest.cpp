// A function run in a child process, its bytes streamed back.
#include "platform/ChildStream.h"

#include "support/proc/ProcessProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <thread>

using pordane::platform::ChildStream;
using pordane::testsupport::capturedStderr;
using pordane::testsupport::childProcesses;
using pordane::testsupport::openDescriptors;
using namespace std::chrono_literals;
using Read = ChildStream::Read;

namespace {

bool send(int fd, const std::string& text)
{
    return ChildStream::writeAll(fd, text.data(), text.size());
}

std::string take(ChildStream& child, std::size_t size, Read expected = Read::Done)
{
    std::string text(size, '\0');
    EXPECT_EQ(child.read(text.data(), size, 10s), expected);
    return text;
}

bool isChild(int pid)
{
    const auto children = childProcesses();
    return std::find(children.begin(), children.end(), pid) != children.end();
}

TEST(ChildStream, StreamsTheBytesAndKeepsWhatTheChildPrintsOffTheTerminal)
{
    std::string first, second;
    const std::string printed = capturedStderr([&] {
        ChildStream child([](int fd) {
            std::fprintf(stderr, "offset 4096 is beyond EOF\n");
            std::fflush(stderr);
            ::write(STDOUT_FILENO, "salida\n", 7);
            send(fd, "uno");
            send(fd, std::string(100000, 'x') + "dos");  // more than a pipe holds at once
        });
        first = take(child, 3);
        second = take(child, 100003);
        take(child, 1, Read::Ended);
        EXPECT_EQ(child.pid(), 0);
    });
    EXPECT_EQ(first, "uno");
    EXPECT_EQ(second.substr(99998), "xxdos");
    EXPECT_EQ(printed, "");
}

TEST(ChildStream, TheChildHasNoneOfOurDescriptorsButItsStreamAndWritesNoCoreFile)
{
    const int extra = ::open("/dev/null", O_RDONLY);  // inheritable, as a socket of ours might be
    ASSERT_GE(extra, 0);
    rlimit saved{};
    ::getrlimit(RLIMIT_CORE, &saved);
    rlimit some = saved;
    some.rlim_cur = std::min<rlim_t>(saved.rlim_max, 1 << 20);
    ::setrlimit(RLIMIT_CORE, &some);
    ChildStream child([](int fd) {
        rlimit core{};
        ::getrlimit(RLIMIT_CORE, &core);
        send(fd, std::to_string(openDescriptors()) + ";" + std::to_string(fd) + ";" + std::to_string(core.rlim_cur));
    });
    char text[16] = {};
    EXPECT_EQ(child.read(text, 1, 10s), Read::Done);
    child.read(text + 1, 4, 10s);
    ::setrlimit(RLIMIT_CORE, &saved);
    ::close(extra);
    // "." and "..", 0, 1, 2, the stream and the directory listing them.
    EXPECT_STREQ(text, "7;3;0");
}

extern "C" void countSignal(int) {}

TEST(ChildStream, NoHandlerOfOursRunsInTheChildAndCtrlCIsLeftToUs)
{
    struct sigaction handler{}, savedUsr1{}, savedInt{};
    handler.sa_handler = countSignal;
    sigemptyset(&handler.sa_mask);
    ::sigaction(SIGUSR1, &handler, &savedUsr1);
    ::sigaction(SIGINT, &handler, &savedInt);
    ChildStream child([](int fd) {
        struct sigaction usr1{}, interrupt{};
        ::sigaction(SIGUSR1, nullptr, &usr1);
        ::sigaction(SIGINT, nullptr, &interrupt);
        ::raise(SIGINT);  // ignored: still alive to answer
        send(fd, std::string(usr1.sa_handler == SIG_DFL ? "D" : "?") + (interrupt.sa_handler == SIG_IGN ? "I" : "?"));
    });
    const std::string dispositions = take(child, 2);
    ::sigaction(SIGUSR1, &savedUsr1, nullptr);
    ::sigaction(SIGINT, &savedInt, nullptr);
    EXPECT_EQ(dispositions, "DI");
}

TEST(ChildStream, AChildThatDiesMidStreamEndsItAtOnce)
{
    ChildStream child([](int fd) {
        send(fd, "fila");
        std::abort();
    });
    EXPECT_EQ(take(child, 4), "fila");
    const auto start = std::chrono::steady_clock::now();
    take(child, 4, Read::Ended);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(take(child, 1, Read::Ended), std::string(1, '\0'));
}

TEST(ChildStream, ASilentChildIsStuckAfterTheIdleLimitAndIsEnded)
{
    ChildStream child([](int fd) {
        send(fd, "a");
        for (;;)
            std::this_thread::sleep_for(1s);
    });
    const int pid = child.pid();
    char byte = 0;
    ASSERT_EQ(child.read(&byte, 1, 2s), Read::Done);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(child.read(&byte, 1, 300ms), Read::Stuck);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 300ms);
    EXPECT_LT(waited, 3s);
    EXPECT_FALSE(isChild(pid));
    EXPECT_EQ(child.read(&byte, 1, 300ms), Read::Ended);
}

TEST(ChildStream, DestroyingItEarlyLeavesNoChildAndNoDescriptor)
{
    const int before = openDescriptors();
    int pid = 0;
    {
        ChildStream child([](int fd) {
            while (send(fd, std::string(4096, 'r'))) {
            }
        });
        pid = child.pid();
        take(child, 10);
        EXPECT_TRUE(isChild(pid));
        EXPECT_EQ(openDescriptors(), before + 1);
    }
    EXPECT_FALSE(isChild(pid));
    EXPECT_TRUE(childProcesses().empty());
    EXPECT_EQ(openDescriptors(), before);
}

} // namespace
