// One case of the restarter's run, shared by its Linux and Windows tests.
#pragma once

#include "update/pusetup/Restarter.h"

#include <string>
#include <vector>

namespace pordane::testsupport {

struct RestarterRunCase {
    const char* name;
    std::vector<std::string> arguments;  // "PID": a process that has ended
    restarter::ExitStatus status;
    bool replaced;
    const char* marker;  // empty: the program must not have been started
};

} // namespace pordane::testsupport
