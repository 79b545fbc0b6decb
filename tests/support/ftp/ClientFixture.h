// Shared pieces of the FTP client tests: a client aimed at a scripted server,
// a recording observer, a temporary folder and a descriptor count.
#pragma once

#include <algorithm>

#include "ftp/FTPClient.h"
#include "platform/NetError.h"
#include "support/files/TempDir.h"
#include "support/ftp/PumpGauge.h"
#include "support/ftp/ScriptedFtpServer.h"
#include "support/proc/ProcessProbe.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <winsock2.h> // before windows.h, for the tests that use sockets
#include <windows.h>
#else
#include <dirent.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

namespace pordane::testsupport {

using pordane::ftp::FTPClient;
using pordane::ftp::FtpError;
using pordane::ftp::FtpStatus;
using pordane::ftp::WorkMode;
using pordane::testsupport::PumpGauge;
using pordane::testsupport::ScriptedFtpServer;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

struct Recorder : pordane::ftp::FTPObserver {
    std::vector<std::string> work;
    std::vector<FtpStatus> statuses;
    std::vector<std::string> notices;
    std::function<void()> onWork;
    void OnNotice(const std::string& text) override { notices.push_back(text); }
    void OnStatus(FtpStatus s, const std::string&) override { statuses.push_back(s); }
    void OnWorkBegin(WorkMode m, int64_t max) override { work.push_back(tag(m) + "begin " + std::to_string(max)); }
    void OnWork(WorkMode m, int64_t n) override
    {
        work.push_back(tag(m) + "work " + std::to_string(n));
        if (onWork)
            onWork();
    }
    void OnWorkEnd(WorkMode m) override { work.push_back(tag(m) + "end"); }
    static std::string tag(WorkMode m) { return m == WorkMode::wmRead ? "r " : "w "; }
};

using pordane::testsupport::openDescriptors;

inline unsigned long processId()
{
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(::getpid());
#endif
}

// Bytes with every value, CR and LF included, in a pattern that shows shifts.
inline std::string patternBytes(size_t size)
{
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

class ClientTest : public ::testing::Test {
protected:
    FTPClient client;
    Recorder recorder;
    TempDir tmp{"pordane-ftp"};
    const fs::path dir = tmp.path();
    std::vector<std::string> connectedTo; // every address the client connected to

    void SetUp() override
    {
        client.setObserver(&recorder);
        client.Username = "agencia";
        client.Password = "secreto";
        client.ReadTimeout = 3000ms;
        // Tests never resolve names through DNS, and never connect off loopback:
        // every address asked for is recorded, anything else is refused here.
        client.HostResolver = [](const std::string&) { return std::optional<pordane::platform::IPv4>(); };
        client.TcpConnector = [this](pordane::platform::IPv4 address, uint16_t port, std::chrono::milliseconds limit) {
            connectedTo.push_back(address.text());
            if ((address.value >> 24) != 127)
                throw pordane::platform::NetError(pordane::platform::NetError::Kind::Socket,
                                                  "off loopback: refused by the test");
            return pordane::platform::connectTcp(address, port, limit);
        };
    }

    void aimAt(const ScriptedFtpServer& server, bool passive = true)
    {
        client.Host = ScriptedFtpServer::Address;
        client.Port = server.port();
        client.Passive = passive;
    }

    // Runs `op`, expecting an FtpError, and returns it.
    template <class Op>
    FtpError failure(Op op)
    {
        try {
            op();
        } catch (const FtpError& e) {
            return e;
        }
        ADD_FAILURE() << "no FtpError";
        return FtpError(FtpError::Kind::Socket, "none");
    }
};

inline std::vector<std::string> connectTranscript(const std::string& host = "[127.0.0.1]")
{
    return {"HOST " + host, "USER agencia", "PASS secreto", "FEAT", "TYPE A", "SYST", "TYPE A"};
}

} // namespace pordane::testsupport
