#include "ftptests/TestPermisos.h"

#include "ftptests/TestFiles.h"
#include "views/TaskListView.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace pordane::ftptests {

using namespace permisos;
namespace image = views::image;

namespace {

void marcarEnCurso(views::TaskListView& tareas, int linea)
{
    tareas.mark(linea, image::Running, true);
    tareas.repaint();
}

// Passed: tick on the line and the cell; failed: warning on the line, cross on the cell.
void marcarResultado(views::PermissionsView& view, int numserv, int linea, int celda, bool ok)
{
    view.Tareas().mark(linea, ok ? image::Passed : image::Warning, true);
    view.ListaServidores().setCellImage(numserv, celda, ok ? image::Passed : image::Failed);
}

} // namespace

void DoTestPermisos(FtpTestContext& ctx, views::PermissionsView& view,
                    const std::vector<LineaMarcada>& marcadas)
{
    view.showPage();
    views::ResultListView& lista = view.ListaServidores();
    lista.clear();
    for (const LineaMarcada& linea : marcadas)
        lista.addRow(linea.texto, {"", "?", "?", "?", "?", "?", std::to_string(linea.posicion + 1)},
                     image::Waiting);
    ctx.run.Tarea = 0;
    ctx.session.memoLog().clear();

    probarFilas(ctx, lista, CeldaEstado, CeldaNum, [&](int r, const catalogue::TSERVIDOR& s) {
        return TestFTPPermisos(ctx, view, r, ctx.run.FTPMODO, s.Host, s.Remoto, s.User, s.Pass);
    });
    ctx.dialogs.showMessage("Test de Permisos Realizado");
}

bool TestFTPPermisos(FtpTestContext& ctx, views::PermissionsView& view, int numserv,
                     std::uint8_t modo, const std::string& host, const std::string& remoto,
                     const std::string& username, const std::string& password)
{
    ftp::FtpSession& session = ctx.session;
    views::TaskListView& tareas = view.Tareas();
    views::LogView& log = session.memoLog();

    for (int i = 0; i < NumTareas; ++i)
        tareas.mark(i, image::Waiting, false);
    ctx.run.Tarea = TareaConectar;
    int aprobadas = 0;
    log.appendLine("Conectando a " + host);
    const std::string P = nuevoPrefijo(ctx);
    marcarEnCurso(tareas, TareaConectar);

    bool conectado = false;
    try {
        conectado = session.ConnectFTPServer(modo, host, remoto, username, password);
    } catch (const std::exception&) {
        conectado = false;
    }
    log.completeLastLine(conectado ? ftp::SufijoOK : ftp::SufijoFallo);
    // A failed connect does not stop the test: each later step fails on its own.
    tareas.mark(TareaConectar, conectado ? image::Passed : image::Failed, true);

    ctx.run.Tarea = TareaSubir;
    marcarEnCurso(tareas, TareaSubir);
    int subidos = 0;
    subidos += session.UploadArchivo(NombreTestTXT, P + SufijoRemotoTXT);
    subidos += session.UploadArchivo(NombreTestJPG, P + SufijoRemotoJPG);
    subidos += session.UploadArchivo(NombreTestMDB, P + SufijoRemotoMDB);
    aprobadas += subidos == 3;
    marcarResultado(view, numserv, TareaSubir, CeldaE, subidos == 3);

    ctx.run.Tarea = TareaDescargar;
    marcarEnCurso(tareas, TareaDescargar);
    int descargados = 0;
    descargados += session.DownloadArchivo(P + SufijoRemotoTXT, NombreDescargaTXT);
    descargados += session.DownloadArchivo(P + SufijoRemotoJPG, NombreDescargaJPG);
    descargados += session.DownloadArchivo(P + SufijoRemotoMDB, NombreDescargaMDB);
    aprobadas += descargados == 3;
    marcarResultado(view, numserv, TareaDescargar, CeldaL, descargados == 3);

    ctx.run.Tarea = TareaRenombrar;
    marcarEnCurso(tareas, TareaRenombrar);
    const bool renombrado = session.RenameArchivo(P + SufijoRemotoTXT, P + SufijoRemotoRenombrado);
    aprobadas += renombrado;
    marcarResultado(view, numserv, TareaRenombrar, CeldaR, renombrado);
    const std::string primero = P + (renombrado ? SufijoRemotoRenombrado : SufijoRemotoTXT);

    ctx.run.Tarea = TareaBorrar;
    marcarEnCurso(tareas, TareaBorrar);
    int borrados = 0;
    borrados += session.DeleteArchivo(primero);
    borrados += session.DeleteArchivo(P + SufijoRemotoJPG);
    borrados += session.DeleteArchivo(P + SufijoRemotoMDB);
    for (const char* local : {NombreDescargaTXT, NombreDescargaJPG, NombreDescargaMDB}) {
        std::error_code ignored;
        std::filesystem::remove(session.localPath(local), ignored);
    }

    // The listing runs after the deletes; its outcome is shown before theirs.
    ctx.run.Tarea = TareaListar;
    marcarEnCurso(tareas, TareaListar);
    const bool listado = session.ListarDirectorio();
    aprobadas += listado;
    marcarResultado(view, numserv, TareaListar, CeldaD, listado);

    aprobadas += borrados == 3;
    marcarResultado(view, numserv, TareaBorrar, CeldaB, borrados == 3);

    const bool resultado = aprobadas == 5;

    try {
        session.DisconnectFTPServer();
        if (!session.client().Connected())
            log.appendLine("[Desconexión realizada]");
    } catch (const std::exception&) {
        log.appendLine("Error desconectando...");
    }
    ctx.run.Tarea = TareaFin;
    return resultado;
}

} // namespace pordane::ftptests
