#include "platform/NetError.h"
#include "platform/base/Pump.h"
#include "platform/SocketIO.h"
#include "platform/TcpConnect.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pordane::platform;
using namespace std::chrono_literals;

namespace {

NetError::Kind kindOfConnect(IPv4 addr, uint16_t port, std::chrono::milliseconds limit)
{
    try {
        connectTcp(addr, port, limit);
    } catch (const NetError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "connect succeeded";
    return NetError::Kind::Closed;
}

const IPv4 loopback{0x7F000001};

} // namespace

TEST(IPv4, ParsesOnlyStrictDottedQuads)
{
    EXPECT_EQ(IPv4::parse("127.0.0.1"), loopback);
    EXPECT_EQ(IPv4::parse("10.0.255.1")->text(), "10.0.255.1");
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "a.b.c.d", "1.2.3.4 ", "1234.1.1.1"})
        EXPECT_FALSE(IPv4::parse(bad)) << bad;
}

TEST(ResolveIPv4, LiteralsSkipTheResolverAndUnknownNamesFail)
{
    int calls = 0;
    Resolver counting = [&](const std::string&) -> std::optional<IPv4> { ++calls; return std::nullopt; };
    EXPECT_EQ(resolveIPv4("127.0.0.5", counting).text(), "127.0.0.5");
    EXPECT_EQ(calls, 0);
    try {
        resolveIPv4("no.such.host.invalid", counting);
        FAIL() << "resolved";
    } catch (const NetError& e) {
        EXPECT_EQ(e.kind(), NetError::Kind::Resolve);
    }
    EXPECT_EQ(calls, 1);
    Resolver fixed = [](const std::string&) { return IPv4::parse("127.0.0.9"); };
    EXPECT_EQ(resolveIPv4("ftp.example", fixed).text(), "127.0.0.9");
}

TEST(ConnectTcp, ConnectsAndRefuses)
{
    uint16_t port;
    {
        TcpListener l = listenTcp(loopback);
        port = l.port;
        Socket s = connectTcp(loopback, port, 2000ms);
        EXPECT_TRUE(s.valid());
    }
    // Nothing listens on the port any more: refused at once, not after the limit.
    EXPECT_EQ(kindOfConnect(loopback, port, 60000ms), NetError::Kind::Socket);
}

TEST(ConnectTcp, SilentEndpointTimesOutWhilePumping)
{
    // A listener whose accept queue (backlog 1) is full drops further SYNs,
    // so the connect neither succeeds nor is refused.
    TcpListener l = listenTcp(loopback);
    std::vector<Socket> fillers;
    for (int i = 0; i < 4; ++i) {
        try {
            fillers.push_back(connectTcp(loopback, l.port, 300ms));
        } catch (const NetError&) {
            break;
        }
    }
    int pumps = 0;
    ScopedPumpHook hook([&] { ++pumps; });
    EXPECT_EQ(kindOfConnect(loopback, l.port, 1000ms), NetError::Kind::ConnectTimeout);
    // 1000 ms in slices of at most 125 ms.
    EXPECT_GE(pumps, 7);
}
