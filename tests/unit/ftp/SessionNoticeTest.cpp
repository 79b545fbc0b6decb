// What the client notices about a server (here a PASV reply naming another
// host, which is not followed) reaches the log once per session, after the
// step's own line, never inside it.
#include "ftp/FtpSession.h"
#include "support/files/TempDir.h"
#include "support/ftp/ScriptedFtpServer.h"
#include "support/views/RecordingViews.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace pordane;
using namespace pordane::ftp;
using pordane::testsupport::ScriptedFtpServer;

TEST(SessionNotice, AForeignDataAddressIsLoggedOnceAfterTheStepThatMetIt)
{
    ScriptedFtpServer server({"PASV 10.1.2.3"});
    server.setFile("remoto.txt", std::string(3000, 'y'));
    pordane::testsupport::TempDir dir;
    std::ofstream(dir / "test.txt") << std::string(5000, 'x');
    FTPClient client;
    client.Port = server.port();
    testsupport::RecordingLog log;
    testsupport::RecordingDialogs dialogs;
    testsupport::RecordingProgress progress;
    SpeedState speed;
    FtpSession session{client, log, dialogs, progress, speed, {}};
    session.setLocalDir(dir.path());

    ASSERT_TRUE(session.ConnectFTPServer(2, ScriptedFtpServer::Address, "", "u", "p"));
    EXPECT_TRUE(session.UploadArchivo("test.txt", "subido.txt"));
    EXPECT_TRUE(session.DownloadArchivo("remoto.txt", "bajado.txt"));
    EXPECT_TRUE(session.ListarDirectorio());
    session.DisconnectFTPServer();

    const std::vector<std::string> expected = {
        "Subiendo archivo test.txt...OK",
        "El servidor anuncia la dirección privada 10.1.2.3 para los datos; se usa la del servidor, 127.0.0.1",
        "Descargando archivo remoto.txt...OK"};
    EXPECT_EQ(log.lines, expected);
    EXPECT_EQ(server.stored("subido.txt"), std::string(5000, 'x'));
}
