// The window's stop (RunStopped, thrown from a pump turn) leaves every
// session operation at once: it is not turned into "...FALLO" or false, the
// log line stays open, and the server hears nothing after it.
#include "ftp/FtpSession.h"
#include "ftp/RunState.h"
#include "platform/base/Pump.h"
#include "support/files/TempDir.h"
#include "support/ftp/ScriptedFtpServer.h"
#include "support/views/RecordingViews.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <optional>

using namespace pordane;
using namespace pordane::ftp;
using namespace std::chrono_literals;
using pordane::testsupport::ScriptedFtpServer;

namespace {

struct StopCase {
    const char* name;
    std::vector<std::string> script;
    const char* stopAt; // the stop comes once the server has this command
    std::function<void(FtpSession&)> op;
    const char* openLine; // the log line left without a suffix ("" for none)
};

void PrintTo(const StopCase& c, std::ostream* os)
{
    *os << c.name;
}

class SessionStop : public ::testing::TestWithParam<StopCase> {
protected:
    SessionStop() : server(GetParam().script)
    {
        client.Port = server.port();
        session.setLocalDir(dir.path());
        std::ofstream(dir / "test.txt") << std::string(200000, 'x');
        server.setFile("remoto.txt", std::string(100000, 'y'));
    }

    void armStop()
    {
        m_pump.emplace([this] {
            const auto heard = server.commands();
            if (!atStop && std::none_of(heard.begin(), heard.end(), [&](const std::string& c) {
                    return c.rfind(GetParam().stopAt, 0) == 0;
                }))
                return;
            if (!atStop)
                atStop = heard;
            throw RunStopped{};
        });
    }

    pordane::testsupport::TempDir dir;
    ScriptedFtpServer server;
    FTPClient client;
    testsupport::RecordingLog log;
    testsupport::RecordingDialogs dialogs;
    testsupport::RecordingProgress progress;
    SpeedState speed;
    FtpSession session{client, log, dialogs, progress, speed, {}};
    std::optional<std::vector<std::string>> atStop;

private:
    std::optional<platform::ScopedPumpHook> m_pump;
};

TEST_P(SessionStop, LeavesAtOnceAndSendsNothingMore)
{
    const StopCase& c = GetParam();
    if (std::string(c.stopAt) != "PASS") {
        ASSERT_TRUE(session.ConnectFTPServer(2, ScriptedFtpServer::Address, "", "u", "p"));
    }
    armStop();
    EXPECT_THROW(c.op(session), RunStopped);
    ASSERT_TRUE(atStop);
    if (*c.openLine) {
        ASSERT_FALSE(log.lines.empty());
        EXPECT_EQ(log.lines.back(), c.openLine);
    } else {
        EXPECT_TRUE(log.lines.empty());
    }
    // What the window does after the stop: drop the connection without a word.
    client.Abandon();
    EXPECT_TRUE(server.waitIdle(3s));
    EXPECT_EQ(server.commands(), *atStop);
}

const StopCase Cases[] = {
    {"Connect",
     {"DELAY PASS 1000"},
     "PASS",
     [](FtpSession& s) { s.ConnectFTPServer(2, ScriptedFtpServer::Address, "", "u", "p"); },
     ""},
    {"Download",
     {"STALL 1000"},
     "RETR",
     [](FtpSession& s) { s.DownloadArchivo("remoto.txt", "bajado.txt"); },
     "Descargando archivo remoto.txt"},
    {"Upload",
     {"STALL 1000"},
     "STOR",
     [](FtpSession& s) { s.UploadArchivo("test.txt", "subido.txt"); },
     "Subiendo archivo test.txt"},
    {"Rename",
     {"DELAY RNFR 1000"},
     "RNFR",
     [](FtpSession& s) { s.RenameArchivo("a.txt", "a.mdb"); },
     "Renombrando archivo a.txt a .MDB"},
    {"Delete", {"DELAY DELE 1000"}, "DELE", [](FtpSession& s) { s.DeleteArchivo("a.txt"); }, "Borrando archivo a.txt"},
    {"List", {"DELAY LIST 1000"}, "LIST", [](FtpSession& s) { s.ListarDirectorio(); }, ""},
};

INSTANTIATE_TEST_SUITE_P(EachOperation, SessionStop, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<StopCase>& p) { return std::string(p.param.name); });

} // namespace
