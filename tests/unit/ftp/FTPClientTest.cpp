// The FTP client's connect, commands, disconnect and bad-input handling,
// each case a short conversation with the scripted server.
#include "support/ftp/ClientFixture.h"

using namespace pordane::testsupport;

using Commands = std::vector<std::string>;

TEST_F(ClientTest, DefaultSettings)
{
    FTPClient fresh;
    EXPECT_EQ(fresh.Port, 21);
    EXPECT_FALSE(fresh.Passive);
    EXPECT_EQ(fresh.TransferType, pordane::ftp::FtpTransferType::ASCII);
    EXPECT_EQ(fresh.ConnectTimeout, 0ms);
    EXPECT_EQ(fresh.ReadTimeout, 5000ms);
    EXPECT_EQ(fresh.TransferTimeout, 5000ms);
    EXPECT_EQ(fresh.ListenTimeout, 10000ms);
    EXPECT_TRUE(fresh.AutoLogin && fresh.UseHOST && fresh.AutoFEAT && fresh.UseMLSD);
    EXPECT_FALSE(fresh.Connected());
}

TEST_F(ClientTest, ConnectSendsTheFullSequenceAndKeepsTheServerState)
{
    ScriptedFtpServer server({"REPLY FEAT 211-Features:\n MDTM\n CLNT\n REST STREAM\n211 End"});
    aimAt(server);
    client.Connect();
    EXPECT_TRUE(client.Connected());
    Commands expected = connectTranscript();
    expected.insert(expected.begin() + 4, "CLNT " + client.ClientName);
    EXPECT_EQ(server.commands(), expected);
    EXPECT_EQ(client.Greeting(), "Scripted FTP server ready");
    EXPECT_EQ(client.Capabilities(), (Commands{" MDTM", " CLNT", " REST STREAM"}));
    EXPECT_TRUE(client.SupportsFeature("rest"));
    EXPECT_FALSE(client.SupportsFeature("STREAM"));
    EXPECT_EQ(client.SystemType(), "UNIX Type: L8");
    EXPECT_EQ(client.LastReply().code, 200);
    EXPECT_FALSE(client.UsesUtf8());
    EXPECT_EQ(recorder.statuses, (std::vector<FtpStatus>{FtpStatus::Resolving, FtpStatus::Connecting,
                                                          FtpStatus::Connected, FtpStatus::LoggedIn}));
    client.Disconnect();
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(server.commands().back(), "QUIT");
    EXPECT_EQ(recorder.statuses.back(), FtpStatus::Disconnected);
}

TEST_F(ClientTest, SwitchedOffStepsAreNotSent)
{
    ScriptedFtpServer server;
    aimAt(server);
    client.UseHOST = false;
    client.AutoLogin = false;
    client.AutoFEAT = false;
    client.Connect();
    EXPECT_EQ(server.commands(), (Commands{"TYPE A", "SYST", "TYPE A"}));
    EXPECT_TRUE(client.Capabilities().empty());
    // A second Connect on an open connection is refused and leaves it open.
    EXPECT_EQ(failure([&] { client.Connect(); }).kind(), FtpError::Kind::Socket);
    EXPECT_TRUE(client.Connected());
    // Abort with no transfer under way: ABOR and its reply, then business as usual.
    client.Abort();
    EXPECT_EQ(client.LastReply().code, 225);
    client.Delete("x");
    EXPECT_EQ(client.LastReply().code, 250);
    EXPECT_EQ(server.commands().size(), 5u);
}

TEST_F(ClientTest, GreetingOfServiceReadyLaterIsFollowedByTheRealOne)
{
    ScriptedFtpServer server({"GREETING 120 Service ready in 1 minute", "GREETING 220 Ready now"});
    aimAt(server);
    client.Connect();
    EXPECT_EQ(client.Greeting(), "Ready now");
    EXPECT_EQ(server.commands(), connectTranscript());
}

