// Data transfers of the FTP client against the scripted server: passive and
// active round trips, work events, refused and stalled downloads, aborts with
// every reply order, the pump while data trickles, uploads whose receiver
// stalls after the last block, and oversized listings.
#include "support/ftp/ClientFixture.h"

#include "platform/base/Pump.h"
#include "platform/SocketIO.h"

#include "support/net/SocketCompat.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

using namespace pordane::testsupport;

using Commands = std::vector<std::string>;

namespace {

// The work events of one transfer: begin, strictly increasing counts ending at
// `total`, end.
void expectWorkSequence(const std::vector<std::string>& events, const std::string& mode, int64_t announced, int64_t total)
{
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.front(), mode + " begin " + std::to_string(announced));
    EXPECT_EQ(events.back(), mode + " end");
    int64_t last = 0;
    for (size_t i = 1; i + 1 < events.size(); ++i) {
        const std::string prefix = mode + " work ";
        ASSERT_EQ(events[i].rfind(prefix, 0), 0u) << events[i];
        const int64_t count = std::stoll(events[i].substr(prefix.size()));
        EXPECT_GT(count, last);
        last = count;
    }
    EXPECT_EQ(last, total);
}

} // namespace

class TransferModes : public ClientTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TransferModes, RoundTripMovesTheBytesUnchangedWithWorkEvents)
{
    const bool passive = GetParam();
    const std::string content = patternBytes(1024 * 1024 + 3);
    ScriptedFtpServer server;
    server.setFile("down.bin", content);
    server.setListing("-rw-r--r-- 1 u g 3 Jan 1 00:00 a.txt\r\n\r\n-rw-r--r-- 1 u g 5 Jan 1 00:00 b \xF1.txt\r\n");
    writeAll(dir / "up.bin", content);
    aimAt(server, passive);
    client.Connect();
    const size_t afterConnect = server.commands().size();

    client.Put((dir / "up.bin").string(), "up.bin");
    EXPECT_EQ(server.stored("up.bin"), content);
    expectWorkSequence(recorder.work, "w", static_cast<int64_t>(content.size()), static_cast<int64_t>(content.size()));
    recorder.work.clear();

    client.Get("down.bin", (dir / "down.bin").string());
    EXPECT_EQ(readAll(dir / "down.bin"), content);
    expectWorkSequence(recorder.work, "r", 0, static_cast<int64_t>(content.size()));
    recorder.work.clear();

    client.List();
    // LIST text follows the (single-byte) control encoding; blank lines are no entries.
    EXPECT_EQ(client.ListResult(), (Commands{"-rw-r--r-- 1 u g 3 Jan 1 00:00 a.txt", "-rw-r--r-- 1 u g 5 Jan 1 00:00 b \xC3\xB1.txt"}));
    EXPECT_EQ(recorder.work.front(), "r begin 0");

    const Commands cmds = server.commands();
    const Commands transfers(cmds.begin() + static_cast<long>(afterConnect), cmds.end());
    ASSERT_EQ(transfers.size(), 6u);
    for (size_t i : {0u, 2u, 4u}) {
        if (passive)
            EXPECT_EQ(transfers[i], "PASV");
        else
            EXPECT_EQ(transfers[i].rfind("PORT 127,0,0,1,", 0), 0u) << transfers[i];
    }
    EXPECT_EQ(transfers[1], "STOR up.bin");
    EXPECT_EQ(transfers[3], "RETR down.bin");
    EXPECT_EQ(transfers[5], "LIST");
    EXPECT_EQ(std::count(recorder.statuses.begin(), recorder.statuses.end(), FtpStatus::TransferStarting), 3);
    EXPECT_EQ(std::count(recorder.statuses.begin(), recorder.statuses.end(), FtpStatus::TransferComplete), 3);

    // An empty file and an empty listing are transfers too.
    writeAll(dir / "empty", "");
    client.Put((dir / "empty").string(), "empty");
    EXPECT_EQ(server.stored("empty"), "");
    server.setListing("");
    client.List();
    EXPECT_TRUE(client.ListResult().empty());
    client.Disconnect();
}

