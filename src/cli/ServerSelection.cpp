#include "cli/ServerSelection.h"

#include "cli/RunErrors.h"

#include <algorithm>

namespace pordane::cli {

using catalogue::ServerTable;

namespace {

bool esPropio(const std::string& nombre)
{
    for (int n = 1; n <= 3; ++n)
        if (ServerTable::builtin(n).Name == nombre)
            return true;
    return false;
}

catalogue::PersonalFields camposPersonales(const Options& o, Entorno& entorno)
{
    if (!o.host)
        return {};
    catalogue::PersonalFields p{o.nombre.value_or(*o.host), *o.host, o.remoto.value_or(""), o.usuario.value_or(""),
                                ""};
    if (o.orden == Orden::Servidores) {
        // Only listed, never used: the table wants a complete entry.
        p.User = p.User.empty() ? "-" : p.User;
        p.Pass = "-";
        return p;
    }
    std::optional<std::string> pass = entorno.variable("PORDANE_CONTRASENA");
    if (!pass)
        pass = entorno.leerContrasena("Contraseña de " + p.User + "@" + p.Host + ": ");
    if (!pass)
        throw ErrorDeConfiguracion("falta la contraseña: defina PORDANE_CONTRASENA o ejecute en un terminal");
    if (pass->empty())
        throw ErrorDeConfiguracion("la contraseña está vacía");
    p.Pass = *pass;
    return p;
}

} // namespace

Tabla construirTabla(const Options& o, Entorno& entorno, ftp::FTPClient& client, DialogosTerminal& dialogos,
                     Report& informe)
{
    Tabla t;
    const catalogue::PersonalFields personal = camposPersonales(o, entorno);
    t.servidores.setNumServidores(3);
    t.servidores.SetServidores(personal);
    t.personal = personal.complete();
    // A test of the --host server alone needs no portals.
    const bool hacenFaltaEnlaces =
        o.orden == Orden::Servidores
        || (!o.host
            && (o.todos || std::any_of(o.servidores.begin(), o.servidores.end(),
                                       [](const std::string& s) { return !esPropio(s); })));
    if (hacenFaltaEnlaces && entorno.importarEnlaces) {
        EnlacesTerminal enlaces;
        const auto r = entorno.importarEnlaces(client, t.servidores, personal, dialogos, enlaces);
        t.sinTalvane = r.estado == catalogue::ResultadoImportacion::Estado::SinInstalacion;
        for (const std::string& m : dialogos.mensajes)
            informe.avisos.push_back(m);
        dialogos.mensajes.clear();
    }
    return t;
}

std::vector<ftptests::LineaMarcada> seleccionar(const Options& o, const Tabla& t)
{
    const ServerTable& tabla = t.servidores;
    std::vector<ftptests::LineaMarcada> marcadas;
    if (o.host) {
        const int n = tabla.NumServidores();
        if (!t.personal)
            throw ErrorDeConfiguracion("no cabe el servidor de --host en la tabla");
        return {{n - 1, tabla.entry(n).Name}};
    }
    if (o.todos) {
        for (int n = 1; n <= tabla.NumServidores(); ++n)
            marcadas.push_back({n - 1, tabla.entry(n).Name});
        return marcadas;
    }
    for (const std::string& pedido : o.servidores) {
        int hallado = 0;
        for (int n = 1; n <= tabla.NumServidores() && hallado == 0; ++n)
            if (tabla.entry(n).Name == pedido)
                hallado = n;
        if (hallado == 0) {
            std::string nombres;
            for (const std::string& s : tabla.names())
                nombres += (nombres.empty() ? "" : ", ") + s;
            std::string texto = "servidor desconocido: \"" + pedido + "\" (servidores: " + nombres + ")";
            if (t.sinTalvane)
                texto += "; no se ha encontrado la instalación de Talvane, así que no hay conexiones de portales";
            throw ErrorDeConfiguracion(texto);
        }
        marcadas.push_back({hallado - 1, pedido});
    }
    return marcadas;
}

ResultadoServidor describir(const ServerTable& tabla, int n, bool personal)
{
    const catalogue::TSERVIDOR& s = tabla.entry(n);
    ResultadoServidor r;
    r.numero = n;
    r.nombre = s.Name;
    r.host = s.Host;
    r.remoto = s.Remoto;
    r.tipo = n <= 3 ? "propio" : (personal && n == tabla.NumServidores() ? "personal" : "portal");
    return r;
}

} // namespace pordane::cli
