// The pumping socket I/O: bounded reads and writes, the listener of active
// mode, the peer-closed check, and no descriptor left behind by any failure.
#include "platform/SocketIO.h"
#include "platform/NetError.h"
#include "platform/TcpConnect.h"
#include "platform/base/Pump.h"
#include "support/ftp/PumpGauge.h"
#include "support/proc/ProcessProbe.h"
#include "support/wine/UnderWine.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#else
#include <dirent.h>
#include <sys/socket.h>
#endif

#include <algorithm>
#include <functional>
#include <string>
#include <thread>

using namespace pordane::platform;
using pordane::testsupport::PumpGauge;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;
const IPv4 loopback{0x7F000001};

using pordane::testsupport::openDescriptors;

struct Pair {
    Socket client;
    Socket server;
};

Pair connectedPair()
{
    TcpListener l = listenTcp(loopback);
    Pair p;
    p.client = connectTcp(loopback, l.port, 2000ms);
    p.server = acceptTcp(l.sock, 2000ms);
    return p;
}

// Wine closes a socket in its server process and may send the FIN before the
// reset a zero linger time asks for, so a peer can read an orderly end first.
bool resetMayArriveAfterFin()
{
    return pordane::testsupport::runningUnderWine();
}

// Closing with a zero linger time sends a reset instead of a FIN.
void resetAndClose(Socket& s)
{
    linger lg{1, 0};
    ::setsockopt(static_cast<decltype(::socket(0, 0, 0))>(s.fd()), SOL_SOCKET, SO_LINGER,
                 reinterpret_cast<const char*>(&lg), sizeof lg);
    s.close();
}

template <class Op>
NetError::Kind errorOf(Op op)
{
    try {
        op();
    } catch (const NetError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no NetError";
    return NetError::Kind::Resolve;
}

} // namespace