TEST_F(ClientTest, GreetingOtherThan220FailsWithoutQuit)
{
    const std::vector<std::vector<std::string>> scripts = {{"GREETING 421 Too many users"},
                                                           {"GREETING 120 Wait", "GREETING 421 Gave up"}};
    for (const auto& script : scripts) {
        ScriptedFtpServer server(script);
        aimAt(server);
        const FtpError e = failure([&] { client.Connect(); });
        EXPECT_EQ(e.kind(), FtpError::Kind::Protocol) << script[0];
        EXPECT_EQ(e.replyCode(), 421) << script[0];
        EXPECT_FALSE(client.Connected());
        ASSERT_TRUE(server.waitIdle(5s));
        EXPECT_TRUE(server.commands().empty()) << script[0];
    }
}

TEST_F(ClientTest, HostRefusedIsIgnored)
{
    ScriptedFtpServer server({"REPLY HOST 500 Command not understood"});
    aimAt(server);
    client.Connect();
    EXPECT_EQ(server.commands(), connectTranscript());
}

TEST_F(ClientTest, HostNameTravelsWithoutBrackets)
{
    ScriptedFtpServer server;
    aimAt(server);
    client.Host = "ftp.agencia.example";
    std::vector<std::string> asked;
    client.HostResolver = [&](const std::string& name) {
        asked.push_back(name);
        return pordane::platform::IPv4::parse("127.0.0.1");
    };
    client.Connect();
    EXPECT_EQ(asked, Commands{"ftp.agencia.example"});
    EXPECT_EQ(server.commands(), connectTranscript("ftp.agencia.example"));
}

TEST_F(ClientTest, ServerDroppingOnHostIsReconnectedWithoutHostAndHostStaysOn)
{
    // Dropped without a word, or after "421" (service not available, closing).
    for (const char* script : {"CLOSE-AFTER HOST", "REPLY HOST 421 Unknown virtual host"}) {
        ScriptedFtpServer server({script});
        aimAt(server);
        client.Connect();
        EXPECT_TRUE(client.Connected()) << script;
        client.Disconnect();
        client.Connect(); // the next connect tries HOST again
        client.Disconnect();
        Commands withoutHost = connectTranscript();
        withoutHost.erase(withoutHost.begin());
        withoutHost.push_back("QUIT");
        const auto sessions = server.sessions();
        ASSERT_EQ(sessions.size(), 4u) << script;
        EXPECT_EQ(sessions[0], Commands{"HOST [127.0.0.1]"});
        EXPECT_EQ(sessions[1], withoutHost);
        EXPECT_EQ(sessions[2], Commands{"HOST [127.0.0.1]"});
        EXPECT_EQ(sessions[3], withoutHost);
        EXPECT_TRUE(client.UseHOST);
    }
}

TEST_F(ClientTest, LoginVariants)
{
    {
        ScriptedFtpServer server({"REPLY USER 230 No password needed"});
        aimAt(server);
        client.Connect();
        const Commands cmds = server.commands();
        EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "PASS secreto"), 0);
        EXPECT_EQ(cmds[2], "FEAT");
        client.Disconnect();
    }
    for (const char* pass : {"REPLY PASS 332 Need account for login", "REPLY PASS 530 Login incorrect"}) {
        ScriptedFtpServer server({pass});
        aimAt(server);
        const FtpError e = failure([&] { client.Connect(); });
        EXPECT_EQ(e.kind(), FtpError::Kind::Protocol);
        EXPECT_NE(std::string(e.what()).find(std::string(pass).substr(15)), std::string::npos) << e.what();
        EXPECT_FALSE(client.Connected());
        ASSERT_TRUE(server.waitIdle(5s));
        // The greeting was accepted, so the failed connect says goodbye.
        EXPECT_EQ(server.commands().back(), "QUIT");
    }
}

