// The console the command-line front end talks to: whether a standard stream
// is a terminal, a password read without echo, and Ctrl-C counted instead of
// ending the process.
#pragma once

#include <optional>
#include <string>

namespace pordane::platform {

enum class StdStream { Input, Output, Error };

bool isTerminal(StdStream stream);

// Writes the prompt to standard error and reads one line from the terminal
// with echo off (the line end is dropped). nullopt when standard input is not
// a terminal or nothing could be read.
std::optional<std::string> readHiddenLine(const std::string& prompt);

// One line of standard input without its line end (either kind); nullopt at
// the end of the input. The hidden read of each platform uses it.
std::optional<std::string> readInputLine();

// From now on Ctrl-C (and, on POSIX, SIGTERM) only counts; the running code
// looks at the count from its pump turns and stops cleanly.
void installInterruptCounter();
int interruptCount();

// Makes the console show UTF-8 output as such (Windows); nothing elsewhere.
void useUtf8Console();

} // namespace pordane::platform
