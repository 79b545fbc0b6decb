// The connectivity test against real servers: a healthy server, one that
// refuses uploads, a refused connection, two servers, active mode.
#include "ftptests/ConnectivityRun.h"
#include "platform/base/Pump.h"
#include "support/ftp/ScriptedFtpServer.h"
#include "support/ftptests/FtpHarness.h"

using namespace pordane;
using namespace pordane::testsupport;
using namespace pordane::ftptests::connectivity;
using testsupport::FtpServerKind;
using testsupport::LocalFtpServer;
namespace image = views::image;

namespace {

class Connectivity : public ::testing::Test, public Harness {
protected:
    void SetUp() override
    {
        if (!serversAvailable())
            GTEST_SKIP() << "pyftpdlib not installed";
        writeTestFiles();
        run.PaginaActiva = ftp::page::Connectivity;
    }
    void runTest(const std::vector<ftptests::MarkedLine>& marked) { ftptests::DoTestConectividad(ctx, view, marked); }
    testsupport::RecordingConnectivity view;
};

std::vector<std::string> cycleLabels(int upTo)
{
    std::vector<std::string> v;
    for (int c = 0; c <= upTo; ++c)
        v.push_back(std::to_string(c) + "/20");
    return v;
}

size_t countCommands(const LocalFtpServer& server, const std::string& verb)
{
    size_t n = 0;
    for (const std::string& c : server.commands())
        n += c.rfind(verb, 0) == 0;
    return n;
}

} // namespace

TEST_F(Connectivity, HealthyServerCompletesTwentyCycles)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.20", {{"todo", "pw"}});
    runTest({addServer("Sano", "127.0.2.20", "todo", "pw")});

    ASSERT_EQ(view.list.rowCount(), 1);
    EXPECT_EQ(view.list.rows[0].cells, (std::vector<std::string>{"Finalizado", "20", "20", "1"}));
    EXPECT_EQ(view.list.rows[0].imageHistory, (std::vector<int>{image::Waiting, image::Running, image::Passed}));
    EXPECT_EQ(view.infoCycle, cycleLabels(20));
    EXPECT_EQ(view.cycleOk, "20");
    EXPECT_EQ(view.cycleError, "0");
    EXPECT_EQ(view.busyVisible, (std::vector<bool>{true, false}));
    EXPECT_EQ(view.infoConnectivity, "Test de conectividad Realizado");
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Test de Conectividad Realizado"});

    const std::string R = "22337500000_test.txt"; // one name for all twenty cycles
    ASSERT_EQ(log.lines.size(), 60u);
    for (size_t i = 0; i < 60; i += 3) {
        EXPECT_EQ(log.lines[i], "Subiendo archivo test.txt...OK");
        EXPECT_EQ(log.lines[i + 1], "Descargando archivo " + R + "...OK");
        EXPECT_EQ(log.lines[i + 2], "Borrando archivo " + R + "...OK");
    }
    EXPECT_EQ(countCommands(server, "USER"), 40u); // every cycle logs in twice
    EXPECT_TRUE(filesIn(server.homeOf("todo")).empty());
    EXPECT_FALSE(fs::exists(local("test2.txt")));
    EXPECT_TRUE(client.Connected()); // the last cycle's session stays open
}

TEST_F(Connectivity, ServerRefusingUploadsCountsNoCorrectCycle)
{
    // Each refused download still leaves an empty "test2.txt"; only a complete
    // copy makes a cycle correct.
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.20", {{"sololee", "pw", "elr"}});
    runTest({addServer("SoloLee", "127.0.2.20", "sololee", "pw")});
    EXPECT_EQ(view.list.rows[0].cells, (std::vector<std::string>{"Finalizado", "0", "0", "1"}));
    EXPECT_EQ(view.cycleOk, "0");
    EXPECT_EQ(view.cycleError, "20");
    EXPECT_EQ(view.infoCycle.back(), "20/20");
    EXPECT_EQ(view.list.rows[0].image, image::Passed); // every cycle ran to its end
    EXPECT_EQ(countOf(log.lines, "Subiendo archivo test.txt...FALLO"), 20u);
    EXPECT_FALSE(fs::exists(local("test2.txt")));
}

