// The log view MemoLog: lines are appended, and a running step completes its
// own line in place with "...OK" or "...FALLO".
#pragma once

#include <string>

namespace pordane::views {

class LogView {
public:
    virtual ~LogView() = default;
    virtual void clear() = 0;
    virtual void appendLine(const std::string& line) = 0;
    // Appends text to the last line (to a new line when the log is empty).
    virtual void completeLastLine(const std::string& suffix) = 0;
};

} // namespace pordane::views
