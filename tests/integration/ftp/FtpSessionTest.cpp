// The session operations against a real pyftpdlib server: log lines, results,
// the data-connection mode, the remote folder, Cancel and the gauges.
#include "platform/base/Pump.h"
#include "support/ftptests/FtpHarness.h"

using namespace pordane;
using namespace pordane::testsupport;
using testsupport::FtpAccount;
using testsupport::FtpServerKind;
using testsupport::FtpServerOptions;
using testsupport::LocalFtpServer;

namespace {

class Session : public ::testing::Test, public Harness {
protected:
    void SetUp() override
    {
        if (!serversAvailable())
            GTEST_SKIP() << "pyftpdlib not installed";
        writeTestFiles();
    }
    std::string home(const LocalFtpServer& s) const { return s.homeOf("todo"); }
};

std::vector<std::string> commandsStartingWith(const LocalFtpServer& server, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& c : server.commands())
        if (c.rfind(prefix, 0) == 0)
            out.push_back(c);
    return out;
}

} // namespace

TEST_F(Session, FileOperationsLogOneLineEachAndReportTheirOutcome)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.1", {{"todo", "pw"}});
    ASSERT_TRUE(session.ConnectFTPServer(2, "127.0.2.1", "", "todo", "pw"));
    EXPECT_TRUE(log.lines.empty()); // connecting logs nothing itself

    EXPECT_TRUE(session.UploadArchivo("test.txt", "a.txt"));
    EXPECT_TRUE(fs::exists(fs::path(home(server)) / "a.txt"));
    EXPECT_TRUE(session.DownloadArchivo("a.txt", "b.txt"));
    EXPECT_EQ(readAll(local("b.txt")), readAll(local("test.txt")));
    EXPECT_TRUE(session.RenameArchivo("a.txt", "a2.mdb"));
    EXPECT_EQ(filesIn(home(server)), std::vector<std::string>{"a2.mdb"});
    EXPECT_TRUE(session.DeleteArchivo("a2.mdb"));
    EXPECT_TRUE(filesIn(home(server)).empty());

    EXPECT_FALSE(session.DeleteArchivo("a2.mdb"));
    EXPECT_FALSE(session.RenameArchivo("nada.txt", "otro.txt"));
    EXPECT_FALSE(session.DownloadArchivo("nada.txt", "c.txt"));
    // A failed download still leaves the emptied local target behind.
    ASSERT_TRUE(fs::exists(local("c.txt")));
    EXPECT_EQ(fs::file_size(local("c.txt")), 0u);

    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "Subiendo archivo test.txt...OK",
                             "Descargando archivo a.txt...OK",
                             "Renombrando archivo a.txt a .MDB...OK",
                             "Borrando archivo a2.mdb...OK",
                             "Borrando archivo a2.mdb...FALLO",
                             "Renombrando archivo nada.txt a .MDB...FALLO",
                             "Descargando archivo nada.txt...FALLO",
                         }));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Session, UploadOfAMissingLocalFileSendsNothing)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.1", {{"todo", "pw"}});
    ASSERT_TRUE(session.ConnectFTPServer(2, "127.0.2.1", "", "todo", "pw"));
    fs::remove(local("test.txt"));
    EXPECT_FALSE(session.UploadArchivo("test.txt", "r_test.txt"));
    EXPECT_EQ(log.lines, std::vector<std::string>{"Subiendo archivo test.txt...FALLO"});
    EXPECT_TRUE(commandsStartingWith(server, "STOR").empty());
    EXPECT_TRUE(commandsStartingWith(server, "PASV").empty());
    EXPECT_TRUE(filesIn(home(server)).empty());
    // The session is still usable.
    EXPECT_TRUE(session.UploadArchivo("test.mdb", "r_test.mdb"));
}

