#include "cli/FtpChecks.h"

#include "cli/RunErrors.h"
#include "cli/ServerSelection.h"
#include "cli/TerminalViews.h"
#include "ftp/FtpSession.h"
#include "ftp/RunState.h"
#include "ftptests/ConnectivityRun.h"
#include "ftptests/FtpTestContext.h"
#include "ftptests/PermissionsRun.h"
#include "ftptests/PrepararTest.h"
#include "ftptests/SpeedRun.h"
#include "platform/base/Pump.h"

#include <algorithm>
#include <filesystem>
#include <random>

namespace pordane::cli {

namespace {

namespace fs = std::filesystem;
namespace image = views::image;

// The test files live in a folder of their own, gone when the run ends.
class TempFolder {
public:
    TempFolder()
    {
        std::random_device random;
        const fs::path base = fs::temp_directory_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            const fs::path p = base / ("pordane-cli-" + std::to_string(random()));
            if (fs::create_directory(p)) {
                m_path = p;
                return;
            }
        }
        throw ConfigurationError("no se pudo crear una carpeta temporal en " + base.string());
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

// Stands between the client and the session to know when a transfer runs:
// Ctrl-C then does what the window's "Cancelar" does, on every transfer
// from then on, so the test finishes its own clean-up with nothing moving.
class CancelWatcher final : public ftp::FTPObserver {
public:
    CancelWatcher(ftp::FtpSession& session, ftp::FTPClient& client) : m_session(session), m_client(client)
    {
        m_client.setObserver(this);
    }
    ~CancelWatcher() override { m_client.setObserver(&m_session); }
    CancelWatcher(const CancelWatcher&) = delete;
    CancelWatcher& operator=(const CancelWatcher&) = delete;

    // A pump turn: cancels the running transfer once Ctrl-C was pressed.
    void turn(int interrupts)
    {
        if (interrupts >= 1 && m_inTransfer && !m_cancelled) {
            m_cancelled = true;
            m_session.BotonCancelarFTPClick();
        }
    }

private:
    ftp::FTPObserver& observer() { return m_session; }
    void OnStatus(ftp::FtpStatus status, const std::string& text) override
    {
        using ftp::FtpStatus;
        if (status == FtpStatus::TransferStarting) {
            m_inTransfer = true;
            m_cancelled = false;
        } else if (status == FtpStatus::TransferComplete || status == FtpStatus::TransferAborted
                   || status == FtpStatus::Disconnected || status == FtpStatus::Connecting) {
            m_inTransfer = false;
        }
        observer().OnStatus(status, text);
    }
    void OnWorkBegin(ftp::WorkMode modo, std::int64_t maximum) override { observer().OnWorkBegin(modo, maximum); }
    void OnWork(ftp::WorkMode modo, std::int64_t count) override { observer().OnWork(modo, count); }
    void OnWorkEnd(ftp::WorkMode modo) override { observer().OnWorkEnd(modo); }
    void OnNotice(const std::string& text) override { observer().OnNotice(text); }

