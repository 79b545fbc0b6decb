// Errors of the socket layer: one type, with a kind the callers can tell apart.
#pragma once

#include <stdexcept>
#include <string>

namespace pordane::platform {

class NetError : public std::runtime_error {
public:
    enum class Kind {
        Resolve,        // host name not resolved
        Socket,         // refused, unreachable, reset, any other socket error
        ConnectTimeout, // connect not completed within its limit
        ReadTimeout,    // no data within the read limit
        Closed,         // peer closed the connection
    };

    NetError(Kind kind, const std::string& what, int code = 0)
        : std::runtime_error(what), m_kind(kind), m_code(code) {}

    Kind kind() const { return m_kind; }
    // errno (or the resolver's code) where one exists, 0 otherwise.
    int code() const { return m_code; }

private:
    Kind m_kind;
    int m_code;
};

} // namespace pordane::platform
