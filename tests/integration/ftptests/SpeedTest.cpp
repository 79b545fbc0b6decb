// The speed test against real servers: figures from the test size and the
// measured whole seconds, clean-up, failures that no longer end the run, and
// the live display during a throttled transfer.
#include "ftptests/SpeedRun.h"
#include "support/ftptests/FtpHarness.h"

#include <regex>

using namespace pordane;
using namespace pordane::testsupport;
using namespace pordane::ftptests::speed;
using testsupport::FtpServerKind;
using testsupport::FtpServerOptions;
using testsupport::LocalFtpServer;
namespace image = views::image;
using namespace std::chrono_literals;

namespace {

class Speed : public ::testing::Test, public Harness {
protected:
    void SetUp() override
    {
        if (!serversAvailable())
            GTEST_SKIP() << "pyftpdlib not installed";
        run.SizeTest = ftp::OneMegabyte;
        writeTestFiles();
        run.PaginaActiva = ftp::page::Speed;
    }
    void runTest(const std::vector<ftptests::MarkedLine>& marked) { ftptests::DoTestVelocidad(ctx, view, marked); }
    // Every reading of the clock is `step` later than the one before.
    void steppingClock(std::chrono::milliseconds step)
    {
        auto t = std::make_shared<std::chrono::steady_clock::time_point>();
        speed.now = [t, step] { return *t += step; };
    }
    testsupport::RecordingSpeed view;
};

bool isPlainSpeed(const std::string& s)
{
    return std::regex_match(s, std::regex(R"([0-9]+ KB/s)"));
}

long valueOf(const std::string& label)
{
    std::string digits;
    for (char c : label)
        if (c >= '0' && c <= '9')
            digits += c;
    return std::stol(digits);
}

} // namespace

TEST_F(Speed, OneServerGetsBothFiguresAndCleansUp)
{
    // Outside the speed page the progress events leave the clock alone, so
    // start and end are one 2.5 s step apart: 2 s, 1 MiB / 2 / 1024 = 512 KB/s.
    run.PaginaActiva = ftp::page::Permissions;
    run.FTPMODO = 1; // ignored: the speed test is always passive
    steppingClock(2500ms);
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.30", {{"todo", "pw"}});
    log.lines = {"de antes"};
    runTest({addServer("Rapido", "127.0.2.30", "todo", "pw")});

    ASSERT_EQ(view.list.rowCount(), 1);
    EXPECT_EQ(view.list.rows[0].cells, (std::vector<std::string>{"1", "Finalizado", "512 KB/s", "512 KB/s"}));
    EXPECT_EQ(view.list.rows[0].imageHistory, (std::vector<int>{image::Waiting, image::Running, image::Passed}));
    EXPECT_EQ(view.labelUpload, "512 KB/s");
    EXPECT_EQ(view.labelDownload, "512 KB/s");
    EXPECT_EQ(view.timeUpload, "2 segs.");
    EXPECT_EQ(view.timeDownload, "2 segs.");
    EXPECT_EQ(view.infoSpeed,
              (std::vector<std::string>{"Realizando Test de Subida...", "Realizando Test de Descarga..."}));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Test de Velocidad Realizado"});
    EXPECT_EQ(view.timerStarts, 1);
    EXPECT_FALSE(view.timerEnabled);
    EXPECT_FALSE(view.scopeActive);
    EXPECT_EQ(view.scopeClears, 1);
    EXPECT_TRUE(log.lines.empty()); // cleared, and the transfers write no lines

    EXPECT_TRUE(filesIn(server.homeOf("todo")).empty());
    EXPECT_FALSE(fs::exists(local("speedmeter2.txt")));
    ASSERT_TRUE(fs::exists(local("speedmeter.txt")));
    EXPECT_EQ(fs::file_size(local("speedmeter.txt")), static_cast<std::uintmax_t>(ftp::OneMegabyte));
    size_t pasv = 0, port = 0, quit = 0;
    for (const std::string& c : server.commands()) {
        pasv += c.rfind("PASV", 0) == 0;
        port += c.rfind("PORT", 0) == 0;
        quit += c == "QUIT";
    }
    EXPECT_EQ(pasv, 2u);
    EXPECT_EQ(port, 0u);
    EXPECT_EQ(quit, 1u);
}

TEST_F(Speed, RealClockGivesWholeFigures)
{
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.30", {{"todo", "pw"}});
    runTest({addServer("Rapido", "127.0.2.30", "todo", "pw")});
    EXPECT_TRUE(isPlainSpeed(view.list.cellText(0, CellUpload))) << view.list.cellText(0, CellUpload);
    EXPECT_TRUE(isPlainSpeed(view.list.cellText(0, CellDownload))) << view.list.cellText(0, CellDownload);
    EXPECT_TRUE(std::regex_match(view.timeUpload, std::regex(R"([1-9][0-9]* segs\.)"))) << view.timeUpload;
    EXPECT_EQ(view.list.rows[0].image, image::Passed);
    // The speed page's gauge got the test size for the download.
    EXPECT_EQ(progress.bar2Max.back(), ftp::OneMegabyte);
}

