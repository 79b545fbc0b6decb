#include "platform/Terminal.h"

#include <atomic>
#include <iostream>

#include <io.h>
#include <stdio.h>
#include <windows.h>

namespace pordane::platform {

namespace {

std::atomic<int> g_interrupts{0};

BOOL WINAPI countInterrupt(DWORD type)
{
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        g_interrupts.fetch_add(1);
        return TRUE;
    }
    return FALSE;
}

int descriptor(StdStream stream)
{
    switch (stream) {
    case StdStream::Input: return _fileno(stdin);
    case StdStream::Output: return _fileno(stdout);
    case StdStream::Error: return _fileno(stderr);
    }
    return -1;
}

} // namespace

bool isTerminal(StdStream stream)
{
    return _isatty(descriptor(stream)) != 0;
}

std::optional<std::string> readHiddenLine(const std::string& prompt)
{
    if (!isTerminal(StdStream::Input))
        return std::nullopt;
    std::cerr << prompt << std::flush;
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    const bool haveSaved = GetConsoleMode(in, &saved) != 0;
    if (haveSaved)
        SetConsoleMode(in, saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    std::optional<std::string> line = readInputLine();
    if (haveSaved)
        SetConsoleMode(in, saved);
    std::cerr << '\n';
    return line;
}

void installInterruptCounter()
{
    SetConsoleCtrlHandler(countInterrupt, TRUE);
}

int interruptCount()
{
    return g_interrupts.load();
}

void useUtf8Console()
{
    SetConsoleOutputCP(CP_UTF8);
}

} // namespace pordane::platform