TEST_F(ClientTest, SystemTypeUnknownOn500AndTypeMustBeAccepted)
{
    {
        ScriptedFtpServer server({"REPLY SYST 500 Unknown command"});
        aimAt(server);
        client.Connect();
        EXPECT_EQ(client.SystemType(), "Unknown");
        client.Disconnect();
    }
    {
        ScriptedFtpServer server({"REPLY TYPE 504 Not implemented"});
        aimAt(server);
        EXPECT_EQ(failure([&] { client.Connect(); }).replyCode(), 504);
        EXPECT_FALSE(client.Connected());
    }
}

TEST_F(ClientTest, ListingCommandFollowsTheFeatures)
{
    struct Case {
        std::vector<std::string> script;
        bool useMlsd;
        const char* command;
    };
    const std::vector<Case> cases = {
        {{"REPLY FEAT 500 FEAT not understood"}, true, "LIST"},
        {{"REPLY FEAT 211-Features:\n MLSD\n211 End"}, true, "MLSD"},
        {{"REPLY FEAT 211-Extensions supported:\n mlst type*;size*;\n211 End"}, true, "MLSD"},
        {{"REPLY FEAT 211-Features:\n MLSD\n211 End"}, false, "LIST"},
        {{"REPLY FEAT 211 No features"}, true, "LIST"},
    };
    for (const Case& c : cases) {
        ScriptedFtpServer server(c.script);
        server.setListing("type=file;size=3; a.txt\r\ntype=dir; sub\r\n");
        aimAt(server);
        client.UseMLSD = c.useMlsd;
        client.Connect();
        client.List();
        const Commands cmds = server.commands();
        EXPECT_EQ(cmds[cmds.size() - 2], "PASV");
        EXPECT_EQ(cmds.back(), c.command) << c.script[0];
        EXPECT_EQ(client.ListResult(), (Commands{"type=file;size=3; a.txt", "type=dir; sub"}));
        client.Disconnect();
    }
}

TEST_F(ClientTest, Utf8FeatureSwitchesTheControlEncoding)
{
    const std::string name = "a\xC3\xB1o.txt"; // "año.txt"
    for (bool utf8 : {false, true}) {
        ScriptedFtpServer server({utf8 ? "REPLY FEAT 211-Features:\n UTF8\n211 End" : "REPLY FEAT 211-Features:\n SIZE\n211 End"});
        aimAt(server);
        client.Connect();
        EXPECT_EQ(client.UsesUtf8(), utf8);
        client.Delete(name);
        EXPECT_EQ(server.commands().back(), utf8 ? "DELE a\xC3\xB1o.txt" : "DELE a\xF1o.txt");
        client.Disconnect();
    }
}

TEST_F(ClientTest, AServerSendingByteByByteStillLetsTheWindowTakeTurns)
{
    // Every byte comes within a few milliseconds, so no wait ever runs out.
    ScriptedFtpServer server({"TRICKLE 3", "GREETING 220-Bienvenido al servidor\n220-de pruebas lentas\n220 Listo"});
    aimAt(server);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    PumpGauge pump;
    client.Connect();
    const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(elapsedMs, 400); // the trickle really happened
    EXPECT_GE(pump.calls, elapsedMs / 125) << elapsedMs;
    EXPECT_LE(pump.largestGapMs(), 250 + 150); // the promised turn, with room for a loaded machine
}

TEST_F(ClientTest, AWholeReplyMustArriveWithinThreeReadTimeOuts)
{
    // Forty greeting lines, each well within the read time-out, 5.6 s in all.
    std::string greeting = "GREETING ";
    for (int i = 10; i < 50; ++i)
        greeting += "220-linea " + std::to_string(i) + "\n";
    ScriptedFtpServer server({"TRICKLE 10", greeting + "220 Listo"});
    aimAt(server);
    // A read time-out of a whole second leaves a loaded machine (or Wine) a
    // second to notice the limit, and a limit of one read time-out more
    // (or none) still fails the upper bound.
    client.ReadTimeout = 1000ms;
    const auto start = std::chrono::steady_clock::now();
    const FtpError e = failure([&] { client.Connect(); });
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(e.kind(), FtpError::Kind::ReadTimeout) << e.what();
    EXPECT_GE(elapsed, 3 * client.ReadTimeout);
    EXPECT_LT(elapsed, 4 * client.ReadTimeout);
    EXPECT_FALSE(client.Connected());
}

