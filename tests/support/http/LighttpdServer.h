// Debian's lighttpd on port 80 of its own loopback address, serving a
// temporary folder the test fills. Started as root it drops to "nobody"
// after binding; without root (port 80 not bindable) it does not start.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace pordane::testsupport {

class LighttpdServer {
public:
    explicit LighttpdServer(std::string address);
    ~LighttpdServer();
    LighttpdServer(const LighttpdServer&) = delete;
    LighttpdServer& operator=(const LighttpdServer&) = delete;

    // False when lighttpd is missing or did not answer within 5 s; why() says why.
    bool running() const { return m_pid > 0; }
    const std::string& why() const { return m_why; }

    const std::filesystem::path& root() const { return m_root; }
    std::string url(const std::string& path) const { return "http://" + m_address + path; }
    // Writes a file under the served folder (readable by the server).
    void put(const std::string& relative, const std::string& bytes) const;

private:
    std::string m_address;
    std::filesystem::path m_dir;
    std::filesystem::path m_root;
    pid_t m_pid = -1;
    std::string m_why;
};

} // namespace pordane::testsupport
