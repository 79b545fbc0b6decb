// What the orders of pordane-cli share while they run: the error that ends
// a run with status 2, and the interruption through which Ctrl-C ends a run.
#pragma once

#include <stdexcept>

namespace pordane::cli {

// A server table or an environment the run cannot go on with (exit status 2).
class ConfigurationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown from a pump turn to end a run at once: on a second Ctrl-C during the
// FTP tests, on the first during the port test (which has nothing to clean).
// Not a std::exception, so the probes and session operations let it through,
// as the window's own way to end a run when it is closed.
struct InterruptedRun {};

} // namespace pordane::cli
