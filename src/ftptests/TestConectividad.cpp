#include "ftptests/TestConectividad.h"

#include "ftptests/TestFiles.h"
#include "platform/base/Pump.h"
#include "views/TaskListView.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace pordane::ftptests {

using namespace conectividad;
namespace image = views::image;

namespace {

// A cycle is correct when its download succeeded and brought back as many
// bytes as "test.txt" holds: an empty local file left by a refused transfer
// is not a success.
bool copiaCompleta(const ftp::FtpSession& session, bool descargado)
{
    if (!descargado)
        return false;
    std::error_code e1;
    std::error_code e2;
    const auto original = std::filesystem::file_size(session.localPath(NombreTestTXT), e1);
    const auto copia = std::filesystem::file_size(session.localPath(NombreDescargaTXT), e2);
    return !e1 && !e2 && original == copia;
}

} // namespace

void DoTestConectividad(FtpTestContext& ctx, views::ConnectivityView& view,
                        const std::vector<LineaMarcada>& marcadas)
{
    view.showPage();
    views::ResultListView& lista = view.ListaServidoresConectividad();
    lista.clear();
    for (const LineaMarcada& linea : marcadas)
        lista.addRow(linea.texto, {"", "?", "?", std::to_string(linea.posicion + 1)}, image::Waiting);
    ctx.run.Tarea = 0;
    ctx.session.memoLog().clear();

    probarFilas(ctx, lista, CeldaEstado, CeldaNum, [&](int r, const catalogue::TSERVIDOR& s) {
        return TestFTPConectividad(ctx, view, r, ctx.run.FTPMODO, s.Host, s.Remoto, s.User, s.Pass);
    });
    view.setLabelInfoConectividad("Test de conectividad Realizado");
    ctx.dialogs.showMessage("Test de Conectividad Realizado");
}

bool TestFTPConectividad(FtpTestContext& ctx, views::ConnectivityView& view, int numserv,
                         std::uint8_t modo, const std::string& host, const std::string& remoto,
                         const std::string& username, const std::string& password)
{
    ftp::FtpSession& session = ctx.session;
    const std::string R = nuevoPrefijo(ctx) + SufijoRemotoTXT;
    const std::string total = std::to_string(Ciclos);

    bool resultado = false;
    view.setProgressConectividadVisible(true);
    view.setLabelInfoCiclo("0/" + total);
    int correctos = 0;
    int fallidos = 0;
    int subidas = 0;
    int descargas = 0;
    platform::pump();

    for (int c = 1; c <= Ciclos; ++c) {
        bool conectado = false;
        try {
            conectado = session.ConnectFTPServer(modo, host, remoto, username, password);
            platform::pump();
        } catch (const std::exception&) {
            conectado = false;
        }
        if (!conectado) {
            ctx.dialogs.showMessage("No se ha podido conectar con el servidor");
            break;
        }
        // Every cycle logs in twice: this closes the session just opened and opens another.
        try {
            session.ConnectFTPServer(modo, host, remoto, username, password);
        } catch (const std::exception&) {
        }

        subidas += session.UploadArchivo(NombreTestTXT, R);
        platform::pump();
        const bool descargado = session.DownloadArchivo(R, NombreDescargaTXT);
        descargas += descargado;
        platform::pump();

        if (copiaCompleta(session, descargado))
            ++correctos;
        else
            ++fallidos;
        std::error_code ignored;
        std::filesystem::remove(session.localPath(NombreDescargaTXT), ignored);

        view.setLabelCicloOk(std::to_string(correctos));
        view.setLabelCicloError(std::to_string(fallidos));
        view.setLabelInfoCiclo(std::to_string(c) + "/" + total);
        session.DeleteArchivo(R);
        resultado = true;
    }

    view.setProgressConectividadVisible(false);
    views::ResultListView& lista = view.ListaServidoresConectividad();
    lista.setCell(numserv, CeldaDescarga, std::to_string(descargas));
    lista.setCell(numserv, CeldaSubida, std::to_string(subidas));
    return resultado;
}

} // namespace pordane::ftptests