TEST_F(ClientTest, ABareCodeLineEndsAMultiLineReply)
{
    // "220" alone, and "211" alone, close their replies like "ddd text" does.
    ScriptedFtpServer server({"GREETING 220-Bienvenido\n220-segunda linea\n220",
                              "REPLY FEAT 211-Features:\n UTF8\n MLSD\n211"});
    aimAt(server);
    client.Connect();
    EXPECT_EQ(client.Greeting(), "Bienvenido");
    EXPECT_EQ(client.Capabilities(), (std::vector<std::string>{" UTF8", " MLSD"}));
    EXPECT_TRUE(client.UsesUtf8());
    EXPECT_EQ(server.commands(), connectTranscript());
}

TEST_F(ClientTest, ServerBytesReachErrorTextsAsValidUtf8)
{
    // Decoded as the control encoding says; what is invalid there becomes U+FFFD.
    const std::string bad = "\xEF\xBF\xBD";
    for (bool utf8 : {false, true}) {
        ScriptedFtpServer server({utf8 ? "REPLY FEAT 211-Features:\n UTF8\n211 End" : "REPLY FEAT 211 none",
                                  "REPLY CWD 550 Carpeta \xC3\xB1 \xF1\xFF rota"});
        aimAt(server);
        client.Connect();
        const std::string expected = utf8 ? "550 Carpeta \xC3\xB1 " + bad + bad + " rota"
                                          : "550 Carpeta \xC3\x83\xC2\xB1 \xC3\xB1\xC3\xBF rota";
        EXPECT_EQ(std::string(failure([&] { client.ChangeDir("x"); }).what()), expected) << utf8;
        client.Disconnect();
    }
    // A malformed greeting is quoted decoded, cut at a character boundary.
    ScriptedFtpServer server;
    server.setRawGreeting("X" + std::string(50, '\xF1') + "\r\n");
    aimAt(server);
    std::string twoBytes;
    for (int i = 0; i < 39; ++i)
        twoBytes += "\xC3\xB1";
    EXPECT_EQ(std::string(failure([&] { client.Connect(); }).what()), "Respuesta no válida del servidor: X" + twoBytes);
}

TEST_F(ClientTest, CommandsSendTheirArgumentsAndAcceptTheirCodes)
{
    ScriptedFtpServer server({"REPLY CWD 250 OK", "REPLY CWD 257 OK", "REPLY CWD 550 No such directory",
                              "REPLY DELE 200 OK", "REPLY DELE 450 Busy", "REPLY RNFR 350 Ready", "REPLY RNFR 550 Missing"});
    aimAt(server);
    client.Connect();
    client.ChangeDir("fotos");
    client.ChangeDir("fotos 2");
    FtpError e = failure([&] { client.ChangeDir("nada"); });
    EXPECT_EQ(e.replyCode(), 550);
    EXPECT_EQ(std::string(e.what()), "550 No such directory");
    EXPECT_TRUE(client.Connected()); // a refused command leaves the session usable
    client.Delete("x.txt");
    EXPECT_EQ(failure([&] { client.Delete("y.txt"); }).replyCode(), 450);
    client.Rename("a.txt", "a.mdb");
    EXPECT_EQ(failure([&] { client.Rename("b.txt", "b.mdb"); }).replyCode(), 550);
    const Commands cmds = server.commands();
    EXPECT_EQ(Commands(cmds.begin() + 7, cmds.end()),
              (Commands{"CWD fotos", "CWD fotos 2", "CWD nada", "DELE x.txt", "DELE y.txt", "RNFR a.txt", "RNTO a.mdb", "RNFR b.txt"}));
}

