#include "ftptests/TestVelocidad.h"

#include "ftp/SpeedState.h"
#include "ftptests/TestFiles.h"
#include "views/TaskListView.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace pordane::ftptests {

using namespace velocidad;
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
void medir(ftp::SpeedState& speed, std::int32_t SizeTest)
{
    speed.HoraFin = speed.now();
    speed.SegundosTransfer = ftp::segundosTransferFinal(speed.HoraInicio, speed.HoraFin);
    speed.VelocidadKBs = ftp::velocidadFinalKBs(SizeTest, speed.SegundosTransfer);
}

} // namespace

void DoTestVelocidad(FtpTestContext& ctx, views::SpeedView& view,
                     const std::vector<LineaMarcada>& marcadas)
{
    const ScopeAndTimerOn running(view);
    view.showPage();
    views::ResultListView& lista = view.ListaServidoresSpeed();
    lista.clear();
    for (const LineaMarcada& linea : marcadas)
        lista.addRow(linea.texto, {std::to_string(linea.posicion + 1), "", "?", "?"}, image::Waiting);
    ctx.run.Tarea = 0;
    ctx.session.memoLog().clear();

    probarFilas(ctx, lista, CeldaEstado, CeldaNum, [&](int r, const catalogue::TSERVIDOR& s) {
        return TestFTPVelocidad(ctx, view, r, s.Host, s.Remoto, s.User, s.Pass);
    });
    // The chart and the timer stop before the closing message.
    view.setScopeActive(false);
    view.setTimer1Enabled(false);
    ctx.dialogs.showMessage("Test de Velocidad Realizado");
}

bool TestFTPVelocidad(FtpTestContext& ctx, views::SpeedView& view, int numserv,
                      const std::string& host, const std::string& remoto,
                      const std::string& username, const std::string& password)
{
    ftp::FtpSession& session = ctx.session;
    ftp::FTPClient& client = session.client();
    ftp::SpeedState& speed = session.speed();
    views::ResultListView& lista = view.ListaServidoresSpeed();
    const std::string R = nuevoPrefijo(ctx) + SufijoRemotoSpeed;

    speed.VelocidadKBs = 0;
    view.clearScope();
    speed.SegundosTransfer = 0;
    view.setLabelInfoSpeed("Realizando Test de Subida...");
    view.setLabelTimeDownload("???");
    view.setLabelTimeUpload("???");
    view.setLabelDownload("? KB/s");
    view.setLabelUpload("? KB/s");

    bool conectado = false;
    try {
        conectado = session.ConnectFTPServer(ModoPasivo, host, remoto, username, password);
    } catch (const std::exception&) {
        conectado = false;
    }
    if (!conectado)
        return false;

    bool resultado = true;

    speed.SentidoTransfer = ftp::SentidoSubida;
    speed.HoraInicio = speed.now();
    try {
        client.Put(session.localPath(NombreSpeed).string(), R);
    } catch (const std::exception&) {
        ctx.dialogs.showMessage("Se ha producido un error durante la subida.");
        resultado = false;
    }
    medir(speed, ctx.run.SizeTest);
    const std::string subida = ftp::textoVelocidad(speed.VelocidadKBs);
    view.setLabelUpload(subida);
    view.setLabelTimeUpload(ftp::textoSegundos(speed.SegundosTransfer));
    lista.setCell(numserv, CeldaSubida, subida);

    speed.SentidoTransfer = ftp::SentidoDescarga;
    view.setLabelInfoSpeed("Realizando Test de Descarga...");
    speed.HoraInicio = speed.now();
    try {
        client.Get(R, session.localPath(NombreDescargaSpeed).string());
    } catch (const std::exception&) {
        ctx.dialogs.showMessage("Se ha producido un error durante la descarga.");
        resultado = false;
    }
    medir(speed, ctx.run.SizeTest);
    const std::string descarga = ftp::textoVelocidad(speed.VelocidadKBs);
    view.setLabelDownload(descarga);
    view.setLabelTimeDownload(ftp::textoSegundos(speed.SegundosTransfer));
    lista.setCell(numserv, CeldaDescarga, descarga);

    // A failed upload leaves nothing to delete, and the connection may be
    // gone: the server's row fails, the run goes on with the next one.
    try {
        client.Delete(R);
    } catch (const std::exception&) {
        resultado = false;
    }
    try {
        session.DisconnectFTPServer();
    } catch (const std::exception&) {
        resultado = false;
    }
    std::error_code ignored;
    std::filesystem::remove(session.localPath(NombreDescargaSpeed), ignored);
    return resultado;
}

} // namespace pordane::ftptests
