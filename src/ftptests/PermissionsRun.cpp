#include "ftptests/PermissionsRun.h"

#include "ftptests/TestFiles.h"
#include "views/TaskListView.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace pordane::ftptests {

using namespace permissions;
namespace image = views::image;

namespace {

void markRunning(views::TaskListView& tasks, int line)
{
    tasks.mark(line, image::Running, true);
    tasks.repaint();
}

// Passed: tick on the line and the cell; failed: warning on the line, cross on the cell.
void markResult(views::PermissionsView& view, int numserv, int line, int cell, bool ok)
{
    view.Tareas().mark(line, ok ? image::Passed : image::Warning, true);
    view.ListaServidores().setCellImage(numserv, cell, ok ? image::Passed : image::Failed);
}

} // namespace

void DoTestPermisos(FtpTestContext& ctx, views::PermissionsView& view, const std::vector<MarkedLine>& marked)
{
    view.showPage();
    views::ResultListView& list = view.ListaServidores();
    list.clear();
    for (const MarkedLine& line : marked)
        list.addRow(line.text, {"", "?", "?", "?", "?", "?", std::to_string(line.position + 1)}, image::Waiting);
    ctx.run.Tarea = 0;
    ctx.session.memoLog().clear();

    runRows(ctx, list, CellStatus, CellNum, [&](int r, const catalogue::TSERVIDOR& s) {
        return TestFTPPermisos(ctx, view, r, ctx.run.FTPMODO, s.Host, s.Remoto, s.User, s.Pass);
    });
    ctx.dialogs.showMessage("Test de Permisos Realizado");
}

bool TestFTPPermisos(FtpTestContext& ctx, views::PermissionsView& view, int numserv, std::uint8_t modo,
                     const std::string& host, const std::string& remoto, const std::string& username,
                     const std::string& password)
{
    ftp::FtpSession& session = ctx.session;
    views::TaskListView& tasks = view.Tareas();
    views::LogView& log = session.memoLog();

    for (int i = 0; i < TaskCount; ++i)
        tasks.mark(i, image::Waiting, false);
    ctx.run.Tarea = TaskConnect;
    int passed = 0;
    log.appendLine("Conectando a " + host);
    const std::string P = newPrefix(ctx);
    markRunning(tasks, TaskConnect);

    bool connected = false;
    try {
        connected = session.ConnectFTPServer(modo, host, remoto, username, password);
    } catch (const std::exception&) {
        connected = false;
    }
    log.completeLastLine(connected ? ftp::OkSuffix : ftp::FailSuffix);
    // A failed connect does not stop the test: each later step fails on its own.
    tasks.mark(TaskConnect, connected ? image::Passed : image::Failed, true);

    ctx.run.Tarea = TaskUpload;
    markRunning(tasks, TaskUpload);
    int uploaded = 0;
    uploaded += session.UploadArchivo(TestNameTXT, P + RemoteSuffixTXT);
    uploaded += session.UploadArchivo(TestNameJPG, P + RemoteSuffixJPG);
    uploaded += session.UploadArchivo(TestNameMDB, P + RemoteSuffixMDB);
    passed += uploaded == 3;
    markResult(view, numserv, TaskUpload, CellUpload, uploaded == 3);

    ctx.run.Tarea = TaskDownload;
    markRunning(tasks, TaskDownload);
    int downloaded = 0;
    downloaded += session.DownloadArchivo(P + RemoteSuffixTXT, DownloadNameTXT);
    downloaded += session.DownloadArchivo(P + RemoteSuffixJPG, DownloadNameJPG);
    downloaded += session.DownloadArchivo(P + RemoteSuffixMDB, DownloadNameMDB);
    passed += downloaded == 3;
    markResult(view, numserv, TaskDownload, CellDownload, downloaded == 3);

    ctx.run.Tarea = TaskRename;
    markRunning(tasks, TaskRename);
    const bool renamed = session.RenameArchivo(P + RemoteSuffixTXT, P + RemoteSuffixRenamed);
    passed += renamed;
    markResult(view, numserv, TaskRename, CellRename, renamed);
    const std::string first = P + (renamed ? RemoteSuffixRenamed : RemoteSuffixTXT);

    ctx.run.Tarea = TaskDelete;
    markRunning(tasks, TaskDelete);
    int deleted = 0;
    deleted += session.DeleteArchivo(first);
    deleted += session.DeleteArchivo(P + RemoteSuffixJPG);
    deleted += session.DeleteArchivo(P + RemoteSuffixMDB);
    for (const char* local : {DownloadNameTXT, DownloadNameJPG, DownloadNameMDB}) {
        std::error_code ignored;
        std::filesystem::remove(session.localPath(local), ignored);
    }

    // The listing runs after the deletes; its outcome is shown before theirs.
    ctx.run.Tarea = TaskListing;
    markRunning(tasks, TaskListing);
    const bool listed = session.ListarDirectorio();
    passed += listed;
    markResult(view, numserv, TaskListing, CellListing, listed);

    passed += deleted == 3;
    markResult(view, numserv, TaskDelete, CellDelete, deleted == 3);

    const bool outcome = passed == 5;

    try {
        session.DisconnectFTPServer();
        if (!session.client().Connected())
            log.appendLine("[Desconexión realizada]");
    } catch (const std::exception&) {
        log.appendLine("Error desconectando...");
    }
    ctx.run.Tarea = TaskEnd;
    return outcome;
}

} // namespace pordane::ftptests