TEST_F(ClientTest, OperationsWithoutAConnectionFail)
{
    EXPECT_EQ(failure([&] { client.ChangeDir("x"); }).kind(), FtpError::Kind::NotConnected);
    EXPECT_EQ(failure([&] { client.Delete("x"); }).kind(), FtpError::Kind::NotConnected);
    EXPECT_EQ(failure([&] { client.List(); }).kind(), FtpError::Kind::NotConnected);
    // The download target is emptied first, whatever happens next.
    writeAll(dir / "old.txt", "old content");
    EXPECT_EQ(failure([&] { client.Get("r.txt", (dir / "old.txt").string()); }).kind(), FtpError::Kind::NotConnected);
    EXPECT_EQ(fs::file_size(dir / "old.txt"), 0u);
    client.Disconnect(); // nothing to close: no error
    client.Abort();
}

TEST_F(ClientTest, ConnectFailuresAreSocketOrTimeoutErrors)
{
    uint16_t closedPort;
    {
        ScriptedFtpServer gone;
        closedPort = gone.port();
    }
    client.Host = "127.0.0.1";
    client.Port = closedPort;
    EXPECT_EQ(failure([&] { client.Connect(); }).kind(), FtpError::Kind::Socket);
    client.Host = "no.such.name";
    EXPECT_EQ(failure([&] { client.Connect(); }).kind(), FtpError::Kind::Socket);
    EXPECT_FALSE(client.Connected());

    ScriptedFtpServer slow({"DELAY SYST 3000"});
    aimAt(slow);
    client.ReadTimeout = 300ms;
    EXPECT_EQ(failure([&] { client.Connect(); }).kind(), FtpError::Kind::ReadTimeout);
    EXPECT_FALSE(client.Connected());
}

TEST_F(ClientTest, DisconnectWithAndWithoutQuitReply)
{
    for (const char* script : {"", "CLOSE-AFTER QUIT", "DELAY QUIT 2000"}) {
        ScriptedFtpServer server(*script ? std::vector<std::string>{script} : std::vector<std::string>{});
        aimAt(server);
        client.Connect();
        client.Disconnect();
        EXPECT_FALSE(client.Connected()) << script;
        ASSERT_TRUE(server.waitIdle(5s));
        EXPECT_EQ(server.commands().back(), "QUIT") << script;
    }
}

// ------------------------------------------------------------ bad input

TEST_F(ClientTest, MalformedRepliesCloseTheConnection)
{
    struct Case {
        const char* name;
        std::string greeting;
    };
    std::string endless;
    for (int i = 0; i < 300000; ++i)
        endless += "220-more\r\n";
    const std::vector<Case> cases = {
        {"overlong line", "220 " + std::string(70 * 1024, 'x') + "\r\n"},
        {"overlong unterminated line", std::string(200 * 1024, 'x')},
        {"endless multi-line reply", "220-hello\r\n" + endless},
        {"endless blank lines", std::string(2 * 1024 * 1024, '\n')},
        {"not three digits", "hello\r\n"},
        {"two digits", "22 ready\r\n"},
        {"code glued to text", "220ready\r\n"},
        {"code out of range", "999 ready\r\n"},
    };
    const int before = openDescriptors();
    for (const Case& c : cases) {
        ScriptedFtpServer server;
        server.setRawGreeting(c.greeting);
        aimAt(server);
        const FtpError e = failure([&] { client.Connect(); });
        EXPECT_EQ(e.kind(), FtpError::Kind::Protocol) << c.name;
        EXPECT_FALSE(client.Connected()) << c.name;
        EXPECT_TRUE(server.waitIdle(10s)) << c.name;
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(ClientTest, MalformedReplyMidSessionClosesTheConnection)
{
    ScriptedFtpServer server({"REPLY DELE It worked"});
    aimAt(server);
    client.Connect();
    EXPECT_EQ(failure([&] { client.Delete("a"); }).kind(), FtpError::Kind::Protocol);
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(failure([&] { client.Delete("a"); }).kind(), FtpError::Kind::NotConnected);
}

TEST_F(ClientTest, BadPasvRepliesFailWithoutADataConnection)
{
    ScriptedFtpServer server({"REPLY PASV 227 Entering Passive Mode (127,0,0,1,4)", "REPLY PASV 227 Entering Passive Mode (127,0,0,1,300,1)",
                              "REPLY PASV 227 Entering Passive Mode", "REPLY PASV 227 (127,0,0,1,0,0)"});
    server.setFile("f.txt", "data");
    aimAt(server);
    client.Connect();
    for (int i = 0; i < 4; ++i) {
        const FtpError e = failure([&] { client.Get("f.txt", (dir / "f.txt").string()); });
        EXPECT_EQ(e.kind(), FtpError::Kind::Protocol);
        EXPECT_EQ(e.replyCode(), 227);
    }
    EXPECT_EQ(server.dataConnections(), 0);
    const Commands cmds = server.commands();
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "RETR f.txt"), 0);
    client.Delete("f.txt"); // still in step
    EXPECT_EQ(client.LastReply().code, 250);
}