TEST_F(Speed, RefusedUploadFailsTheRowAndTheRunGoesOn)
{
    // Nothing to delete after the refused upload: the row fails, the next
    // server is still measured and the run ends with its message.
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.30", {{"sololee", "pw", "elr"}, {"todo", "pw"}});
    const auto readOnly = addServer("SoloLee", "127.0.2.30", "sololee", "pw");
    const auto allowAll = addServer("Todo", "127.0.2.30", "todo", "pw");
    runTest({readOnly, allowAll});

    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Se ha producido un error durante la subida.",
                                                          "Se ha producido un error durante la descarga.",
                                                          "Test de Velocidad Realizado"}));
    ASSERT_EQ(view.list.rowCount(), 2);
    EXPECT_EQ(view.list.rows[0].image, image::Warning);
    EXPECT_EQ(view.list.cellText(0, CellStatus), "Finalizado");
    // The figures are still worked out from the test size.
    EXPECT_TRUE(isPlainSpeed(view.list.cellText(0, CellUpload)));
    EXPECT_TRUE(isPlainSpeed(view.list.cellText(0, CellDownload)));
    EXPECT_EQ(view.list.rows[1].image, image::Passed);
    EXPECT_EQ(view.list.cellText(1, CellStatus), "Finalizado");
    EXPECT_FALSE(view.timerEnabled);
    EXPECT_FALSE(fs::exists(local("speedmeter2.txt")));
    EXPECT_TRUE(filesIn(server.homeOf("todo")).empty());
}

TEST_F(Speed, UnreachableServerFailsItsRowAndLeavesTheLabelsUnknown)
{
    runTest({addServer("Nadie", "127.0.2.99", "x", "y")});
    EXPECT_EQ(view.list.rows[0].cells, (std::vector<std::string>{"1", "Finalizado", "?", "?"}));
    EXPECT_EQ(view.list.rows[0].image, image::Warning);
    EXPECT_EQ(view.labelUpload, "? KB/s");
    EXPECT_EQ(view.labelDownload, "? KB/s");
    EXPECT_EQ(view.timeUpload, "???");
    EXPECT_EQ(view.timeDownload, "???");
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Test de Velocidad Realizado"});
}

TEST_F(Speed, NothingTicked)
{
    runTest({});
    EXPECT_EQ(view.list.rowCount(), 0);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Test de Velocidad Realizado"});
    EXPECT_EQ(view.timerStarts, 1);
    EXPECT_FALSE(view.timerEnabled);
    EXPECT_FALSE(view.scopeActive);
}

TEST_F(Speed, ThrottledDownloadShowsZeroFirstThenGroupedLiveValues)
{
    // 6 MiB sent at 1,000,000 bytes/s: a few seconds at over 1,000 KB/s.
    run.SizeTest = 6 * ftp::OneMegabyte;
    ftptests::CrearArchivoSpeed(run.SizeTest, dir.path());
    LocalFtpServer server(FtpServerKind::Pyftpdlib, "127.0.2.32", {{"todo", "pw"}}, FtpServerOptions{1000000, 0});
    runTest({addServer("Lento", "127.0.2.32", "todo", "pw")});

    const std::vector<std::string>& live = progress.labelDownload;
    ASSERT_GE(live.size(), 3u);
    EXPECT_EQ(live.front(), "0 KB/s");
    const auto firstNonZero = std::find_if(live.begin(), live.end(),
                                           [](const std::string& s) { return s != "0 KB/s"; });
    ASSERT_NE(firstNonZero, live.end());
    for (auto it = firstNonZero; it != live.end(); ++it) {
        EXPECT_TRUE(std::regex_match(*it, std::regex(R"([1-9][0-9]{0,2}(\.[0-9]{3})* KB/s)"))) << *it;
        EXPECT_NE(*it, "0 KB/s");
    }
    const std::string& last = live.back();
    // Above 1,000 KB/s the live label carries the thousands separator.
    EXPECT_TRUE(std::regex_match(last, std::regex(R"([1-9][0-9]{0,2}\.[0-9]{3} KB/s)"))) << last;

    // Gauge and chart got the same speed: Mbps = KB/s x 8 / 1024.
    ASSERT_EQ(progress.scope.size(), progress.meter.size());
    EXPECT_EQ(progress.scope.back(), valueOf(last));
    EXPECT_NEAR(progress.meter.back(), static_cast<double>(valueOf(last)) * 8 / 1024, 0.01);
    EXPECT_EQ(progress.bar2Max.back(), 6 * ftp::OneMegabyte);

    // The final figure is plain digits.
    const std::string cell = view.list.cellText(0, CellDownload);
    EXPECT_TRUE(isPlainSpeed(cell)) << cell;
    EXPECT_GE(valueOf(cell), 1000);
    EXPECT_EQ(view.list.rows[0].image, image::Passed);
}
