#include "cli/Program.h"

#include "cli/RunErrors.h"
#include "platform/base/Pump.h"
#include "cli/Report.h"
#include "cli/Options.h"
#include "cli/FtpChecks.h"
#include "cli/ServerSelection.h"
#include "cli/TerminalViews.h"
#include "netdiag/ProcessList.h"
#include "platform/Terminal.h"
#include "pordane/BuildConfig.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace pordane::cli {

namespace {

std::string version()
{
    return config::AppVersion;
}

int servers(const Options& o, Environment& environment, Report& report)
{
    ftp::FTPClient client;
    TerminalDialogs dialogs;
    const Table t = buildTable(o, environment, client, dialogs, report);
    for (int n = 1; n <= t.servers.NumServidores(); ++n)
        report.servers.push_back(describe(t.servers, n, t.personal));
    return ExitSuccess;
}

int ports(Environment& environment, Report& report)
{
    const netdiag::PortTestOptions& options = environment.ports;
    int lines = 0;
    std::vector<std::string> texts;
    for (const netdiag::PortProbe& p : options.probes)
        lines = std::max(lines, p.line + 1);
    texts.resize(static_cast<size_t>(lines));
    for (const netdiag::PortProbe& p : options.probes)
        texts[static_cast<size_t>(p.line)] = p.text;

    ProgressLine progress(environment.err, environment.progressOnTerminal);
    TerminalTaskList tasks(lines, progress, texts);
    netdiag::PortTester tester(tasks, options);
    {
        const platform::ScopedPumpHook hook([&] {
            if (environment.interrupts && environment.interrupts() > 0)
                throw InterruptedRun{};
        });
        try {
            tester.TestConnectionPorts();
        } catch (const InterruptedRun&) {
            report.interrupted = true;
        }
    }
    progress.erase();
    for (const netdiag::PortProbe& p : options.probes)
        report.ports.push_back(
            {p.text, p.host, p.port, statusOfImage(tasks.images[static_cast<size_t>(p.line)])});
    if (report.interrupted)
        return ExitInterrupted;
    const bool failures = std::any_of(report.ports.begin(), report.ports.end(),
                                    [](const PortLine& l) { return l.status != Status::Ok; });
    return failures ? ExitWithFailures : ExitSuccess;
}

// The lines of the window's process page: PID, port and protocol, then the name.
int processes(Environment& environment, Report& report)
{
    std::istringstream text(environment.processes());
    std::string line;
    while (std::getline(text, line)) {
        std::istringstream fields(line);
        std::string pid, port, protocol;
        if (!(fields >> pid >> port >> protocol))
            continue;
        std::string name;
        std::getline(fields >> std::ws, name);
        ProcessEntry p;
        if (pid != "-")
            p.pid = std::atoll(pid.c_str());
        p.port = std::atoll(port.c_str());
        p.protocol = protocol;
        p.name = name;
        report.processes.push_back(std::move(p));
    }
    return ExitSuccess;
}


} // namespace

Environment systemEnvironment(std::ostream& out, std::ostream& err)
{
    Environment e{out, err};
    e.progressOnTerminal = platform::isTerminal(platform::StdStream::Error);
    e.variable = [](const std::string& name) -> std::optional<std::string> {
        const char* v = std::getenv(name.c_str());
        return v ? std::optional<std::string>(v) : std::nullopt;
    };
    e.readPassword = platform::readHiddenLine;
    e.importLinks = [](ftp::FTPClient& client, catalogue::ServerTable& table, const catalogue::PersonalFields& personal,
                           views::Dialogs& dialogs, views::LinksView& view) {
        catalogue::PortalImport portalImport(client, table, [personal] { return personal; }, dialogs, view);
        return portalImport.ObtenerEnlacesWeb();
    };
    e.processes = netdiag::ShowProcesesPorts;
    e.interrupts = platform::interruptCount;
    return e;
}

int run(const std::vector<std::string>& args, Environment& environment)
{
    Options o;
    try {
        o = parseOptions(args);
    } catch (const UsageError& e) {
        environment.err << "pordane-cli: " << e.what() << "\nPruebe \"pordane-cli --help\".\n";
        return ExitUsageError;
    }
    if (o.version) {
        environment.out << "pordane-cli " << version() << '\n';
        return ExitSuccess;
    }
    if (o.help) {
        environment.out << help(o.command);
        return ExitSuccess;
    }

    Report report;
    report.command = commandName(o.command);
    report.version = version();
    report.date = currentDate();
    int code = ExitSuccess;
    try {
        switch (o.command) {
        case Command::Servers: code = servers(o, environment, report); break;
        case Command::Ports: code = ports(environment, report); break;
        case Command::Processes: code = processes(environment, report); break;
        default: code = ftpCheck(o, environment, report); break;
        }
    } catch (const ConfigurationError& e) {
        environment.err << "pordane-cli: " << e.what() << '\n';
        return ExitUsageError;
    }
    report.exitCode = code;
    if (o.json)
        writeJson(environment.out, report);
    else
        writeTable(environment.out, report, o.ascii);
    environment.out.flush();
    return code;
}

} // namespace pordane::cli
