// The session's progress handlers: which gauge the events drive (PaginaActiva,
// read at every event), the live speed display with a pinned clock, and the
// message-loop turns they give.
#include "ftp/FtpSession.h"
#include "ftp/RunState.h"
#include "platform/base/Pump.h"
#include "support/views/RecordingViews.h"

#include <gtest/gtest.h>

#include <limits>

using namespace pordane;
using namespace pordane::ftp;
using namespace std::chrono_literals;

namespace {

class SessionProgress : public ::testing::Test {
protected:
    SessionProgress()
    {
        speed.now = [this] { return clock; };
    }

    // Starts a timed speed-page transfer at the pinned clock.
    void startSpeedTransfer(std::uint8_t direction, std::int64_t announced)
    {
        run.PaginaActiva = page::Speed;
        speed.SentidoTransfer = direction;
        speed.HoraInicio = clock;
        session.FTPClientWorkBegin(direction == DirectionDownload ? WorkMode::wmRead : WorkMode::wmWrite, announced);
    }
    void advance(std::chrono::milliseconds d) { clock += d; }

    std::chrono::steady_clock::time_point clock = std::chrono::steady_clock::time_point{} + 5000h;
    RunState run;
    FTPClient client;
    testsupport::RecordingLog log;
    testsupport::RecordingDialogs dialogs;
    testsupport::RecordingProgress progress;
    SpeedState speed;
    FtpSession session{client,   log,   dialogs,
                       progress, speed, {[this] { return run.PaginaActiva; }, [this] { return run.SizeTest; }}};
    int pumps = 0;

private:
    platform::ScopedPumpHook m_pump{[this] { ++pumps; }};
};

} // namespace

TEST_F(SessionProgress, PermissionsPageUploadFillsProgressBar1AndTogglesCancel)
{
    run.PaginaActiva = page::Permissions;
    session.FTPClientWorkBegin(WorkMode::wmWrite, 200000);
    EXPECT_TRUE(progress.cancelIsEnabled());
    EXPECT_EQ(progress.bar1Max.back(), 200000);
    EXPECT_EQ(progress.bar1Progress.back(), 0);
    session.FTPClientWork(WorkMode::wmWrite, 65536);
    session.FTPClientWork(WorkMode::wmWrite, 200000);
    EXPECT_EQ(testsupport::RecordingProgress::shown(progress.bar1Max, progress.bar1Progress), 200000);
    EXPECT_EQ(progress.bar1Repaints, 2);
    session.FTPClientWorkEnd(WorkMode::wmWrite);
    EXPECT_FALSE(progress.cancelIsEnabled());
    EXPECT_TRUE(progress.bar2Max.empty());
    EXPECT_TRUE(progress.scope.empty());
}

TEST_F(SessionProgress, PermissionsPageDownloadLeavesProgressBar1AtZero)
{
    run.PaginaActiva = page::Permissions;
    session.FTPClientWorkBegin(WorkMode::wmRead, 0);
    session.FTPClientWork(WorkMode::wmRead, 100000);
    session.FTPClientWork(WorkMode::wmRead, 200000);
    EXPECT_EQ(progress.bar1Max.back(), 0);
    EXPECT_EQ(testsupport::RecordingProgress::shown(progress.bar1Max, progress.bar1Progress), 0);
}

TEST_F(SessionProgress, AnnouncedTotalReplacesTheMaximum)
{
    run.PaginaActiva = page::Permissions;
    session.FTPClientWorkBegin(WorkMode::wmRead, 0);
    session.FTPWorkProgress(50, 100);
    EXPECT_EQ(progress.bar1Max.back(), 100);
    EXPECT_EQ(testsupport::RecordingProgress::shown(progress.bar1Max, progress.bar1Progress), 50);
}

