#include "ftptests/ConnectivityRun.h"

#include "ftptests/TestFiles.h"
#include "platform/base/Pump.h"
#include "views/TaskListView.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace pordane::ftptests {

using namespace connectivity;
namespace image = views::image;

namespace {

// A cycle is correct when its download succeeded and brought back as many
// bytes as "test.txt" holds: an empty local file left by a refused transfer
// is not a success.
bool copyComplete(const ftp::FtpSession& session, bool downloaded)
{
    if (!downloaded)
        return false;
    std::error_code e1;
    std::error_code e2;
    const auto original = std::filesystem::file_size(session.localPath(TestNameTXT), e1);
    const auto copySize = std::filesystem::file_size(session.localPath(DownloadNameTXT), e2);
    return !e1 && !e2 && original == copySize;
}

} // namespace

void DoTestConectividad(FtpTestContext& ctx, views::ConnectivityView& view, const std::vector<MarkedLine>& marked)
{
    view.showPage();
    views::ResultListView& list = view.ListaServidoresConectividad();
    list.clear();
    for (const MarkedLine& line : marked)
        list.addRow(line.text, {"", "?", "?", std::to_string(line.position + 1)}, image::Waiting);
    ctx.run.Tarea = 0;
    ctx.session.memoLog().clear();

    runRows(ctx, list, CellStatus, CellNum, [&](int r, const catalogue::TSERVIDOR& s) {
        return TestFTPConectividad(ctx, view, r, ctx.run.FTPMODO, s.Host, s.Remoto, s.User, s.Pass);
    });
    view.setLabelInfoConectividad("Test de conectividad Realizado");
    ctx.dialogs.showMessage("Test de Conectividad Realizado");
}

bool TestFTPConectividad(FtpTestContext& ctx, views::ConnectivityView& view, int numserv, std::uint8_t modo,
                         const std::string& host, const std::string& remoto, const std::string& username,
                         const std::string& password)
{
    ftp::FtpSession& session = ctx.session;
    const std::string R = newPrefix(ctx) + RemoteSuffixTXT;
    const std::string total = std::to_string(Cycles);

    bool outcome = false;
    view.setProgressConectividadVisible(true);
    view.setLabelInfoCiclo("0/" + total);
    int passed = 0;
    int failed = 0;
    int uploads = 0;
    int downloads = 0;
    platform::pump();

    for (int c = 1; c <= Cycles; ++c) {
        bool connected = false;
        try {
            connected = session.ConnectFTPServer(modo, host, remoto, username, password);
            platform::pump();
        } catch (const std::exception&) {
            connected = false;
        }
        if (!connected) {
            ctx.dialogs.showMessage("No se ha podido conectar con el servidor");
            break;
        }
        // Every cycle logs in twice: this closes the session just opened and opens another.
        try {
            session.ConnectFTPServer(modo, host, remoto, username, password);
        } catch (const std::exception&) {
        }

        uploads += session.UploadArchivo(TestNameTXT, R);
        platform::pump();
        const bool downloaded = session.DownloadArchivo(R, DownloadNameTXT);
        downloads += downloaded;
        platform::pump();

        if (copyComplete(session, downloaded))
            ++passed;
        else
            ++failed;
        std::error_code ignored;
        std::filesystem::remove(session.localPath(DownloadNameTXT), ignored);

        view.setLabelCicloOk(std::to_string(passed));
        view.setLabelCicloError(std::to_string(failed));
        view.setLabelInfoCiclo(std::to_string(c) + "/" + total);
        session.DeleteArchivo(R);
        outcome = true;
    }

    view.setProgressConectividadVisible(false);
    views::ResultListView& list = view.ListaServidoresConectividad();
    list.setCell(numserv, CellDownload, std::to_string(downloads));
    list.setCell(numserv, CellUpload, std::to_string(uploads));
    return outcome;
}

} // namespace pordane::ftptests