TEST_P(TransferModes, Retr450)
{
    const bool passive = GetParam();
    ScriptedFtpServer server({"REPLY RETR 450 File busy"});
    aimAt(server, passive);
    writeAll(dir / "local.txt", "stale bytes from before");
    client.Connect();
    if (passive) {
        // Passive: the refusal ends the transfer without an error.
        client.Get("busy.txt", (dir / "local.txt").string());
        EXPECT_EQ(recorder.statuses.back(), FtpStatus::TransferAborted);
    } else {
        const FtpError e = failure([&] { client.Get("busy.txt", (dir / "local.txt").string()); });
        EXPECT_EQ(e.kind(), FtpError::Kind::Protocol);
        EXPECT_EQ(e.replyCode(), 450);
    }
    EXPECT_TRUE(recorder.work.empty());
    EXPECT_TRUE(fs::exists(dir / "local.txt"));
    EXPECT_EQ(fs::file_size(dir / "local.txt"), 0u);
    client.Delete("busy.txt");
    EXPECT_EQ(client.LastReply().code, 250);
}

TEST_P(TransferModes, RefusedUploadKeepsTheSessionInStep)
{
    ScriptedFtpServer server({"REPLY STOR 550 Permission denied"});
    aimAt(server, GetParam());
    writeAll(dir / "up.txt", "data");
    client.Connect();
    const FtpError e = failure([&] { client.Put((dir / "up.txt").string(), "up.txt"); });
    EXPECT_EQ(e.replyCode(), 550);
    EXPECT_FALSE(server.stored("up.txt"));
    client.Delete("up.txt");
    EXPECT_EQ(client.LastReply().code, 250);
}

INSTANTIATE_TEST_SUITE_P(Mode, TransferModes, ::testing::Values(true, false),
                         [](const auto& p) { return p.param ? "Passive" : "Active"; });

class PassiveBounce : public ClientTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(PassiveBounce, TheDataConnectionGoesToTheServerWhateverPasvNames)
{
    const std::string announced = GetParam();
    ScriptedFtpServer server({"PASV " + announced});
    const std::string content = patternBytes(100 * 1024 + 7);
    server.setFile("down.bin", content);
    writeAll(dir / "up.bin", content.substr(1000));
    aimAt(server);
    client.Connect();
    client.Get("down.bin", (dir / "down.bin").string());
    client.Put((dir / "up.bin").string(), "up.bin");
    EXPECT_TRUE(readAll(dir / "down.bin") == content);
    EXPECT_TRUE(server.stored("up.bin") == content.substr(1000));
    // The control connection and both data connections, all to the server.
    EXPECT_EQ(connectedTo, Commands(3, ScriptedFtpServer::Address));
    const bool differs = announced != ScriptedFtpServer::Address && announced != "0.0.0.0";
    ASSERT_EQ(recorder.notices.size(), differs ? 2u : 0u);
    if (differs) {
        EXPECT_NE(recorder.notices[0].find(" " + announced + " "), std::string::npos) << recorder.notices[0];
    }
}

INSTANTIATE_TEST_SUITE_P(Announced, PassiveBounce,
                         ::testing::Values("127.0.0.66", "10.1.2.3", "203.0.113.9", "0.0.0.0", "127.0.0.1"));

namespace {

// Connects to 127.0.0.1:port from 127.0.0.2, as another local program
// would, and reports whether the connection was closed on it within 3 s.
bool intrudeAndGetDropped(uint16_t port)
{
    namespace sockets = pordane::testsupport::sockets;
    sockets::start();
    const int fd = sockets::open();
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(0x7F000002);
    sockaddr_in to = from;
    to.sin_addr.s_addr = htonl(0x7F000001);
    to.sin_port = htons(port);
    bool dropped = false;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0 && sockets::connectBlocking(fd, to)) {
        ::send(fd, "intruso\r\n", 9, sockets::SendFlags);
        char byte;
        dropped = sockets::pollOne(fd, POLLIN, 3000) == 1 && ::recv(fd, &byte, 1, 0) <= 0;
    }
    sockets::close(fd);
    return dropped;
}

