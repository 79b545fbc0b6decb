// The command line of pordane-cli: a Spanish sub-command and its options.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pordane::cli {

enum class Command { None, Servers, Permissions, Speed, Connectivity, Ports, Processes };

// A command line that cannot be run; what() is the Spanish text for the user.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    Command command = Command::None;
    std::vector<std::string> servers; // --server, in the order given
    bool all = false;
    bool active = false;
    int sizeMB = 3; // the window's default
    bool json = false;
    bool ascii = false;
    bool help = false;
    bool version = false;
    // A server given on the command line (--host alone is tested).
    std::optional<std::string> host;
    std::optional<std::string> user;
    std::optional<std::string> remoto;
    std::optional<std::string> name;
};

// The sizes the window's slider offers.
inline constexpr int MinSizeMB = 1;
inline constexpr int MaxSizeMB = 20;

// Throws UsageError. args excludes the program name.
Options parseOptions(const std::vector<std::string>& args);

const char* commandName(Command command);
bool isFtpCheck(Command command);

// The help text of one sub-command, or of the program (Command::None).
std::string help(Command command);

} // namespace pordane::cli
