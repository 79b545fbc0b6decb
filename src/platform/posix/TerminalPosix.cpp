#include "platform/Terminal.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>

#include <termios.h>
#include <unistd.h>

namespace pordane::platform {

namespace {

volatile std::sig_atomic_t g_interrupts = 0;
termios g_echoing{}; // the terminal as it was before a hidden read

extern "C" void restoreEchoAndStop(int number)
{
    // Ctrl-C at the password prompt ends the program, with the echo back on.
    ::tcsetattr(STDIN_FILENO, TCSANOW, &g_echoing);
    ::signal(number, SIG_DFL);
    ::raise(number);
}

extern "C" void countInterrupt(int)
{
    g_interrupts = g_interrupts + 1;
}

int descriptor(StdStream stream)
{
    switch (stream) {
    case StdStream::Input: return STDIN_FILENO;
    case StdStream::Output: return STDOUT_FILENO;
    case StdStream::Error: return STDERR_FILENO;
    }
    return -1;
}

} // namespace

bool isTerminal(StdStream stream)
{
    return ::isatty(descriptor(stream)) == 1;
}

std::optional<std::string> readHiddenLine(const std::string& prompt)
{
    if (!isTerminal(StdStream::Input))
        return std::nullopt;
    std::cerr << prompt << std::flush;
    termios saved{};
    const bool haveSaved = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    struct sigaction stop{};
    struct sigaction previousInt{};
    struct sigaction previousTerm{};
    if (haveSaved) {
        g_echoing = saved;
        stop.sa_handler = restoreEchoAndStop;
        sigemptyset(&stop.sa_mask);
        ::sigaction(SIGINT, &stop, &previousInt);
        ::sigaction(SIGTERM, &stop, &previousTerm);
        termios quiet = saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::optional<std::string> line = readInputLine();
    if (haveSaved) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        ::sigaction(SIGINT, &previousInt, nullptr);
        ::sigaction(SIGTERM, &previousTerm, nullptr);
    }
    return line;
}

void installInterruptCounter()
{
    struct sigaction action{};
    action.sa_handler = countInterrupt;
    sigemptyset(&action.sa_mask);
    // The waits of the FTP client poll in short slices and pump between
    // them, so a restarted call still lets the run see the count soon.
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int interruptCount()
{
    return static_cast<int>(g_interrupts);
}

void useUtf8Console() {}

} // namespace pordane::platform