// The port of the first PORT command the server has seen, waiting up to 3 s.
uint16_t announcedPort(const ScriptedFtpServer& server)
{
    for (int i = 0; i < 600; ++i) {
        for (const std::string& c : server.commands()) {
            unsigned a, b, cc, d, p1, p2;
            if (std::sscanf(c.c_str(), "PORT %u,%u,%u,%u,%u,%u", &a, &b, &cc, &d, &p1, &p2) == 6)
                return static_cast<uint16_t>(p1 * 256 + p2);
        }
        std::this_thread::sleep_for(5ms);
    }
    return 0;
}

} // namespace

TEST_F(ClientTest, ActiveModeTakesTheDataConnectionOnlyFromTheServer)
{
    // The server answers RETR late, so another program reaches the port first.
    ScriptedFtpServer server({"DELAY RETR 500"});
    const std::string content = patternBytes(64 * 1024 + 5);
    server.setFile("f.bin", content);
    aimAt(server, false);
    client.Connect();
    bool dropped = false;
    std::thread intruder([&] { dropped = intrudeAndGetDropped(announcedPort(server)); });
    client.Get("f.bin", (dir / "f.bin").string());
    intruder.join();
    EXPECT_TRUE(dropped);
    EXPECT_TRUE(readAll(dir / "f.bin") == content);
    ASSERT_EQ(recorder.notices.size(), 1u);
    EXPECT_EQ(recorder.notices[0], "Conexión de datos rechazada: viene de 127.0.0.2 y no del servidor, 127.0.0.1");
}

TEST_F(ClientTest, PretIsSentWhenListed)
{
    ScriptedFtpServer server({"REPLY FEAT 211-Features:\n PRET\n211 End"});
    server.setFile("f.txt", "abc");
    aimAt(server);
    client.Connect();
    client.Get("f.txt", (dir / "f.txt").string());
    const Commands cmds = server.commands();
    EXPECT_EQ(Commands(cmds.end() - 3, cmds.end()), (Commands{"PRET RETR f.txt", "PASV", "RETR f.txt"}));
}

TEST_F(ClientTest, LocalFileProblemsFailBeforeAnyTraffic)
{
    ScriptedFtpServer server;
    aimAt(server);
    client.Connect();
    const size_t before = server.commands().size();
    EXPECT_EQ(failure([&] { client.Put((dir / "missing.txt").string(), "x"); }).kind(), FtpError::Kind::File);
    EXPECT_EQ(failure([&] { client.Get("x", (dir / "no" / "such" / "dir.txt").string()); }).kind(), FtpError::Kind::File);
    client.Delete("x");
    EXPECT_EQ(server.commands().size(), before + 1);
}

TEST_F(ClientTest, StalledDownloadFailsAndKeepsTheBytesReceived)
{
    const std::string content = patternBytes(300000);
    struct Case {
        std::vector<std::string> script;
        FtpError::Kind kind;
    };
    // The server's answer after the client drops the stalled connection decides
    // the error: its 426 is reported, or, when it claims success, the time-out.
    const std::vector<Case> cases = {{{"STALL 100000"}, FtpError::Kind::Protocol},
                                     {{"STALL 100000", "FINAL RETR 226 Transfer complete"}, FtpError::Kind::ReadTimeout}};
    for (const Case& c : cases) {
        ScriptedFtpServer server(c.script);
        server.setFile("big.bin", content);
        aimAt(server);
        client.TransferTimeout = 300ms;
        client.Connect();
        recorder.work.clear();
        const FtpError e = failure([&] { client.Get("big.bin", (dir / "big.bin").string()); });
        EXPECT_EQ(e.kind(), c.kind) << e.what();
        EXPECT_EQ(readAll(dir / "big.bin"), content.substr(0, 100000));
        expectWorkSequence(recorder.work, "r", 0, 100000);
        EXPECT_TRUE(client.Connected());
        client.Delete("big.bin");
        EXPECT_EQ(client.LastReply().code, 250);
        client.Disconnect();
    }
}