TEST_F(SessionProgress, CountsBeyondThirtyTwoBitsPinTheGauge)
{
    run.PaginaActiva = page::Permissions;
    session.FTPClientWorkBegin(WorkMode::wmWrite, 5'000'000'000);
    EXPECT_EQ(progress.bar1Max.back(), std::numeric_limits<std::int32_t>::max());
}

TEST_F(SessionProgress, SpeedPageDownloadTakesSizeTestAsMaximum)
{
    run.SizeTest = 7 * OneMegabyte;
    startSpeedTransfer(DirectionDownload, 0);
    ASSERT_FALSE(progress.bar2Max.empty());
    EXPECT_EQ(progress.bar2Max.back(), 7 * OneMegabyte);
    EXPECT_EQ(progress.bar2Progress.back(), 0);
    EXPECT_TRUE(progress.cancelEnabled.empty()); // only the permissions page can cancel

    progress.bar2Max.clear();
    startSpeedTransfer(DirectionUpload, 1234);
    EXPECT_EQ(progress.bar2Max, std::vector<std::int32_t>{1234});
}

TEST_F(SessionProgress, LiveSpeedShowsZeroForTwoSecondsThenGroupedValues)
{
    run.SizeTest = 20 * OneMegabyte;
    startSpeedTransfer(DirectionDownload, 0);
    advance(500ms);
    session.FTPClientWork(WorkMode::wmRead, 1'000'000);
    advance(1499ms); // 1.999 s
    session.FTPClientWork(WorkMode::wmRead, 4'000'000);
    EXPECT_EQ(progress.labelDownload, (std::vector<std::string>{"0 KB/s", "0 KB/s"}));
    EXPECT_EQ(progress.meter, (std::vector<double>{0, 0}));
    EXPECT_EQ(progress.scope, (std::vector<std::int64_t>{0, 0}));
    EXPECT_TRUE(progress.labelUpload.empty());

    advance(1ms); // 2.000 s: 5,056,000 bytes / 2 / 1024 = 2468.75 KB/s
    session.FTPClientWork(WorkMode::wmRead, 5'056'000);
    EXPECT_EQ(progress.labelDownload.back(), "2.469 KB/s");
    EXPECT_DOUBLE_EQ(progress.meter.back(), 2468.75 * 8 / 1024);
    EXPECT_EQ(progress.scope.back(), 2469);
    EXPECT_EQ(speed.SegundosTransfer, 2);
    EXPECT_EQ(speed.HoraProgreso, clock);
    EXPECT_EQ(testsupport::RecordingProgress::shown(progress.bar2Max, progress.bar2Progress), 5'056'000);
}

TEST_F(SessionProgress, UploadDirectionWritesTheUploadLabel)
{
    startSpeedTransfer(DirectionUpload, 30 * 1024 * 1024);
    advance(3s);
    session.FTPClientWork(WorkMode::wmWrite, 3 * 1024 * 1234);
    EXPECT_EQ(progress.labelUpload, std::vector<std::string>{"1.234 KB/s"});
    EXPECT_TRUE(progress.labelDownload.empty());
}

TEST_F(SessionProgress, TenThousandKilobytesPerSecondReachesGaugeAndChartUnclamped)
{
    // The gauge shows 80 past its 50 Mbps scale and the chart pins 10240 at
    // 2000 itself: this side sends the values unchanged.
    startSpeedTransfer(DirectionDownload, 0);
    advance(2s);
    session.FTPClientWork(WorkMode::wmRead, 2 * 10240 * 1024);
    EXPECT_DOUBLE_EQ(progress.meter.back(), 80.0);
    EXPECT_EQ(progress.scope.back(), 10240);
    EXPECT_EQ(progress.labelDownload.back(), "10.240 KB/s");
}

TEST_F(SessionProgress, SwitchingPagesMidTransferRedirectsTheEvents)
{
    run.PaginaActiva = page::Permissions;
    session.FTPClientWorkBegin(WorkMode::wmWrite, 1000);
    run.PaginaActiva = page::Connectivity; // the user clicked another page
    session.FTPClientWork(WorkMode::wmWrite, 500);
    session.FTPClientWorkEnd(WorkMode::wmWrite);
    EXPECT_EQ(progress.bar1Progress, std::vector<std::int32_t>{0});
    EXPECT_TRUE(progress.cancelIsEnabled()); // its end no longer reaches the button
    EXPECT_TRUE(progress.bar2Progress.empty());

    speed.HoraInicio = clock;
    run.PaginaActiva = page::Speed;
    session.FTPClientWork(WorkMode::wmWrite, 700);
    EXPECT_EQ(progress.bar2Progress, std::vector<std::int32_t>{700});
}

TEST_F(SessionProgress, StatusAndEveryProgressEventGiveTheWindowATurn)
{
    session.FTPClientStatus(FtpStatus::Connecting, "x");
    EXPECT_EQ(pumps, 1);
    for (std::int32_t page : {page::None, page::Permissions, page::Speed, page::Connectivity}) {
        run.PaginaActiva = page;
        const int before = pumps;
        session.FTPWorkProgress(10, 0);
        EXPECT_EQ(pumps, before + 1) << page;
    }
}

TEST_F(SessionProgress, OperationsWithoutASessionFailAndLogFallo)
{
    EXPECT_FALSE(session.DeleteArchivo("a.txt"));
    EXPECT_FALSE(session.RenameArchivo("a.txt", "b.mdb"));
    EXPECT_FALSE(session.ListarDirectorio());
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"Borrando archivo a.txt...FALLO", "Renombrando archivo a.txt a .MDB...FALLO"}));
    EXPECT_TRUE(dialogs.messages.empty());
}
