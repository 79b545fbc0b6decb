#include "cli/ServerSelection.h"

#include "cli/RunErrors.h"

#include <algorithm>

namespace pordane::cli {

using catalogue::ServerTable;

namespace {

bool isOwn(const std::string& name)
{
    for (int n = 1; n <= 3; ++n)
        if (ServerTable::builtin(n).Name == name)
            return true;
    return false;
}

catalogue::PersonalFields personalFields(const Options& o, Environment& environment)
{
    if (!o.host)
        return {};
    catalogue::PersonalFields p{o.name.value_or(*o.host), *o.host, o.remoto.value_or(""), o.user.value_or(""),
                                ""};
    if (o.command == Command::Servers) {
        // Only listed, never used: the table wants a complete entry.
        p.User = p.User.empty() ? "-" : p.User;
        p.Pass = "-";
        return p;
    }
    std::optional<std::string> pass = environment.variable("PORDANE_CONTRASENA");
    if (!pass)
        pass = environment.readPassword("Contraseña de " + p.User + "@" + p.Host + ": ");
    if (!pass)
        throw ConfigurationError("falta la contraseña: defina PORDANE_CONTRASENA o ejecute en un terminal");
    if (pass->empty())
        throw ConfigurationError("la contraseña está vacía");
    p.Pass = *pass;
    return p;
}

} // namespace

Table buildTable(const Options& o, Environment& environment, ftp::FTPClient& client, TerminalDialogs& dialogs,
                     Report& report)
{
    Table t;
    const catalogue::PersonalFields personal = personalFields(o, environment);
    t.servers.setNumServidores(3);
    t.servers.SetServidores(personal);
    t.personal = personal.complete();
    // A test of the --host server alone needs no portals.
    const bool needLinks =
        o.command == Command::Servers
        || (!o.host
            && (o.all || std::any_of(o.servers.begin(), o.servers.end(),
                                       [](const std::string& s) { return !isOwn(s); })));
    if (needLinks && environment.importLinks) {
        LinksTerminal links;
        const auto r = environment.importLinks(client, t.servers, personal, dialogs, links);
        t.withoutTalvane = r.status == catalogue::ImportResult::Status::NoInstallation;
        for (const std::string& m : dialogs.messages)
            report.warnings.push_back(m);
        dialogs.messages.clear();
    }
    return t;
}

std::vector<ftptests::MarkedLine> select(const Options& o, const Table& t)
{
    const ServerTable& table = t.servers;
    std::vector<ftptests::MarkedLine> marked;
    if (o.host) {
        const int n = table.NumServidores();
        if (!t.personal)
            throw ConfigurationError("no cabe el servidor de --host en la tabla");
        return {{n - 1, table.entry(n).Name}};
    }
    if (o.all) {
        for (int n = 1; n <= table.NumServidores(); ++n)
            marked.push_back({n - 1, table.entry(n).Name});
        return marked;
    }
    for (const std::string& requested : o.servers) {
        int found = 0;
        for (int n = 1; n <= table.NumServidores() && found == 0; ++n)
            if (table.entry(n).Name == requested)
                found = n;
        if (found == 0) {
            std::string names;
            for (const std::string& s : table.names())
                names += (names.empty() ? "" : ", ") + s;
            std::string text = "servidor desconocido: \"" + requested + "\" (servidores: " + names + ")";
            if (t.withoutTalvane)
                text += "; no se ha encontrado la instalación de Talvane, así que no hay conexiones de portales";
            throw ConfigurationError(text);
        }
        marked.push_back({found - 1, requested});
    }
    return marked;
}

ServerResult describe(const ServerTable& table, int n, bool personal)
{
    const catalogue::TSERVIDOR& s = table.entry(n);
    ServerResult r;
    r.number = n;
    r.name = s.Name;
    r.host = s.Host;
    r.remoto = s.Remoto;
    r.type = n <= 3 ? "propio" : (personal && n == table.NumServidores() ? "personal" : "portal");
    return r;
}

} // namespace pordane::cli