// The receiver takes a few kilobytes and then nothing: the whole file sits
// in the client's send queue once the last block is written, so the wait for
// it to drain is what must end the upload. Passive and active alike.
TEST_F(ClientTest, StalledUploadFailsAfterTheLastBlockAndKeepsTheSession)
{
    const std::string content = patternBytes(256 * 1024);
    writeAll(dir / "up.bin", content);
    struct Case {
        std::vector<std::string> script;
        bool passive;
        FtpError::Kind kind;
    };
    // The reset tells the server the file is cut off, and its 426 is reported;
    // a server claiming success still leaves the upload failed.
    const std::vector<Case> cases = {{{"STALL 8192"}, true, FtpError::Kind::Protocol},
                                     {{"STALL 8192"}, false, FtpError::Kind::Protocol},
                                     {{"STALL 8192", "FINAL STOR 226 Transfer complete"}, true, FtpError::Kind::ReadTimeout}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script.size() == 1 ? (c.passive ? "passive" : "active") : "final 226");
        ScriptedFtpServer server(c.script);
        aimAt(server, c.passive);
        client.TransferTimeout = 300ms;
        client.Connect();
        recorder.work.clear();
        int pumps = 0;
        PumpGauge hook([&] {
            if (!recorder.work.empty() && recorder.work.back() == "w end")
                ++pumps;
        });
        const FtpError e = failure([&] { client.Put((dir / "up.bin").string(), "up.bin"); });
        EXPECT_EQ(e.kind(), c.kind) << e.what();
        // Every block was handed over before the failure; the server has a part.
        expectWorkSequence(recorder.work, "w", static_cast<int64_t>(content.size()), static_cast<int64_t>(content.size()));
        EXPECT_GT(pumps, 0);
        ASSERT_TRUE(server.stored("up.bin").has_value());
        EXPECT_EQ(*server.stored("up.bin"), content.substr(0, 8192));
        EXPECT_TRUE(client.Connected());
        client.Delete("up.bin");
        EXPECT_EQ(client.LastReply().code, 250);
        client.Disconnect();
    }
}

TEST_F(ClientTest, AbortWhileTheUploadDrainsEndsItAtOnce)
{
    const std::string content = patternBytes(256 * 1024);
    writeAll(dir / "up.bin", content);
    ScriptedFtpServer server({"STALL 8192"});
    aimAt(server);
    client.Connect();
    // Far above the test's run time: only the abort can end the wait.
    client.TransferTimeout = 60000ms;
    bool aborted = false;
    PumpGauge hook([&] {
        if (!aborted && !recorder.work.empty() && recorder.work.back() == "w end") {
            aborted = true;
            client.Abort();
        }
    });
    const FtpError e = failure([&] { client.Put((dir / "up.bin").string(), "up.bin"); });
    EXPECT_TRUE(aborted);
    EXPECT_EQ(e.kind(), FtpError::Kind::Aborted) << e.what();
    EXPECT_EQ(recorder.statuses.back(), FtpStatus::TransferAborted);
    const Commands cmds = server.commands();
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "ABOR"), 1);
    client.Delete("up.bin");
    EXPECT_EQ(client.LastReply().code, 250);
    EXPECT_EQ(client.LastReply().text(), "File deleted");
}