TEST(ReceiveSome, TakesAtMostTheBufferAndTellsCloseResetAndSilenceApart)
{
    const int before = openDescriptors();
    {
        Pair p = connectedPair();
        const std::string sent = "0123456789";
        sendAll(p.server, sent.data(), sent.size(), 1000ms);
        char buf[4];
        std::string got;
        while (got.size() < sent.size())
            got.append(buf, receiveSome(p.client, buf, sizeof buf, 1000ms));
        EXPECT_EQ(got, sent);

        // Silence: the limit holds and the window gets its turns meanwhile.
        {
            PumpGauge pump;
            EXPECT_EQ(errorOf([&] { receiveSome(p.client, buf, sizeof buf, 450ms); }), NetError::Kind::ReadTimeout);
            EXPECT_GE(pump.calls, 2);
            EXPECT_LE(pump.largestGap, 250ms + 150ms); // the promised turn, with room for a loaded machine
        }
        p.server.close();
        EXPECT_EQ(receiveSome(p.client, buf, sizeof buf, 1000ms), 0u);
    }
    {
        Pair p = connectedPair();
        resetAndClose(p.server);
        char buf[4];
        if (resetMayArriveAfterFin()) {
            try {
                EXPECT_EQ(receiveSome(p.client, buf, sizeof buf, 1000ms), 0u);
            } catch (const NetError& e) {
                EXPECT_EQ(e.kind(), NetError::Kind::Closed);
            }
        } else {
            EXPECT_EQ(errorOf([&] { receiveSome(p.client, buf, sizeof buf, 1000ms); }), NetError::Kind::Closed);
        }
    }
    {
        // Closed from inside the pump (an abort): noticed after the slice,
        // never a read on a descriptor number that may be reused meanwhile.
        Pair p = connectedPair();
        PumpGauge pump([&] { p.client.close(); });
        char buf[4];
        EXPECT_EQ(errorOf([&] { receiveSome(p.client, buf, sizeof buf, 3000ms); }), NetError::Kind::Closed);
        EXPECT_EQ(pump.calls, 1);
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST(SendAll, PeerGoneOrNotReading)
{
    const int before = openDescriptors();
    const std::string block(1024 * 1024, 'x');
    {
        // Without MSG_NOSIGNAL this would kill the process with SIGPIPE.
        Pair p = connectedPair();
        p.server.close();
        EXPECT_EQ(errorOf([&] {
                      for (int i = 0; i < 64; ++i)
                          sendAll(p.client, block.data(), block.size(), 1000ms);
                  }),
                  NetError::Kind::Closed);
    }
    {
        Pair p = connectedPair();
        resetAndClose(p.server);
        EXPECT_EQ(errorOf([&] { sendAll(p.client, block.data(), block.size(), 1000ms); }), NetError::Kind::Closed);
    }
    {
        // A peer that reads nothing: the buffers fill and the wait is bounded.
        Pair p = connectedPair();
        PumpGauge pump;
        EXPECT_EQ(errorOf([&] {
                      for (int i = 0; i < 256; ++i)
                          sendAll(p.client, block.data(), block.size(), 300ms);
                  }),
                  NetError::Kind::ReadTimeout);
        EXPECT_GE(pump.calls, 1);
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST(ListenAccept, ChosenPortAddressesLimitAndLocalClose)
{
    const int before = openDescriptors();
    {
        TcpListener l = listenTcp(loopback);
        EXPECT_NE(l.port, 0);
        Socket c = connectTcp(loopback, l.port, 2000ms);
        Socket s = acceptTcp(l.sock, 2000ms);
        EXPECT_EQ(localAddress(s), loopback);
        EXPECT_EQ(peerAddress(c), loopback);
    }
    {
        TcpListener l = listenTcp(loopback);
        PumpGauge pump;
        EXPECT_EQ(errorOf([&] { acceptTcp(l.sock, 450ms); }), NetError::Kind::ConnectTimeout);
        EXPECT_GE(pump.calls, 2);
        EXPECT_LE(pump.largestGap, 250ms + 150ms); // the promised turn, with room for a loaded machine
    }
    {
        TcpListener l = listenTcp(loopback);
        PumpGauge pump([&] { l.sock.close(); });
        EXPECT_EQ(errorOf([&] { acceptTcp(l.sock, 3000ms); }), NetError::Kind::Closed);
    }
    // A port in use cannot be listened on twice.
    {
        TcpListener l = listenTcp(loopback);
        EXPECT_EQ(errorOf([&] { listenTcp(loopback, l.port); }), NetError::Kind::Socket);
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST(FinishSending, EndsOnThePeersCloseOrReplyAndOnlyAStallFails)
{
    const int before = openDescriptors();
    const std::string block(4 * 1024 * 1024, 'x');
    {
        // A peer that reads to end-of-file and closes: the wait ends with its close.
        Pair p = connectedPair();
        Socket none;
        std::thread reader([&] {
            char buf[65536];
            size_t total = 0;
            while (size_t n = receiveSome(p.server, buf, sizeof buf, 3000ms))
                total += n;
            EXPECT_EQ(total, block.size());
            p.server.close();
        });
        sendAll(p.client, block.data(), block.size(), 3000ms);
        finishSending(p.client, none, 3000ms);
        reader.join();
    }
    {
        // A peer that reads nothing but answers on the other channel.
        Pair data = connectedPair();
        Pair control = connectedPair();
        sendAll(data.client, block.data(), 64 * 1024, 1000ms);
        sendAll(control.server, "226 OK\r\n", 8, 1000ms);
        const auto start = Clock::now();
        finishSending(data.client, control.client, 3000ms);
        EXPECT_LT(Clock::now() - start, 1000ms);
    }
    {
        // A peer that takes nothing and says nothing: the stall limit holds,
        // and the window keeps its turns meanwhile.
        Pair p = connectedPair();
        Socket none;
        EXPECT_EQ(errorOf([&] {
                      for (int i = 0; i < 64; ++i)
                          sendAll(p.client, block.data(), block.size(), 200ms);
                  }),
                  NetError::Kind::ReadTimeout);
        PumpGauge pump;
        const auto start = Clock::now();
        EXPECT_EQ(errorOf([&] { finishSending(p.client, none, 400ms); }), NetError::Kind::ReadTimeout);
        EXPECT_GE(Clock::now() - start, 400ms);
        EXPECT_GE(pump.calls, 4);
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST(PeerHasClosed, OnlyAnEmptyClosedOrResetConnection)
{
    Socket none;
    EXPECT_TRUE(peerHasClosed(none));
    {
        Pair p = connectedPair();
        EXPECT_FALSE(peerHasClosed(p.client));
        EXPECT_FALSE(readableWithin(p.client, 0ms));
        // Data still unread counts as connected, even after the peer's FIN,
        // and the check consumes none of it.
        sendAll(p.server, "ab", 2, 1000ms);
        p.server.close();
        ASSERT_TRUE(readableWithin(p.client, 1000ms));
        EXPECT_FALSE(peerHasClosed(p.client));
        char buf[8];
        EXPECT_EQ(receiveSome(p.client, buf, sizeof buf, 1000ms), 2u);
        EXPECT_TRUE(peerHasClosed(p.client));
    }
    {
        Pair p = connectedPair();
        resetAndClose(p.server);
        ASSERT_TRUE(readableWithin(p.client, 1000ms));
        EXPECT_TRUE(peerHasClosed(p.client));
    }
}