    ftp::FtpSession& m_session;
    ftp::FTPClient& m_client;
    bool m_inTransfer = false;
    bool m_cancelled = false;
};


bool hasMessage(const std::vector<std::string>& messages, const char* text)
{
    return std::find(messages.begin(), messages.end(), text) != messages.end();
}

Outcome outcomeOfSteps(const std::vector<Step>& steps)
{
    const bool all = std::all_of(steps.begin(), steps.end(), [](const Step& p) { return p.status == Status::Ok; });
    return all ? Outcome::Passed : Outcome::HadFailures;
}

void runPermissions(ftptests::FtpTestContext& ctx, const ftptests::MarkedLine& line, ProgressLine& progress,
                    ServerResult& r)
{
    using namespace ftptests::permissions;
    PermissionsTerminal view(progress);
    ftptests::DoTestPermisos(ctx, view, {line});
    const ResultList& l = view.list;
    r.steps = {{"conectar", statusOfImage(view.tasks.images[TaskConnect])},
               {"subir", statusOfImage(l.image(0, CellUpload))},
               {"descargar", statusOfImage(l.image(0, CellDownload))},
               {"renombrar", statusOfImage(l.image(0, CellRename))},
               {"listar", statusOfImage(l.image(0, CellListing))},
               {"borrar", statusOfImage(l.image(0, CellDelete))}};
}

void runSpeed(ftptests::FtpTestContext& ctx, const ftptests::MarkedLine& line, ProgressLine& progress,
                     const TerminalDialogs& dialogs, ServerResult& r)
{
    SpeedTerminal view(progress, ctx.session.speed());
    ftptests::DoTestVelocidad(ctx, view, {line});
    const auto measurement = [&](const SpeedTerminal::Measurement& m, const char* error) {
        if (!m.done)
            return Status::NotDone;
        return hasMessage(dialogs.messages, error) ? Status::Failed : Status::Ok;
    };
    const Status connect = view.upload.done ? Status::Ok : Status::Failed;
    const Status upload = measurement(view.upload, "Se ha producido un error durante la subida.");
    const Status download = measurement(view.download, "Se ha producido un error durante la descarga.");
    const bool row = !view.list.rows.empty() && view.list.rows[0].rowImage == image::Passed;
    Status cleanup = Status::NotDone;
    if (row)
        cleanup = Status::Ok;
    else if (upload == Status::Ok && download == Status::Ok)
        cleanup = Status::Failed;
    r.steps = {{"conectar", connect}, {"subida", upload}, {"descarga", download}, {"borrar", cleanup}};
    r.figures.push_back({"tamano_bytes", ctx.run.SizeTest});
    // A failed transfer has no speed worth reporting.
    if (upload == Status::Ok) {
        r.figures.push_back({"subida_kbs", view.upload.kbs});
        r.figures.push_back({"subida_segundos", view.upload.seconds});
    }
    if (download == Status::Ok) {
        r.figures.push_back({"descarga_kbs", view.download.kbs});
        r.figures.push_back({"descarga_segundos", view.download.seconds});
    }
}

void runConnectivity(ftptests::FtpTestContext& ctx, const ftptests::MarkedLine& line, ProgressLine& progress,
                        ServerResult& r)
{
    using namespace ftptests::connectivity;
    ConnectivityTerminal view(progress);
    ftptests::DoTestConectividad(ctx, view, {line});
    const Status cycles = view.cycles == 0 ? Status::NotDone
                          : view.passed == Cycles && view.failed == 0 ? Status::Ok
                                                                             : Status::Failed;
    r.steps = {{"conectar", view.cycles > 0 ? Status::Ok : Status::Failed}, {"ciclos", cycles}};
    r.figures = {{"ciclos", view.cycles},
                {"ciclos_correctos", view.passed},
                {"ciclos_fallidos", view.failed},
                {"subidas", ConnectivityTerminal::number(view.list.cellText(0, CellUpload))},
                {"descargas", ConnectivityTerminal::number(view.list.cellText(0, CellDownload))}};
}

} // namespace

int ftpCheck(const Options& o, Environment& environment, Report& report)
{
    ftp::FTPClient client;
    TerminalDialogs dialogs;
    const Table table = buildTable(o, environment, client, dialogs, report);
    const std::vector<ftptests::MarkedLine> marked = select(o, table);

    ftp::RunState run;
    run.PaginaActiva = o.command == Command::Permissions    ? ftp::page::Permissions
                       : o.command == Command::Speed ? ftp::page::Speed
                                                     : ftp::page::Connectivity;
    run.FTPMODO = o.active ? 1 : 2;
    run.SizeTest = o.sizeMB * ftp::OneMegabyte;
    report.modo = o.active ? "activo" : "pasivo";
    if (o.command == Command::Speed) {
        report.modo = "pasivo";
        report.sizeMB = o.sizeMB;
    }

    ProgressLine progress(environment.err, environment.progressOnTerminal);
    TerminalLog log(progress);
    TransferProgress transfer(progress);
    ftp::SpeedState speed;
    ftp::FtpSession::Context context;
    context.PaginaActiva = [&run] { return run.PaginaActiva; };
    context.SizeTest = [&run] { return run.SizeTest; };
    ftp::FtpSession session(client, log, dialogs, transfer, speed, std::move(context));
    CancelWatcher watcher(session, client);
    const TempFolder folder;
    session.setLocalDir(folder.path());

    bool warned = false;
    bool forcible = false;
    const platform::ScopedPumpHook hook([&] {
        const int n = environment.interrupts ? environment.interrupts() : 0;
        if (n >= 1 && !warned) {
            warned = true;
            progress.erase();
            environment.err << "Interrumpido: se cancela la transferencia en curso (Ctrl-C otra vez para salir sin "
                           "limpiar)\n"
                        << std::flush;
        }
        progress.refresh();
        watcher.turn(n);
        if (n >= 2 && forcible)
            throw InterruptedRun{};
    });

    PrepareTerminal preparation(progress);
    if (!ftptests::PrepararTest(preparation, dialogs, run.SizeTest, folder.path())) {
        progress.erase();
        std::string text = "no se pudieron preparar los archivos de prueba";
        if (!dialogs.messages.empty())
            text += ": " + dialogs.messages.back();
        throw ConfigurationError(text + " en " + folder.path().string());
    }
    dialogs.messages.clear();

    ftptests::FtpTestContext ctx{session, dialogs, run, table.servers, environment.ids};
    const auto interrupted = [&] { return environment.interrupts && environment.interrupts() > 0; };
    for (const ftptests::MarkedLine& line : marked) {
        ServerResult r = describe(table.servers, line.position + 1, table.personal);
        if (interrupted()) {
            r.outcome = Outcome::NotTested;
            report.servers.push_back(std::move(r));
            continue;
        }
        progress.server(line.text);
        dialogs.messages.clear();
        forcible = true;
        try {
            switch (o.command) {
            case Command::Permissions: runPermissions(ctx, line, progress, r); break;
            case Command::Speed: runSpeed(ctx, line, progress, dialogs, r); break;
            default: runConnectivity(ctx, line, progress, r); break;
            }
            r.outcome = outcomeOfSteps(r.steps);
        } catch (const InterruptedRun&) {
            forcible = false; // the goodbye below turns the pump too
            report.warnings.push_back("Segunda interrupción: la prueba se detuvo sin terminar su limpieza; pueden "
                                     "quedar archivos de prueba en el servidor");
            try {
                session.DisconnectFTPServer();
            } catch (const std::exception&) {
            }
        }
        forcible = false;
        if (interrupted())
            r.outcome = Outcome::Interrupted;
        r.log = log.lines;
        r.messages = dialogs.messages;
        report.servers.push_back(std::move(r));
    }
    progress.erase();

    report.interrupted = interrupted();
    if (report.interrupted)
        return ExitInterrupted;
    const bool failures = std::any_of(report.servers.begin(), report.servers.end(),
                                    [](const ServerResult& s) { return s.outcome != Outcome::Passed; });
    return failures ? ExitWithFailures : ExitSuccess;
}

} // namespace pordane::cli
