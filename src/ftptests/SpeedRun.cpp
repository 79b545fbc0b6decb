#include "ftptests/SpeedRun.h"

#include "ftp/SpeedState.h"
#include "ftptests/TestFiles.h"
#include "views/TaskListView.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace pordane::ftptests {

using namespace speed;
namespace image = views::image;

namespace {

class ScopeAndTimerOn {
public:
    explicit ScopeAndTimerOn(views::SpeedView& view) : m_view(view)
    {
        m_view.setScopeActive(true);
        m_view.setTimer1Enabled(true);
    }
    ~ScopeAndTimerOn()
    {
        m_view.setScopeActive(false);
        m_view.setTimer1Enabled(false);
    }
    ScopeAndTimerOn(const ScopeAndTimerOn&) = delete;
    ScopeAndTimerOn& operator=(const ScopeAndTimerOn&) = delete;

private:
    views::SpeedView& m_view;
};

// Times one finished transfer and works out its speed from the test size.
void measure(ftp::SpeedState& speed, std::int32_t SizeTest)
{
    speed.HoraFin = speed.now();
    speed.SegundosTransfer = ftp::finalSegundosTransfer(speed.HoraInicio, speed.HoraFin);
    speed.VelocidadKBs = ftp::finalVelocidadKBs(SizeTest, speed.SegundosTransfer);
}

} // namespace

void DoTestVelocidad(FtpTestContext& ctx, views::SpeedView& view, const std::vector<MarkedLine>& marked)
{
    const ScopeAndTimerOn running(view);
    view.showPage();
    views::ResultListView& list = view.ListaServidoresSpeed();
    list.clear();
    for (const MarkedLine& line : marked)
        list.addRow(line.text, {std::to_string(line.position + 1), "", "?", "?"}, image::Waiting);
    ctx.run.Tarea = 0;
    ctx.session.memoLog().clear();

    runRows(ctx, list, CellStatus, CellNum, [&](int r, const catalogue::TSERVIDOR& s) {
        return TestFTPVelocidad(ctx, view, r, s.Host, s.Remoto, s.User, s.Pass);
    });
    // The chart and the timer stop before the closing message.
    view.setScopeActive(false);
    view.setTimer1Enabled(false);
    ctx.dialogs.showMessage("Test de Velocidad Realizado");
}

bool TestFTPVelocidad(FtpTestContext& ctx, views::SpeedView& view, int numserv, const std::string& host,
                      const std::string& remoto, const std::string& username, const std::string& password)
{
    ftp::FtpSession& session = ctx.session;
    ftp::FTPClient& client = session.client();
    ftp::SpeedState& speed = session.speed();
    views::ResultListView& list = view.ListaServidoresSpeed();
    const std::string R = newPrefix(ctx) + RemoteSuffixSpeed;

    speed.VelocidadKBs = 0;
    view.clearScope();
    speed.SegundosTransfer = 0;
    view.setLabelInfoSpeed("Realizando Test de Subida...");
    view.setLabelTimeDownload("???");
    view.setLabelTimeUpload("???");
    view.setLabelDownload("? KB/s");
    view.setLabelUpload("? KB/s");

    bool connected = false;
    try {
        connected = session.ConnectFTPServer(PassiveMode, host, remoto, username, password);
    } catch (const std::exception&) {
        connected = false;
    }
    if (!connected)
        return false;

    bool outcome = true;

    speed.SentidoTransfer = ftp::DirectionUpload;
    speed.HoraInicio = speed.now();
    try {
        client.Put(session.localPath(SpeedName).string(), R);
    } catch (const std::exception&) {
        ctx.dialogs.showMessage("Se ha producido un error durante la subida.");
        outcome = false;
    }
    measure(speed, ctx.run.SizeTest);
    const std::string upload = ftp::speedText(speed.VelocidadKBs);
    view.setLabelUpload(upload);
    view.setLabelTimeUpload(ftp::secondsText(speed.SegundosTransfer));
    list.setCell(numserv, CellUpload, upload);

    speed.SentidoTransfer = ftp::DirectionDownload;
    view.setLabelInfoSpeed("Realizando Test de Descarga...");
    speed.HoraInicio = speed.now();
    try {
        client.Get(R, session.localPath(DownloadNameSpeed).string());
    } catch (const std::exception&) {
        ctx.dialogs.showMessage("Se ha producido un error durante la descarga.");
        outcome = false;
    }
    measure(speed, ctx.run.SizeTest);
    const std::string download = ftp::speedText(speed.VelocidadKBs);
    view.setLabelDownload(download);
    view.setLabelTimeDownload(ftp::secondsText(speed.SegundosTransfer));
    list.setCell(numserv, CellDownload, download);

    // A failed upload leaves nothing to delete, and the connection may be
    // gone: the server's row fails, the run goes on with the next one.
    try {
        client.Delete(R);
    } catch (const std::exception&) {
        outcome = false;
    }
    try {
        session.DisconnectFTPServer();
    } catch (const std::exception&) {
        outcome = false;
    }
    std::error_code ignored;
    std::filesystem::remove(session.localPath(DownloadNameSpeed), ignored);
    return outcome;
}

} // namespace pordane::ftptests