class AbortReplies : public ClientTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AbortReplies, AbortDuringDownloadConsumesTheRepliesAndKeepsTheSession)
{
    ScriptedFtpServer server({"THROTTLE 65536 10", std::string("ABORT-REPLIES ") + GetParam()});
    server.setFile("big.bin", patternBytes(8 * 1024 * 1024));
    aimAt(server);
    client.Connect();
    // Cancel pressed twice: one ABOR only.
    recorder.onWork = [&] {
        client.Abort();
        client.Abort();
    };
    const FtpError e = failure([&] { client.Get("big.bin", (dir / "big.bin").string()); });
    recorder.onWork = nullptr;
    EXPECT_EQ(e.kind(), FtpError::Kind::Aborted) << e.what();
    EXPECT_LT(fs::file_size(dir / "big.bin"), 8u * 1024 * 1024);
    EXPECT_EQ(recorder.work.back(), "r end");
    EXPECT_EQ(recorder.statuses.back(), FtpStatus::TransferAborted);
    const Commands cmds = server.commands();
    EXPECT_EQ(cmds.back(), "ABOR");
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "ABOR"), 1);
    // Every reply of the abort was read: the next command gets its own.
    client.Delete("big.bin");
    EXPECT_EQ(client.LastReply().code, 250);
    EXPECT_EQ(client.LastReply().text(), "File deleted");
}

INSTANTIATE_TEST_SUITE_P(Orders, AbortReplies,
                         ::testing::Values("426 Transfer aborted\n226 Abort successful",
                                           "226 Transfer complete\n226 Abort successful",
                                           "226 Transfer complete\n225 ABOR command successful",
                                           "226 Transfer complete\n226 Abort successful\n426 Late transfer reply",
                                           "225 No transfer to abort"),
                         [](const auto& p) { return "Case" + std::to_string(p.index); });

TEST_F(ClientTest, AbortFromThePumpDuringUpload)
{
    ScriptedFtpServer server;
    const std::string content = patternBytes(16 * 1024 * 1024);
    writeAll(dir / "up.bin", content);
    aimAt(server);
    client.Connect();
    int pumps = 0;
    {
        PumpGauge hook([&] {
            if (++pumps == 2)
                client.Abort();
        });
        EXPECT_EQ(failure([&] { client.Put((dir / "up.bin").string(), "up.bin"); }).kind(), FtpError::Kind::Aborted);
    }
    ASSERT_TRUE(server.stored("up.bin"));
    EXPECT_LT(server.stored("up.bin")->size(), content.size());
    client.Delete("up.bin");
    EXPECT_EQ(client.LastReply().code, 250);
}

TEST_F(ClientTest, PumpRunsOftenWhileDataTrickles)
{
    // 16 KiB every 20 ms with one silence of 1.2 s: the pump must still run.
    ScriptedFtpServer server({"THROTTLE 16384 20", "PAUSE 65536 1200"});
    server.setFile("slow.bin", patternBytes(256 * 1024));
    aimAt(server);
    client.Connect();
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    int calls = 0;
    long gapMs = 0;
    {
        PumpGauge pump;
        client.Get("slow.bin", (dir / "slow.bin").string());
        calls = pump.calls;
        gapMs = pump.largestGapMs();
    }
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(fs::file_size(dir / "slow.bin"), 256u * 1024);
    EXPECT_GE(elapsed, 1200ms); // the silence really happened
    EXPECT_GE(calls, 16);
    EXPECT_LE(gapMs, 250 + 150);
}

TEST_F(ClientTest, OversizedListingIsRefusedAndTheSessionStaysInStep)
{
    ScriptedFtpServer server;
    server.setListing(std::string(FTPClient::MaxListingBytes + 4096, 'x'));
    aimAt(server);
    client.Connect();
    const FtpError e = failure([&] { client.List(); });
    EXPECT_EQ(e.kind(), FtpError::Kind::Protocol);
    EXPECT_TRUE(client.ListResult().empty());
    client.Delete("x");
    EXPECT_EQ(client.LastReply().code, 250);
}