TEST_F(Connectivity, AnAccountThatMayWriteButNotReadCountsUploadsOnly)
{
    // Asymmetric counts show each counter lands in its own cell.
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.22", {{"buzon", "pw", "elwd"}});
    runTest({addServer("Buzon", "127.0.2.22", "buzon", "pw")});
    EXPECT_EQ(view.list.rows[0].cells, (std::vector<std::string>{"Finalizado", "0", "20", "1"}));
    EXPECT_EQ(view.cycleOk, "0");
    EXPECT_EQ(view.cycleError, "20");
    EXPECT_EQ(countOf(log.lines, "Subiendo archivo test.txt...OK"), 20u);
    EXPECT_EQ(countCommands(server, "RETR"), 20u);
}

TEST_F(Connectivity, ADownloadCutShortButReportedCompleteIsNoCorrectCycle)
{
    // The server stores the upload but serves a shorter copy, with 226.
    testsupport::ScriptedFtpServer server;
    const std::string R = "22337500000_test.txt";
    server.setFile(R, readAll(local("test.txt")).substr(0, 150000));
    client.Port = server.port();
    runTest({addServer("Recorta", testsupport::ScriptedFtpServer::Address, "todo", "pw")});
    EXPECT_EQ(view.list.rows[0].cells, (std::vector<std::string>{"Finalizado", "20", "20", "1"}));
    EXPECT_EQ(view.cycleOk, "0");
    EXPECT_EQ(view.cycleError, "20");
    EXPECT_EQ(countOf(log.lines, "Descargando archivo " + R + "...OK"), 20u);
    EXPECT_EQ(server.stored(R)->size(), 200000u);
}

TEST_F(Connectivity, RefusedConnectionShowsOneMessageAndKeepsEarlierCounters)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.20", {{"todo", "pw"}});
    const auto healthy = addServer("Sano", "127.0.2.20", "todo", "pw");
    const auto nobody = addServer("Nadie", "127.0.2.99", "x", "y");
    runTest({healthy, nobody});

    ASSERT_EQ(view.list.rowCount(), 2);
    EXPECT_EQ(view.list.rows[0].image, image::Passed);
    EXPECT_EQ(view.list.rows[1].cells, (std::vector<std::string>{"Finalizado", "0", "0", "2"}));
    EXPECT_EQ(view.list.rows[1].image, image::Warning);
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{"No se ha podido conectar con el servidor", "Test de Conectividad Realizado"}));
    // The second server restarted the cycle label but ran no cycle: the
    // counters still show the first server's totals.
    std::vector<std::string> expected = cycleLabels(20);
    expected.push_back("0/20");
    EXPECT_EQ(view.infoCycle, expected);
    EXPECT_EQ(view.cycleOk, "20");
    EXPECT_EQ(view.cycleError, "0");
    EXPECT_EQ(log.lines.size(), 60u);
}

TEST_F(Connectivity, ActiveModeOnVsftpd)
{
    if (!LocalFtpServer::available(FtpServerKind::Vsftpd))
        GTEST_SKIP() << "vsftpd not usable";
    LocalFtpServer server(FtpServerKind::Vsftpd, "127.0.2.21", {{"todo", "pw"}});
    run.FTPMODO = 1;
    runTest({addServer("Activo", "127.0.2.21", "todo", "pw")});
    EXPECT_EQ(view.list.rows[0].cells, (std::vector<std::string>{"Finalizado", "20", "20", "1"}));
    EXPECT_EQ(view.cycleOk, "20");
    EXPECT_EQ(countCommands(server, "PORT"), 40u);
    EXPECT_EQ(countCommands(server, "PASV"), 0u);
    EXPECT_TRUE(filesIn(server.homeOf("todo")).empty());
}

TEST_F(Connectivity, NothingTicked)
{
    runTest({});
    EXPECT_EQ(view.list.rowCount(), 0);
    EXPECT_EQ(view.infoConnectivity, "Test de conectividad Realizado");
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Test de Conectividad Realizado"});
}

TEST_F(Connectivity, AServerKeepsTheDataItStartedWithWhileTheTableChanges)
{
    // An import during the run rewrites the table from the window's message
    // turns; the server being tested keeps the host it was started with.
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.60", {{"todo", "pw"}});
    const auto healthy = addServer("Sano", "127.0.2.60", "todo", "pw");
    platform::ScopedPumpHook hook([this] {
        if (log.lines.size() >= 3)
            table.entry(1).Host = "127.0.2.99";
    });
    runTest({healthy});

    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Test de Conectividad Realizado"});
    EXPECT_EQ(view.list.rows[0].cells, (std::vector<std::string>{"Finalizado", "20", "20", "1"}));
    EXPECT_EQ(view.cycleOk, "20");
}