TEST_F(ClientTest, NamesWithLineBreaksAreRefusedBeforeSending)
{
    ScriptedFtpServer server;
    aimAt(server);
    client.Connect();
    const size_t before = server.commands().size();
    for (const char* name : {"a.txt\r\nDELE b.txt", "a\nb", "a\r"}) {
        EXPECT_EQ(failure([&] { client.Delete(name); }).kind(), FtpError::Kind::Protocol);
        EXPECT_EQ(failure([&] { client.Get(name, (dir / "x").string()); }).kind(), FtpError::Kind::Protocol);
    }
    EXPECT_TRUE(client.Connected());
    client.Delete("ok.txt");
    const Commands cmds = server.commands();
    EXPECT_EQ(Commands(cmds.begin() + static_cast<long>(before), cmds.end()), Commands{"DELE ok.txt"});
}

class ServerClosesControl : public ClientTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ServerClosesControl, CleanErrorNotConnectedNoDescriptorLeft)
{
    const std::string verb = GetParam();
    ScriptedFtpServer server({"CLOSE-AFTER " + verb});
    server.setFile("f.txt", patternBytes(1000));
    writeAll(dir / "up.txt", "upload");
    const int before = openDescriptors();
    for (bool passive : {true, false}) {
        if (verb == (passive ? "PORT" : "PASV"))
            continue; // the other mode's command
        aimAt(server, passive);
        FtpError e = failure([&] {
            client.Connect();
            if (verb == "CWD")
                client.ChangeDir("x");
            else if (verb == "DELE")
                client.Delete("x");
            else if (verb == "RNTO")
                client.Rename("x", "y");
            else if (verb == "RETR" || verb == "PASV" || verb == "PORT")
                client.Get("f.txt", (dir / "f.txt").string());
            else if (verb == "STOR")
                client.Put((dir / "up.txt").string(), "up.txt");
            else if (verb == "LIST")
                client.List();
        });
        EXPECT_EQ(e.kind(), FtpError::Kind::ConnectionClosed) << e.what();
        EXPECT_FALSE(client.Connected());
        EXPECT_EQ(failure([&] { client.Delete("x"); }).kind(), FtpError::Kind::NotConnected);
        ASSERT_TRUE(server.waitIdle(5s));
        EXPECT_EQ(openDescriptors(), before) << (passive ? "passive" : "active");
    }
}

INSTANTIATE_TEST_SUITE_P(AnyStep, ServerClosesControl,
                         ::testing::Values("USER", "PASS", "FEAT", "TYPE", "SYST", "CWD", "DELE", "RNTO", "PASV", "PORT",
                                           "RETR", "STOR", "LIST"),
                         [](const auto& p) { return std::string(p.param); });
