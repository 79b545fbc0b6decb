#include "support/net/LoopbackEndpoint.h"

#include "platform/PeerCheck.h"
#include "platform/TcpConnect.h"

#include <gtest/gtest.h>

using namespace pordane::platform;
using namespace pordane::testsupport;
using namespace std::chrono_literals;

namespace {
Socket connectTo(const char* address, uint16_t port)
{
    return connectTcp(*IPv4::parse(address), port, 5000ms);
}
} // namespace

TEST(PeerCheck, GreetingThenCloseStillCountsAsConnected)
{
    LoopbackEndpoint greets("127.0.3.3", Behaviour::GreetAndClose);
    Socket s = connectTo("127.0.3.3", greets.port());
    // The greeting may arrive in pieces; collect until the close shows.
    std::string received;
    PeerRead r;
    do {
        ASSERT_TRUE(waitReadable(s, 10s));
        r = readWithoutWaiting(s);
        EXPECT_TRUE(r.connected() || received.size() == Greeting.size());
        received += r.received;
    } while (!r.closedByPeer);
    EXPECT_EQ(received, Greeting);
    // Once the greeting has been taken in, only the close is left.
    EXPECT_FALSE(readWithoutWaiting(s).connected());
}

TEST(PeerCheck, OpenSilentPeerIsConnectedAndNothingWaits)
{
    LoopbackEndpoint open("127.0.3.4", Behaviour::StayOpen);
    Socket s = connectTo("127.0.3.4", open.port());
    EXPECT_FALSE(waitReadable(s, 0ms));
    const PeerRead r = readWithoutWaiting(s);
    EXPECT_TRUE(r.connected());
    EXPECT_FALSE(r.closedByPeer);
    EXPECT_TRUE(r.received.empty());
}

TEST(PeerCheck, AtOnceCloseAndInvalidSocketAreNotConnected)
{
    LoopbackEndpoint closes("127.0.3.2", Behaviour::CloseAtOnce);
    Socket s = connectTo("127.0.3.2", closes.port());
    ASSERT_TRUE(waitReadable(s, 10s));
    const PeerRead r = readWithoutWaiting(s);
    EXPECT_TRUE(r.closedByPeer);
    EXPECT_TRUE(r.received.empty());
    EXPECT_FALSE(r.connected());

    const Socket none;
    EXPECT_FALSE(readWithoutWaiting(none).connected());
    EXPECT_FALSE(waitReadable(none, 10s));
}