TEST_F(ClientTest, ActiveModeGivesUpWhenTheServerNeverConnects)
{
    // The server accepts PORT without using it and promises the data.
    ScriptedFtpServer server({"REPLY PORT 200 PORT ignored", "REPLY RETR 150 Opening data connection",
                              "FINAL RETR 226 Nothing sent"});
    server.setFile("f.txt", "never sent");
    aimAt(server, false);
    client.ListenTimeout = 700ms; // well apart from the read time-out of 3 s
    client.Connect();
    int pumps = 0;
    {
        PumpGauge hook([&] { ++pumps; });
        const auto start = std::chrono::steady_clock::now();
        const FtpError e = failure([&] { client.Get("f.txt", (dir / "f.txt").string()); });
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(e.kind(), FtpError::Kind::ConnectTimeout) << e.what();
        EXPECT_GE(elapsed, 700ms);
        EXPECT_LT(elapsed, 700ms + 800ms);
    }
    EXPECT_GE(pumps, 1);
    EXPECT_EQ(fs::file_size(dir / "f.txt"), 0u);
    EXPECT_EQ(server.dataConnections(), 0);
    client.Delete("f.txt");
    EXPECT_EQ(client.LastReply().code, 250);
}

// Cancel can meet a transfer outside its data phase (the button stays enabled
// when the user switched pages during the previous transfer). Whatever the
// outcome of that transfer, the control conversation must stay in step.
TEST_P(TransferModes, AbortBeforeTheTransferCommandKeepsTheSessionInStep)
{
    const bool passive = GetParam();
    ScriptedFtpServer server({passive ? "DELAY PASV 600" : "DELAY PORT 600"});
    server.setFile("f.txt", "data");
    aimAt(server, passive);
    client.Connect();
    bool aborted = false;
    {
        PumpGauge hook([&] {
            if (!aborted) {
                aborted = true;
                client.Abort();
            }
        });
        EXPECT_EQ(failure([&] { client.Get("f.txt", (dir / "f.txt").string()); }).kind(), FtpError::Kind::Aborted);
    }
    ASSERT_TRUE(aborted);
    const Commands cmds = server.commands();
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "RETR f.txt"), 0);
    client.Delete("f.txt");
    EXPECT_EQ(client.LastReply().code, 250);
    EXPECT_EQ(client.LastReply().text(), "File deleted");
}

TEST_P(TransferModes, AbortWhileWaitingForTheFinalReplyKeepsTheSessionInStep)
{
    ScriptedFtpServer server({"FINAL-DELAY 600"});
    server.setFile("f.txt", "data");
    aimAt(server, GetParam());
    client.Connect();
    bool aborted = false;
    {
        PumpGauge hook([&] {
            if (!aborted && !recorder.work.empty() && recorder.work.back() == "r end") {
                aborted = true;
                client.Abort();
            }
        });
        try {
            client.Get("f.txt", (dir / "f.txt").string());
        } catch (const FtpError& e) {
            EXPECT_EQ(e.kind(), FtpError::Kind::Aborted) << e.what();
        }
    }
    ASSERT_TRUE(aborted);
    client.Delete("f.txt");
    EXPECT_EQ(client.LastReply().code, 250);
    EXPECT_EQ(client.LastReply().text(), "File deleted");
}

TEST_P(TransferModes, FailedTransfersLeaveNoDescriptorBehind)
{
    const bool passive = GetParam();
    uint16_t deadPort;
    {
        ScriptedFtpServer gone;
        deadPort = gone.port();
    }
    const std::string dead = "REPLY PASV 227 Entering Passive Mode (127,0,0,1," + std::to_string(deadPort >> 8) + "," +
                             std::to_string(deadPort & 0xFF) + ")";
    struct Case {
        const char* name;
        std::vector<std::string> script;
        bool upload;
    };
    const std::vector<Case> cases = {
        {"data command refused", {passive ? "REPLY PASV 500 No" : "REPLY PORT 500 No"}, false},
        {"passive endpoint refused", {dead}, false},
        {"download refused", {"REPLY RETR 550 No"}, false},
        {"upload refused", {"REPLY STOR 553 No"}, true},
        {"server never connects", {"REPLY PORT 200 ignored", "FINAL RETR 425 No"}, false},
        {"stalled download", {"STALL 1000"}, false},
        {"abort", {"THROTTLE 4096 10"}, false},
    };
    writeAll(dir / "up.txt", patternBytes(300000));
    client.TransferTimeout = 300ms;
    client.ListenTimeout = 300ms;
    for (const Case& c : cases) {
        if (!passive && c.script.front() == dead)
            continue;
        const int before = openDescriptors();
        {
            ScriptedFtpServer server(c.script);
            server.setFile("f.bin", patternBytes(300000));
            aimAt(server, passive);
            client.Connect();
            recorder.onWork = [&] {
                if (std::string(c.name) == "abort")
                    client.Abort();
            };
            failure([&] {
                if (c.upload)
                    client.Put((dir / "up.txt").string(), "up.txt");
                else
                    client.Get("f.bin", (dir / "f.bin").string());
            });
            recorder.onWork = nullptr;
            client.Disconnect();
            EXPECT_TRUE(server.waitIdle(5s)) << c.name;
        }
        EXPECT_EQ(openDescriptors(), before) << c.name;
    }
}