TEST_F(Session, ListingSucceedsOnAnEmptyFolderAndWritesNoLine)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.1", {{"todo", "pw"}});
    ASSERT_TRUE(session.ConnectFTPServer(2, "127.0.2.1", "", "todo", "pw"));
    EXPECT_TRUE(session.ListarDirectorio());
    EXPECT_TRUE(client.ListResult().empty());
    server.putFile("todo", "uno.txt", "1");
    EXPECT_TRUE(session.ListarDirectorio());
    EXPECT_EQ(client.ListResult().size(), 1u);
    EXPECT_TRUE(log.lines.empty());
    session.DisconnectFTPServer();
    EXPECT_FALSE(session.ListarDirectorio()); // no session
}

TEST_F(Session, WrongPasswordOrNoServerFailsSilently)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.1", {{"todo", "pw"}});
    EXPECT_FALSE(session.ConnectFTPServer(2, "127.0.2.1", "", "todo", "mala"));
    EXPECT_FALSE(client.Connected());
    EXPECT_FALSE(session.ConnectFTPServer(2, "127.0.2.99", "", "todo", "pw"));       // nothing listens there
    EXPECT_FALSE(session.ConnectFTPServer(2, "servidor.invalid", "", "todo", "pw")); // name not resolved
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(log.lines.empty());
    // The session layer recovers: the next connect works.
    EXPECT_TRUE(session.ConnectFTPServer(2, "127.0.2.1", "", "todo", "pw"));
}

TEST_F(Session, MissingRemoteFolderShowsOneMessageAndStaysInTheLoginFolder)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.1", {{"todo", "pw"}});
    fs::create_directory(fs::path(home(server)) / "sub");
    ASSERT_TRUE(session.ConnectFTPServer(2, "127.0.2.1", "noexiste", "todo", "pw"));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"No se ha encontrado el directorio remoto"});
    ASSERT_TRUE(session.UploadArchivo("test.txt", "x.txt"));
    EXPECT_TRUE(fs::exists(fs::path(home(server)) / "x.txt"));

    dialogs.messages.clear();
    ASSERT_TRUE(session.ConnectFTPServer(2, "127.0.2.1", "sub", "todo", "pw"));
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_TRUE(session.UploadArchivo("test.txt", "y.txt"));
    EXPECT_TRUE(fs::exists(fs::path(home(server)) / "sub" / "y.txt"));
}

TEST_F(Session, ModeOneUsesPortEveryOtherValuePasv)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.2", {{"todo", "pw"}});
    for (std::uint8_t amodo : {1, 0, 2, 7, 1}) {
        const size_t ports = commandsStartingWith(server, "PORT").size();
        const size_t pasvs = commandsStartingWith(server, "PASV").size();
        ASSERT_TRUE(session.ConnectFTPServer(amodo, "127.0.2.2", "", "todo", "pw"));
        const std::string name = "m" + std::to_string(amodo) + ".txt";
        ASSERT_TRUE(session.UploadArchivo("test.txt", name)) << int(amodo);
        ASSERT_TRUE(session.DownloadArchivo(name, "back.txt")) << int(amodo);
        EXPECT_EQ(commandsStartingWith(server, "PORT").size(), ports + (amodo == 1 ? 2 : 0)) << int(amodo);
        EXPECT_EQ(commandsStartingWith(server, "PASV").size(), pasvs + (amodo == 1 ? 0 : 2)) << int(amodo);
    }
}

TEST_F(Session, ConnectClosesTheEarlierSessionFirst)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.1", {{"todo", "pw"}});
    ASSERT_TRUE(session.ConnectFTPServer(2, "127.0.2.1", "", "todo", "pw"));
    ASSERT_TRUE(session.ConnectFTPServer(2, "127.0.2.1", "", "todo", "pw"));
    EXPECT_EQ(commandsStartingWith(server, "QUIT").size(), 1u);
    EXPECT_EQ(commandsStartingWith(server, "USER").size(), 2u);
    session.DisconnectFTPServer();
    EXPECT_FALSE(client.Connected());
}

