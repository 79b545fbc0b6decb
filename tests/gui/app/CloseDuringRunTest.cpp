// Closing the window in the middle of an FTP test or an import: the run stops
// at once, the window goes within a second, and the server hears nothing
// after the close began. The scripted server keeps each test waiting at a
// different layer (a transfer, the login, a plain command, the import's
// folder change) and records every command.
#include "platform/WinePrefix.h"
#include "platform/base/Pump.h"
#include "support/ftp/ScriptedFtpServer.h"
#include "support/gui/WorkDirFixture.h"
#include "support/import/ImportWorld.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace pordane::testsupport {
namespace {

using namespace std::chrono_literals;
using testsupport::ScriptedFtpServer;

class CloseDuringRun : public WorkDirFixture {
protected:
    // The program's own pump hook, as main() installs it.
    void TearDown() override
    {
        m_poll.stop();
        WorkDirFixture::TearDown();
    }

    // Clicks "Salir" once the server has received `verb`, from a timer the
    // run's own pump turns; remembers what the server had heard by then.
    void closeOnceReceived(const std::string& verb)
    {
        m_poll.setInterval(20);
        QObject::connect(&m_poll, &QTimer::timeout, [this, verb] {
            const auto heard = server->commands();
            if (std::none_of(heard.begin(), heard.end(), [&](const std::string& c) { return c.rfind(verb, 0) == 0; }))
                return;
            m_poll.stop();
            atClose = heard;
            closeClock.start();
            click("Button2"); // "Salir"
        });
        QTimer::singleShot(0, &m_poll, qOverload<>(&QTimer::start));
    }

    // After the handler returned: the window went within a second of the
    // close, and the server heard nothing more, its session dropped.
    void expectStoppedAtOnce()
    {
        m_poll.stop();
        ASSERT_TRUE(atClose) << "the run ended before the close";
        EXPECT_LT(closeClock.elapsed(), 1000);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->currentOperation(), app::Operation::None);
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
        EXPECT_TRUE(server->waitIdle(5s)) << "the connection was left open";
        EXPECT_EQ(server->commands(), *atClose);
    }

    std::optional<ScriptedFtpServer> server;
    std::optional<std::vector<std::string>> atClose;
    QElapsedTimer closeClock;

private:
    QTimer m_poll;
    platform::ScopedPumpHook m_pump{[] { QCoreApplication::processEvents(); }};
};

struct FtpCase {
    const char* name;
    int nav; // "Test FTP" button: 0 Speed, 1 Permissions, 2 Connectivity
    std::vector<std::string> script;
    const char* closeAt;
};

void PrintTo(const FtpCase& c, std::ostream* os)
{
    *os << c.name;
}

class CloseDuringFtpTest : public CloseDuringRun, public ::testing::WithParamInterface<FtpCase> {};

TEST_P(CloseDuringFtpTest, StopsTheTestWithNoCommandAfterTheClose)
{
    const FtpCase& c = GetParam();
    server.emplace(c.script);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->FTPClient().Port = server->port();
    clickNav(2, 1);
    typePersonal(QStringLiteral("Guion"), QString::fromLatin1(ScriptedFtpServer::Address), QString(),
                 QStringLiteral("u"), QStringLiteral("p"));
    click("BotonAplicarServidores");
    setTick(3, true);
    find<QSlider>("TrackBarSizeTest")->setValue(1);

    closeOnceReceived(c.closeAt);
    clickNav(0, c.nav);
    click("BotonIniciarTest");
    expectStoppedAtOnce();
    EXPECT_FALSE(exists("test.txt")) << "FormClose ran";
}

const FtpCase FtpCases[] = {
    // An upload that stops moving: the stop comes out of the transfer.
    {"PermisosDuringAnUpload", 1, {"STALL 1000"}, "STOR"},
    // The login reply is late: the stop comes out of the connect.
    {"VelocidadDuringTheLogin", 0, {"DELAY PASS 2500"}, "PASS"},
    // A delete is answered late: the stop comes out of a plain command.
    {"ConectividadDuringADelete", 2, {"DELAY DELE 2500"}, "DELE"},
};

INSTANTIATE_TEST_SUITE_P(EachTest, CloseDuringFtpTest, ::testing::ValuesIn(FtpCases),
                         [](const ::testing::TestParamInfo<FtpCase>& p) { return std::string(p.param.name); });

class CloseDuringImport : public CloseDuringRun {
protected:
    void SetUp() override
    {
        CloseDuringRun::SetUp();
        // The maker's server answers the folder change late; without the
        // stop the import would wait for it and then fetch the second row.
        server.emplace(std::vector<std::string>{"DELAY CWD 2500"});
        app::StartupHooks hooks;
        catalogue::PortalImport::Options o;
        o.ConnectionsHost = ScriptedFtpServer::Address;
        o.ConnectionsPort = server->port();
        o.openHost = [this] { return std::make_unique<platform::WinePrefix>(talvane.prefix().path()); };
        hooks.importOptions = o;
        form = std::make_unique<app::TMainForm>(dialogs, hooks);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    pordane::testsupport::Talvane talvane;
};

TEST_F(CloseDuringImport, StopsTheImportWithNothingWrittenOrSentAfterTheClose)
{
    talvane.install({pordane::testsupport::Row{"Fotocasa", "dbhost", "", "", "", 15},
                     pordane::testsupport::Row{"Idealista", "dbhost", "", "", "", 16}});
    clickNav(2, 1);
    closeOnceReceived("CWD");
    click("BotonObtenerEnlaces");
    expectStoppedAtOnce();
    EXPECT_EQ(
        std::count_if(atClose->begin(), atClose->end(), [](const std::string& c) { return c == "USER estructessis"; }),
        1);
    // Neither the counter, nor the list, nor the connection file.
    EXPECT_EQ(find<QLabel>("LabelNumEnlaces")->text().toStdString(), "Obteniendo...");
    EXPECT_EQ(checkListLines().size(), 3u);
    EXPECT_FALSE(exists("1000.ini"));
}

} // namespace
} // namespace pordane::testsupport