TEST_F(ClientTest, CancelWhileThePassiveUploadConnectsSendsNoData)
{
    using pordane::platform::IPv4;
    using pordane::platform::TcpListener;
    using pordane::platform::Socket;
    using pordane::platform::connectTcp;
    using pordane::platform::listenTcp;
    // A data endpoint that answers slowly: its accept queue is full, so the
    // client's SYN is dropped and retried about a second later, once the
    // queue has been emptied.
    TcpListener slow = listenTcp(IPv4{0x7F000001});
    std::vector<Socket> fillers;
    for (int i = 0; i < 4; ++i) {
        try {
            fillers.push_back(connectTcp(IPv4{0x7F000001}, slow.port, 300ms));
        } catch (const pordane::platform::NetError&) {
            break;
        }
    }
    std::atomic<size_t> received{0};
    // Empties the queue after a while, then counts every byte that arrives on
    // any connection until one of them (the client's) ends.
    std::thread endpoint([&] {
        std::this_thread::sleep_for(300ms);
        std::vector<Socket> accepted;
        const auto until = std::chrono::steady_clock::now() + 4s;
        bool ended = false;
        while (!ended && std::chrono::steady_clock::now() < until) {
            namespace sockets = pordane::testsupport::sockets;
            std::vector<sockets::PollFd> fds{sockets::pollEntry(slow.sock.fd(), POLLIN)};
            for (const Socket& a : accepted)
                fds.push_back(sockets::pollEntry(a.fd(), POLLIN));
            if (sockets::pollMany(fds.data(), fds.size(), 50) <= 0)
                continue;
            if (fds[0].revents)
                accepted.emplace_back(sockets::acceptOn(slow.sock.fd()));
            for (size_t i = 1; i < fds.size(); ++i) {
                if (!fds[i].revents)
                    continue;
                char buf[65536];
                const ssize_t n = ::recv(fds[i].fd, buf, sizeof buf, 0);
                if (n > 0)
                    received += static_cast<size_t>(n);
                else
                    ended = true;
            }
        }
    });
    ScriptedFtpServer server({"REPLY PASV 227 Entering Passive Mode (127,0,0,1," + std::to_string(slow.port >> 8) + "," +
                                  std::to_string(slow.port & 0xFF) + ")",
                              "FINAL STOR 226 Transfer complete"});
    writeAll(dir / "up.bin", patternBytes(200000));
    aimAt(server);
    client.ConnectTimeout = 5000ms;
    client.Connect();
    bool aborted = false;
    {
        PumpGauge hook([&] {
            if (!aborted) {
                aborted = true;
                client.Abort();
            }
        });
        EXPECT_EQ(failure([&] { client.Put((dir / "up.bin").string(), "up.bin"); }).kind(), FtpError::Kind::Aborted);
    }
    endpoint.join();
    ASSERT_TRUE(aborted);
    EXPECT_EQ(received, 0u);
    client.Delete("up.bin");
    EXPECT_EQ(client.LastReply().code, 250);
}