TEST_F(Session, PermissionsGaugeMovesOnUploadsOnly)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.1", {{"todo", "pw"}});
    run.PaginaActiva = ftp::page::Permissions;
    ASSERT_TRUE(session.ConnectFTPServer(2, "127.0.2.1", "", "todo", "pw"));
    ASSERT_TRUE(session.UploadArchivo("test.txt", "g.txt"));
    EXPECT_EQ(progress.bar1Max.back(), 200000);
    EXPECT_EQ(testsupport::RecordingProgress::shown(progress.bar1Max, progress.bar1Progress), 200000);
    EXPECT_EQ(progress.cancelEnabled, (std::vector<bool>{true, false}));

    ASSERT_TRUE(session.DownloadArchivo("g.txt", "g2.txt"));
    EXPECT_EQ(progress.bar1Max.back(), 0);
    EXPECT_GT(progress.bar1Progress.back(), 0); // bytes moved, but against a maximum of 0
    EXPECT_EQ(testsupport::RecordingProgress::shown(progress.bar1Max, progress.bar1Progress), 0);
    EXPECT_TRUE(progress.bar2Max.empty());
}

TEST_F(Session, SpeedPageDownloadTakesSizeTestAsItsMaximum)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.1", {{"todo", "pw"}});
    run.PaginaActiva = ftp::page::Speed;
    run.SizeTest = 5 * ftp::OneMegabyte;
    server.putFile("todo", "s.txt", std::string(100000, '1'));
    ASSERT_TRUE(session.ConnectFTPServer(2, "127.0.2.1", "", "todo", "pw"));
    speed.HoraInicio = speed.now();
    speed.SentidoTransfer = ftp::DirectionDownload;
    ASSERT_TRUE(session.DownloadArchivo("s.txt", "s2.txt"));
    ASSERT_GE(progress.bar2Max.size(), 2u);
    EXPECT_EQ(progress.bar2Max.back(), 5 * ftp::OneMegabyte);
    EXPECT_EQ(progress.bar2Progress.back(), 100000);
    EXPECT_FALSE(progress.labelDownload.empty());
    EXPECT_TRUE(progress.cancelEnabled.empty());
}

TEST_F(Session, CancelDuringALongUploadAbortsItAndTheSessionGoesOn)
{
    // 16 MiB at 512 KiB/s would take half a minute; Cancel lands after the
    // first block, through the window's turn the client gives while it waits.
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.3", {{"todo", "pw"}}, FtpServerOptions{0, 512 * 1024});
    ftptests::CrearArchivoSpeed(16 * ftp::OneMegabyte, dir.path());
    run.PaginaActiva = ftp::page::Permissions;
    ASSERT_TRUE(session.ConnectFTPServer(2, "127.0.2.3", "", "todo", "pw"));

    int clicks = 0;
    platform::ScopedPumpHook hook([&] {
        if (clicks == 0 && progress.cancelIsEnabled() && !progress.bar1Progress.empty()
            && progress.bar1Progress.back() > 0) {
            ++clicks;
            session.BotonCancelarFTPClick();
        }
    });
    const auto started = std::chrono::steady_clock::now();
    const bool ok = session.UploadArchivo("speedmeter.txt", "largo.txt");
    const auto took = std::chrono::steady_clock::now() - started;

    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(ok);
    EXPECT_EQ(log.lines, std::vector<std::string>{"Subiendo archivo speedmeter.txt...FALLO"});
    EXPECT_LT(took, std::chrono::seconds(20)); // well before the throttled transfer could end
    EXPECT_EQ(commandsStartingWith(server, "ABOR").size(), 1u);
    EXPECT_FALSE(progress.cancelIsEnabled());

    // The next operation works on the same session.
    EXPECT_TRUE(session.UploadArchivo("test.mdb", "despues.mdb"));
    EXPECT_TRUE(fs::exists(fs::path(home(server)) / "despues.mdb"));
}
